#pragma once
// What the SHA and HMAC suite tests share: the hash backends they run over, running the unit
// leaves of a built list, counting records in the installed files independently of the KAT
// parser, and digests broken one way each.

#include <Paths_zorvan_tests.hpp>
#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/runner.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hash_suites {

/// One backend's digest types, by the names the builders are named after.
template <class Sha1, class Sha224, class Sha256, class Sha384, class Sha512> struct Backend {
    using SHA1 = Sha1;
    using SHA224 = Sha224;
    using SHA256 = Sha256;
    using SHA384 = Sha384;
    using SHA512 = Sha512;
};

namespace openssl = zorvan::openssl;
namespace gcrypt = zorvan::gcrypt;
namespace nettle = zorvan::nettle;
using OpenSSLBackend =
    Backend<openssl::SHA1, openssl::SHA224, openssl::SHA256, openssl::SHA384, openssl::SHA512>;
using GcryptBackend =
    Backend<gcrypt::SHA1, gcrypt::SHA224, gcrypt::SHA256, gcrypt::SHA384, gcrypt::SHA512>;
using NettleBackend =
    Backend<nettle::SHA1, nettle::SHA224, nettle::SHA256, nettle::SHA384, nettle::SHA512>;

using HashBackends = ::testing::Types<OpenSSLBackend, GcryptBackend, NettleBackend>;
/// HashBackendNames: the libraries' names in the typed tests' names, in HashBackends' order.
struct HashBackendNames {
    template <class Backend> static std::string GetName(int index) {
        return std::array{"OpenSSL", "libgcrypt", "nettle"}.at(static_cast<std::size_t>(index));
    }
};

/// LeafRun: how one unit leaf of a built list ended.
struct LeafRun {
    std::string name;
    bool passed;
    std::string report;
};

/// runUnitLeaves: runs every unit leaf of tests (property leaves are left out) in order.
inline std::vector<LeafRun> runUnitLeaves(const std::vector<zorvan::testing::Test>& tests) {
    std::vector<LeafRun> runs;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        if (std::holds_alternative<zorvan::testing::UnitTest>(leaf.test->node())) {
            const auto outcome = zorvan::testing::runLeaf(leaf, {});
            runs.push_back({leaf.name, outcome.status == zorvan::testing::LeafStatus::passed,
                            outcome.report()});
        }
    }
    return runs;
}

/// namesOf: the names of vectors (Test::SHA::ShaVector, Test::HMAC::HmacVector) in order.
template <class Vector> std::vector<std::string> namesOf(const std::vector<Vector>& vectors) {
    std::vector<std::string> names;
    for (const Vector& vector : vectors) {
        names.push_back(vector.name);
    }
    return names;
}

/// failingNames: the names of the runs that failed.
inline std::multiset<std::string> failingNames(const std::vector<LeafRun>& runs) {
    std::multiset<std::string> names;
    for (const LeafRun& run : runs) {
        if (!run.passed) {
            names.insert(run.name);
        }
    }
    return names;
}

/// countLines: over the files of the data folder ("Test/KAT_SHA") that selectFile accepts, the
/// lines for which countLine (given the line and the last "[...]" header line before it)
/// says yes; carriage returns are left out of both.
inline std::size_t countLines(
    std::string_view folder, const std::function<bool(const std::string&)>& selectFile,
    const std::function<bool(const std::string& line, const std::string& header)>& countLine) {
    std::size_t count = 0;
    const auto directory = Paths_zorvan_tests::getDataFileName(folder);
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (!selectFile(entry.path().filename().string())) {
            continue;
        }
        std::ifstream file(entry.path());
        std::string header;
        for (std::string line; std::getline(file, line);) {
            std::erase(line, '\r');
            if (line.starts_with('[')) {
                header = line;
            } else if (countLine(line, header)) {
                ++count;
            }
        }
    }
    return count;
}

/// NoFault: the inner hash as it is; the faults below each change one path of it.
struct NoFault {
    static zorvan::Bytes afterHashing(zorvan::Bytes digest, std::size_t /*octetsFed*/) {
        return digest;
    }
    static std::vector<zorvan::Bytes> chunksFed(const zorvan::LazyBytes& message) {
        return message.toChunks();
    }
    static zorvan::Bytes afterMac(zorvan::Bytes mac) { return mac; }
};

/// flipFirstOctet: the octets with the first one inverted.
inline zorvan::Bytes flipFirstOctet(const zorvan::Bytes& octets) {
    std::vector<std::uint8_t> changed(octets.begin(), octets.end());
    changed.at(0) ^= 0xff;
    return zorvan::Bytes(changed);
}

/// FaultyDigest: the digest of Inner with the paths that Fault replaces going wrong.
template <zorvan::Hash Inner, class Fault> class FaultyDigest {
public:
    static std::size_t outputLength() { return Inner::outputLength(); }
    static std::size_t blockLength() { return Inner::blockLength(); }

    class Context {
    public:
        void update(std::span<const std::uint8_t> octets) {
            octetsFed_ += octets.size();
            inner_.update(octets);
        }
        FaultyDigest finalize() {
            return FaultyDigest(Fault::afterHashing(inner_.finalize().encode(), octetsFed_));
        }

    private:
        typename Inner::Context inner_;
        std::size_t octetsFed_ = 0;
    };

    static FaultyDigest hash(const zorvan::LazyBytes& message) {
        Context context;
        for (const zorvan::Bytes& chunk : Fault::chunksFed(message)) {
            context.update(chunk.view());
        }
        return context.finalize();
    }
    static FaultyDigest hmacStrict(const zorvan::Bytes& key, const zorvan::Bytes& message) {
        return FaultyDigest(Fault::afterMac(zorvan::hmacStrict<Inner>(key, message).encode()));
    }
    static FaultyDigest hmac(const zorvan::Bytes& key, const zorvan::LazyBytes& message) {
        return FaultyDigest(Fault::afterMac(zorvan::hmac<Inner>(key, message).encode()));
    }

    [[nodiscard]] zorvan::Bytes encode() const { return octets_; }
    static std::optional<FaultyDigest> get(const zorvan::Bytes& bytes) {
        const auto inner = Inner::get(bytes);
        return inner ? std::optional(FaultyDigest(inner->encode())) : std::nullopt;
    }
    friend bool operator==(const FaultyDigest&, const FaultyDigest&) = default;
    friend std::ostream& operator<<(std::ostream& out, const FaultyDigest& digest) {
        return out << digest.octets_;
    }

private:
    explicit FaultyDigest(zorvan::Bytes octets) : octets_(std::move(octets)) {}
    zorvan::Bytes octets_;
};

} // namespace hash_suites
