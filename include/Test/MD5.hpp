#pragma once
// Test::MD5: the MD5 suite, the hash property group then the seven vectors of RFC 1321.

#include <Test/Crypto.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::MD5 {

/// groupName: the group that holds the RFC 1321 vectors' leaves.
inline constexpr const char* groupName = "MD5 KATs";
/// caseName: the name of each of those leaves (all seven share it).
inline constexpr const char* caseName = "md5KAT";
/// The error raised when the known digest does not read back as the implementation's digest.
inline constexpr const char* unreadableDigestError = "Test/MD5:38:3-25|function fromRight";

/// md5Tests: the hash property group for the digest type in view, then the group "MD5 KATs" of
/// seven cases, all named "md5KAT", each hashing its message (in chunks of 32, 64, 128, ...
/// octets) when run and comparing with the known digest read by the type's get (a failure names
/// the RFC row). A known digest that get cannot read fails its case with IncompleteMatch
/// (unreadableDigestError). Building the list runs nothing.
std::vector<zorvan::testing::Test> md5Tests(const std::shared_ptr<const Crypto::HashView>& hash);

/// makeMD5Tests: md5Tests for the digest type D (the witness only selects it).
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeMD5Tests() {
    return md5Tests(Crypto::hashView<D>());
}

/// makeMD5Tests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeMD5Tests(const D& /*witness*/) {
    return makeMD5Tests<D>();
}

} // namespace Test::MD5
