#pragma once
// Test::MD5: the MD5 suite, the hash property group then the seven vectors of RFC 1321.

#include <Test/Crypto.hpp>
#include <Test/Crypto/hex.hpp>
#include <Test/IncompleteMatch.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace Test::MD5 {

/// Md5Vector: one known answer: the assertion message, the ASCII message and its digest in hex.
struct Md5Vector {
    std::string_view assertionMessage;
    std::string_view message;
    std::string_view digestHex;
};

/// md5Vectors: the RFC 1321 test suite (appendix A.5), in its order.
std::span<const Md5Vector> md5Vectors() noexcept;

/// md5Origin: where the vector of the given row (from 1) of md5Vectors stands: "RFC 1321 A.5",
/// that row, and the row as the RFC prints it (MD5 ("abc") = 9001...). Throws
/// std::out_of_range for a row the suite does not have.
zorvan::testing::VectorOrigin md5Origin(std::size_t row);

/// packInDoublingChunks: the octets as chunks of 32, 64, 128, ... octets, the last shorter;
/// the empty string gives no chunk.
zorvan::LazyBytes packInDoublingChunks(const zorvan::Bytes& octets);

inline constexpr const char* groupName = "MD5 KATs";
inline constexpr const char* caseName = "md5KAT";
/// The error raised when the known digest does not read back as the implementation's digest.
inline constexpr const char* unreadableDigestError = "Test/MD5:38:3-25|function fromRight";

/// makeMD5Tests: the hash property group for D, then the group "MD5 KATs" of seven cases, all
/// named "md5KAT", each hashing its message (in doubling chunks) when run and comparing with
/// the known digest read by D::get (a failure names the RFC row). A known digest that D::get cannot
/// read fails its case with IncompleteMatch. Building the list runs nothing.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeMD5Tests() {
    std::vector<zorvan::testing::Test> cases;
    const std::span<const Md5Vector> vectors = md5Vectors();
    for (std::size_t row = 1; row <= vectors.size(); ++row) {
        cases.push_back(zorvan::testing::testCase(
            caseName, [vector = vectors[row - 1], origin = md5Origin(row)] {
                const D computed =
                    zorvan::hash<D>(packInDoublingChunks(zorvan::Bytes::fromText(vector.message)));
                const std::optional<D> known = D::get(Crypto::hexStringToBS(vector.digestHex));
                if (!known) {
                    throw IncompleteMatch(unreadableDigestError);
                }
                zorvan::testing::assertKnownAnswer(std::string(vector.assertionMessage), computed,
                                                   *known, origin);
            }));
    }
    return {Crypto::makeHashPropTests<D>(),
            zorvan::testing::TestGroup{groupName, std::move(cases)}};
}

template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeMD5Tests(const D& /*witness*/) {
    return makeMD5Tests<D>();
}

} // namespace Test::MD5
