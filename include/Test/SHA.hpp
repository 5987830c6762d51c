#pragma once
// Test::SHA: the NIST SHAVS message vectors of SHA-1 to SHA-512 installed under Test/KAT_SHA, one
// unit test per record of the files whose name begins with the algorithm's label, followed by
// the hash property group.

#include <Test/Crypto.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::SHA {

/// knownAnswerTests: one unit test per record of the files of Test/KAT_SHA whose name begins
/// with label ("SHA256"), for the digest type in view: named "Nist<label>-<n>", n counting the
/// complete records from 1 across the files in listing order; each hashes the message cut to
/// its "Len" bits, contiguously and in chunks, and compares both with "MD" when it runs. A
/// record with a missing or unknown field, a file that differs from the data's manifest, and a
/// folder that gives no test become failing leaves. Throws Test::KatFiles::KatDirectoryError
/// when the folder cannot be listed or a selected file cannot be read.
std::vector<zorvan::testing::Test>
knownAnswerTests(const std::shared_ptr<const Crypto::HashView>& hash, std::string_view label,
                 const DataSource& source = {});

/// shaTests: knownAnswerTests, then the hash property group. Throws as knownAnswerTests does.
std::vector<zorvan::testing::Test> shaTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                            std::string_view label, const DataSource& source = {});

/// getTests: knownAnswerTests of label for the digest type D.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> getTests(std::string_view label, const DataSource& source = {}) {
    return knownAnswerTests(Crypto::messageView<D>(), label, source);
}

/// makeSHA1Tests ... makeSHA512Tests: shaTests of "SHA1" ... "SHA512" for the digest type D
/// (the witness only selects it). Throw as knownAnswerTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1Tests(const DataSource& source = {}) {
    return shaTests(Crypto::messageView<D>(), "SHA1", source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224Tests(const DataSource& source = {}) {
    return shaTests(Crypto::messageView<D>(), "SHA224", source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256Tests(const DataSource& source = {}) {
    return shaTests(Crypto::messageView<D>(), "SHA256", source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384Tests(const DataSource& source = {}) {
    return shaTests(Crypto::messageView<D>(), "SHA384", source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512Tests(const DataSource& source = {}) {
    return shaTests(Crypto::messageView<D>(), "SHA512", source);
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1Tests(const D& /*witness*/,
                                                 const DataSource& source = {}) {
    return makeSHA1Tests<D>(source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224Tests(const D& /*witness*/,
                                                   const DataSource& source = {}) {
    return makeSHA224Tests<D>(source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256Tests(const D& /*witness*/,
                                                   const DataSource& source = {}) {
    return makeSHA256Tests<D>(source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384Tests(const D& /*witness*/,
                                                   const DataSource& source = {}) {
    return makeSHA384Tests<D>(source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512Tests(const D& /*witness*/,
                                                   const DataSource& source = {}) {
    return makeSHA512Tests<D>(source);
}

} // namespace Test::SHA
