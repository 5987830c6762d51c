#pragma once
// Test::SHA512t: the NIST SHAVS message vectors of SHA-512/224 and SHA-512/256 (FIPS 180-4)
// installed under Test/KAT_SHA512T, one unit test per vector, followed by the hash property
// group. They have a folder of their own: the SHA-512 suite reads every file of Test/KAT_SHA
// whose name starts with "SHA512".

#include <Test/NistHashFiles.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <vector>

namespace Test::SHA512t {

/// katDirectory: the folder of the data directory the suites read.
inline constexpr const char* katDirectory = "Test/KAT_SHA512T";

/// makeSHA512_224Tests, makeSHA512_256Tests: the vectors of SHA512_<t>ShortMsg.rsp then
/// SHA512_<t>LongMsg.rsp as unit tests for the digest type D, named
/// "NistSHA512_<t>-<number>", then the hash property group. The witness only selects D.
/// Throw Test::KatFiles::KatDirectoryError when Test/KAT_SHA512T cannot be listed or one of
/// the two files is missing or cannot be read.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA512_224Tests() {
    return NistHashFiles::makeMessageFileTests<D>(katDirectory, "SHA512_224");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA512_256Tests() {
    return NistHashFiles::makeMessageFileTests<D>(katDirectory, "SHA512_256");
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512_224Tests(const D& /*witness*/) {
    return makeSHA512_224Tests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512_256Tests(const D& /*witness*/) {
    return makeSHA512_256Tests<D>();
}

} // namespace Test::SHA512t
