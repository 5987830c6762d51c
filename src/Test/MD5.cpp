#include <Test/MD5.hpp>

#include <Test/Crypto/hex.hpp>
#include <Test/IncompleteMatch.hpp>
#include <Test/Md5Vectors.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace Test::MD5 {

namespace {

constexpr std::array<Md5Vector, 7> vectors{{
    {"md5KAT1", "", "d41d8cd98f00b204e9800998ecf8427e"},
    {"md5KAT2", "a", "0cc175b9c0f1b6a831c399e269772661"},
    {"md5KAT3", "abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"md5KAT4", "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"md5KAT5", "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"md5KAT6", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"md5KAT7", "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
}};

constexpr std::size_t firstChunkOctets = 32;
constexpr std::string_view rfcSection = "RFC 1321 A.5";

// A digest of the type under test as a known-answer failure compares and prints it: by the
// type's own == and <<.
struct ViewedDigest {
    const Crypto::HashView* view;
    Crypto::Digest digest;

    friend bool operator==(const ViewedDigest& first, const ViewedDigest& second) {
        return first.view->equal(first.digest, second.digest);
    }
    friend std::ostream& operator<<(std::ostream& out, const ViewedDigest& viewed) {
        return out << viewed.view->print(viewed.digest);
    }
};

} // namespace

std::span<const Md5Vector> md5Vectors() noexcept {
    return vectors;
}

zorvan::testing::VectorOrigin md5Origin(std::size_t row) {
    if (row == 0 || row > vectors.size()) {
        throw std::out_of_range("md5Origin: RFC 1321 A.5 has no row " + std::to_string(row));
    }
    const Md5Vector& vector = vectors[row - 1];
    return {.file = std::string(rfcSection),
            .line = 0,
            .number = row,
            .fields = {
                {"MD5 (\"" + std::string(vector.message) + "\")", std::string(vector.digestHex)}}};
}

zorvan::LazyBytes packInDoublingChunks(const zorvan::Bytes& octets) {
    std::vector<zorvan::Bytes> chunks;
    std::size_t chunkOctets = firstChunkOctets;
    for (std::size_t start = 0; start < octets.size(); start += chunkOctets, chunkOctets *= 2) {
        chunks.emplace_back(octets, start, std::min(chunkOctets, octets.size() - start));
    }
    return zorvan::LazyBytes::fromChunks(std::move(chunks));
}

std::vector<zorvan::testing::Test> md5Tests(const std::shared_ptr<const Crypto::HashView>& hash) {
    std::vector<zorvan::testing::Test> cases;
    for (std::size_t row = 1; row <= vectors.size(); ++row) {
        cases.push_back(zorvan::testing::testCase(caseName, [hash, vector = vectors[row - 1],
                                                             origin = md5Origin(row)] {
            const ViewedDigest computed{hash.get(), hash->hash(packInDoublingChunks(
                                                        zorvan::Bytes::fromText(vector.message)))};
            std::optional<Crypto::Digest> known =
                hash->get(Crypto::hexStringToBS(vector.digestHex));
            if (!known) {
                throw IncompleteMatch(unreadableDigestError);
            }
            zorvan::testing::assertKnownAnswer(std::string(vector.assertionMessage), computed,
                                               ViewedDigest{hash.get(), std::move(*known)}, origin);
        }));
    }
    return {Crypto::hashPropTests(hash), zorvan::testing::TestGroup{groupName, std::move(cases)}};
}

} // namespace Test::MD5
