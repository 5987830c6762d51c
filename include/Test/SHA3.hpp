#pragma once
// Test::SHA3: the NIST SHA3VS message vectors (FIPS 202) installed under Test/KAT_SHA3, one unit
// test per vector, followed by the hash property group.

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::SHA3 {

/// katDirectory: the folder of the data directory the suites read.
inline constexpr const char* katDirectory = "Test/KAT_SHA3";

/// sha3Tests: the vectors of <label>ShortMsg.rsp then <label>LongMsg.rsp in katDirectory
/// ("SHA3_224" as label) as unit tests for the digest type in view, named "Nist<label>-<number>",
/// then the hash property group; records and files are accounted for as the SHA suites account for
/// theirs. Throws Test::KatFiles::KatDirectoryError when the folder cannot be listed or one of
/// the two files is missing or cannot be read.
std::vector<zorvan::testing::Test> sha3Tests(const std::shared_ptr<const Crypto::HashView>& hash,
                                             std::string_view label, const DataSource& source = {});

/// makeSHA3_224Tests ... makeSHA3_512Tests: sha3Tests of their label for the digest type D (the
/// witness only selects it). Throw as sha3Tests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_224Tests(const DataSource& source = {}) {
    return sha3Tests(Crypto::messageView<D>(), "SHA3_224", source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_256Tests(const DataSource& source = {}) {
    return sha3Tests(Crypto::messageView<D>(), "SHA3_256", source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_384Tests(const DataSource& source = {}) {
    return sha3Tests(Crypto::messageView<D>(), "SHA3_384", source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_512Tests(const DataSource& source = {}) {
    return sha3Tests(Crypto::messageView<D>(), "SHA3_512", source);
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_224Tests(const D& /*witness*/,
                                                     const DataSource& source = {}) {
    return makeSHA3_224Tests<D>(source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_256Tests(const D& /*witness*/,
                                                     const DataSource& source = {}) {
    return makeSHA3_256Tests<D>(source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_384Tests(const D& /*witness*/,
                                                     const DataSource& source = {}) {
    return makeSHA3_384Tests<D>(source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA3_512Tests(const D& /*witness*/,
                                                     const DataSource& source = {}) {
    return makeSHA3_512Tests<D>(source);
}

} // namespace Test::SHA3
