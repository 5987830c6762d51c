#pragma once
// The suites of the campaign's probes (data_campaign.py, and campaign.py's GoogleTest data
// cases): PROBE_SUITE="SUBJECT:SUITE" builds that suite of the algorithm table over a library's
// type ("AES192:AES192-CTR", "SHA256:Monte-SHA256"): OpenSSL's, or nettle's Twofish. The data
// folder is the one zorvan_tests_datadir names. PROBE_KEY changes the cipher's buildKey:
//   refuse-own  it refuses every key of the type's own size, as a broken key setup does
//   throw       it throws, as a library's key setup that fails outright does

#include "probe_tree.hpp"

#include <Test/Suites.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace probe {

// A library's key type behind a buildKey the campaign makes misbehave, with only the block
// functions, so that the suites run their generic modes over it.
template <class Key> struct MisbehavingKey {
    Key key;

    static constexpr std::size_t blockSize() { return Key::blockSize(); }
    static constexpr std::size_t keyLength() { return Key::keyLength(); }
    static std::optional<MisbehavingKey> buildKey(const zorvan::Bytes& octets) {
        const std::string how = setting("PROBE_KEY", "");
        if (how == "throw") {
            throw std::runtime_error("the key schedule is not initialised");
        }
        if (how == "refuse-own" && octets.size() * 8 == keyLength()) {
            return std::nullopt;
        }
        std::optional<Key> built = Key::buildKey(octets);
        if (!built) {
            return std::nullopt;
        }
        return MisbehavingKey{std::move(*built)};
    }
    [[nodiscard]] zorvan::Bytes encryptBlock(const zorvan::Bytes& blocks) const {
        return key.encryptBlock(blocks);
    }
    [[nodiscard]] zorvan::Bytes decryptBlock(const zorvan::Bytes& blocks) const {
        return key.decryptBlock(blocks);
    }
};

struct SubjectLine {
    std::string_view algorithm; // the table's row
    Test::Suites::Subject (*subject)();
};

template <class T> SubjectLine line(std::string_view algorithm) {
    if constexpr (zorvan::BlockCipher<T>) {
        return {algorithm, [] {
                    return setting("PROBE_KEY", "").empty()
                               ? Test::Suites::subject<T>()
                               : Test::Suites::subject<MisbehavingKey<T>>();
                }};
    } else {
        return {algorithm, &Test::Suites::subject<T>};
    }
}

inline const std::map<std::string, SubjectLine, std::less<>>& subjects() {
    namespace openssl = zorvan::openssl;
    static const std::map<std::string, SubjectLine, std::less<>> table{
        {"MD5", line<openssl::MD5>("MD5")},
        {"SHA1", line<openssl::SHA1>("SHA1")},
        {"SHA224", line<openssl::SHA224>("SHA224")},
        {"SHA256", line<openssl::SHA256>("SHA256")},
        {"SHA384", line<openssl::SHA384>("SHA384")},
        {"SHA512", line<openssl::SHA512>("SHA512")},
        {"SHA512-224", line<openssl::SHA512_224>("SHA512-224")},
        {"SHA512-256", line<openssl::SHA512_256>("SHA512-256")},
        {"SHA3-224", line<openssl::SHA3_224>("SHA3-224")},
        {"SHA3-256", line<openssl::SHA3_256>("SHA3-256")},
        {"SHA3-384", line<openssl::SHA3_384>("SHA3-384")},
        {"SHA3-512", line<openssl::SHA3_512>("SHA3-512")},
        {"AES128", line<openssl::AES128>("AES")},
        {"AES192", line<openssl::AES192>("AES")},
        {"AES256", line<openssl::AES256>("AES")},
        {"Camellia128", line<openssl::Camellia128>("Camellia")},
        {"Camellia192", line<openssl::Camellia192>("Camellia")},
        {"Camellia256", line<openssl::Camellia256>("Camellia")},
        {"Twofish", line<zorvan::nettle::Twofish>("Twofish")},
    };
    return table;
}

// The suite PROBE_SUITE names, or nothing when it is not set.
inline std::optional<std::vector<zorvan::testing::Test>> namedSuite() {
    const std::string named = setting("PROBE_SUITE", "");
    if (named.empty()) {
        return std::nullopt;
    }
    const std::size_t colon = named.find(':');
    const auto found = subjects().find(std::string_view(named).substr(0, colon));
    if (colon == std::string::npos || found == subjects().end()) {
        throw std::invalid_argument("PROBE_SUITE: no subject in '" + named + "'");
    }
    return Test::Suites::buildSuite(found->second.algorithm, named.substr(colon + 1),
                                    found->second.subject(), Test::DataSource());
}

// What the probes run: the suite PROBE_SUITE names, else the probe tree.
inline std::vector<zorvan::testing::Test> campaignTests() {
    std::optional<std::vector<zorvan::testing::Test>> suite = namedSuite();
    return suite ? std::move(*suite) : tests();
}

} // namespace probe
