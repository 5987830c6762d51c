#pragma once
// Test::SHA512t: the NIST SHAVS message vectors of SHA-512/224 and SHA-512/256 (FIPS 180-4)
// installed under Test/KAT_SHA512T, one unit test per vector, followed by the hash property
// group. They have a folder of their own: the SHA-512 suite reads every file of Test/KAT_SHA
// whose name starts with "SHA512".

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::SHA512t {

/// katDirectory: the folder of the data directory the suites read.
inline constexpr const char* katDirectory = "Test/KAT_SHA512T";

/// sha512tTests: the vectors of <label>ShortMsg.rsp then <label>LongMsg.rsp in katDirectory
/// ("SHA512_224" as label) as unit tests for the digest type in view, named "Nist<label>-<number>",
/// then the hash property group; records and files are accounted for as the SHA suites account for
/// theirs. Throws Test::KatFiles::KatDirectoryError when the folder cannot be listed or one of
/// the two files is missing or cannot be read.
std::vector<zorvan::testing::Test> sha512tTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                                std::string_view label,
                                                const DataSource& source = {});

/// makeSHA512_224Tests, makeSHA512_256Tests: sha512tTests of their label for the digest type D
/// (the witness only selects it). Throw as sha512tTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512_224Tests(const DataSource& source = {}) {
    return sha512tTests(Crypto::messageView<D>(), "SHA512_224", source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512_256Tests(const DataSource& source = {}) {
    return sha512tTests(Crypto::messageView<D>(), "SHA512_256", source);
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512_224Tests(const D& /*witness*/,
                                                       const DataSource& source = {}) {
    return makeSHA512_224Tests<D>(source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512_256Tests(const D& /*witness*/,
                                                       const DataSource& source = {}) {
    return makeSHA512_256Tests<D>(source);
}

} // namespace Test::SHA512t
