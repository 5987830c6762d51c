#pragma once
// Test::MD5: the MD5 suite, the hash property group then the seven vectors of RFC 1321.

#include <Test/Crypto.hpp>
#include <Test/Crypto/hex.hpp>
#include <Test/IncompleteMatch.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

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

/// packInDoublingChunks: the octets as chunks of 32, 64, 128, ... octets, the last shorter;
/// the empty string gives no chunk.
zorvan::LazyBytes packInDoublingChunks(const zorvan::Bytes& octets);

inline constexpr const char* groupName = "MD5 KATs";
inline constexpr const char* caseName = "md5KAT";
/// The error raised when the known digest does not read back as the implementation's digest.
inline constexpr const char* unreadableDigestError = "Test/MD5:38:3-25|function fromRight";

/// makeMD5Tests: the hash property group for D, then the group "MD5 KATs" of seven cases, all
/// named "md5KAT", each hashing its message (in doubling chunks) when run and comparing with
/// the known digest read by D::get. A known digest that D::get cannot read fails its case with
/// IncompleteMatch. Building the list runs nothing.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMD5Tests() {
    std::vector<zorvan::testing::Test> cases;
    for (const Md5Vector& vector : md5Vectors()) {
        cases.push_back(zorvan::testing::testCase(caseName, [vector] {
            const D computed =
                zorvan::hash<D>(packInDoublingChunks(zorvan::Bytes::fromText(vector.message)));
            const std::optional<D> known = D::get(Crypto::hexStringToBS(vector.digestHex));
            if (!known) {
                throw IncompleteMatch(unreadableDigestError);
            }
            zorvan::testing::assertEqual(std::string(vector.assertionMessage), computed, *known);
        }));
    }
    return {Crypto::makeHashPropTests<D>(), zorvan::testing::TestGroup{groupName, std::move(cases)}};
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMD5Tests(const D& /*witness*/) {
    return makeMD5Tests<D>();
}

} // namespace Test::MD5
