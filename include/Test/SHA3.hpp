#pragma once
// Test::SHA3: the NIST SHA3VS message vectors (FIPS 202) installed under Test/KAT_SHA3, one unit
// test per vector, followed by the hash property group.

#include <Test/NistHashFiles.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <vector>

namespace Test::SHA3 {

/// katDirectory: the folder of the data directory the suites read.
inline constexpr const char* katDirectory = "Test/KAT_SHA3";

/// makeSHA3_224Tests ... makeSHA3_512Tests: the vectors of SHA3_<n>ShortMsg.rsp then
/// SHA3_<n>LongMsg.rsp as unit tests for the digest type D, named "NistSHA3_<n>-<number>",
/// then the hash property group. The witness only selects D. Throw
/// Test::KatFiles::KatDirectoryError when Test/KAT_SHA3 cannot be listed or one of the two
/// files is missing or cannot be read.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA3_224Tests() {
    return NistHashFiles::makeMessageFileTests<D>(katDirectory, "SHA3_224");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA3_256Tests() {
    return NistHashFiles::makeMessageFileTests<D>(katDirectory, "SHA3_256");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA3_384Tests() {
    return NistHashFiles::makeMessageFileTests<D>(katDirectory, "SHA3_384");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA3_512Tests() {
    return NistHashFiles::makeMessageFileTests<D>(katDirectory, "SHA3_512");
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_224Tests(const D& /*witness*/) {
    return makeSHA3_224Tests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_256Tests(const D& /*witness*/) {
    return makeSHA3_256Tests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_384Tests(const D& /*witness*/) {
    return makeSHA3_384Tests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_512Tests(const D& /*witness*/) {
    return makeSHA3_512Tests<D>();
}

} // namespace Test::SHA3
