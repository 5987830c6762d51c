#pragma once
// Test::HMAC: the NIST HMAC vectors installed under Test/KAT_HMAC, one unit test per vector
// of the sections whose digest length "L" belongs to the hash.

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::HMAC {

/// algToLen: the digest length in octets, as the text of the "L" section header, of the
/// label "SHA1", "SHA224", "SHA256", "SHA384" or "SHA512" ("20" ... "64"). Throws
/// std::invalid_argument naming any other label.
std::string_view algToLen(std::string_view label);

/// hmacTests: one unit test per record of the sections of the files of Test/KAT_HMAC whose "L"
/// is algToLen(label), for the digest type in view, named "NistHMAC<label>-" and the record's
/// quoted Count ("NistHMACSHA1-\"0\""); each computes the HMAC contiguously and in chunks, cuts
/// it to "Tlen" octets and compares it with "Mac" when it runs. Records of another hash's
/// section are left to that hash; a record with a missing or unknown field, a section of no
/// hash's length, a file that differs from the data's manifest and a folder that gives no test
/// become failing leaves. Throws std::invalid_argument for a label algToLen does not know, and
/// Test::KatFiles::KatDirectoryError when the folder cannot be listed or a file cannot be read.
std::vector<zorvan::testing::Test> hmacTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                             std::string_view label, const DataSource& source = {});

/// getTests: hmacTests of label for the digest type D.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> getTests(std::string_view label, const DataSource& source = {}) {
    return hmacTests(Crypto::hashView<D>(), label, source);
}

/// makeSHA1HMACTests ... makeSHA512HMACTests: getTests of "SHA1" ... "SHA512" for the digest
/// type D (the witness only selects it); no property group. Throw as hmacTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1HMACTests(const DataSource& source = {}) {
    return getTests<D>("SHA1", source);
}
/// makeSHA224HMACTests: getTests of "SHA224" for the digest type D. Throws as getTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224HMACTests(const DataSource& source = {}) {
    return getTests<D>("SHA224", source);
}
/// makeSHA256HMACTests: getTests of "SHA256" for the digest type D. Throws as getTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256HMACTests(const DataSource& source = {}) {
    return getTests<D>("SHA256", source);
}
/// makeSHA384HMACTests: getTests of "SHA384" for the digest type D. Throws as getTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384HMACTests(const DataSource& source = {}) {
    return getTests<D>("SHA384", source);
}
/// makeSHA512HMACTests: getTests of "SHA512" for the digest type D. Throws as getTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512HMACTests(const DataSource& source = {}) {
    return getTests<D>("SHA512", source);
}

/// makeSHA1HMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1HMACTests(const D& /*witness*/,
                                                     const DataSource& source = {}) {
    return makeSHA1HMACTests<D>(source);
}
/// makeSHA224HMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224HMACTests(const D& /*witness*/,
                                                       const DataSource& source = {}) {
    return makeSHA224HMACTests<D>(source);
}
/// makeSHA256HMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256HMACTests(const D& /*witness*/,
                                                       const DataSource& source = {}) {
    return makeSHA256HMACTests<D>(source);
}
/// makeSHA384HMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384HMACTests(const D& /*witness*/,
                                                       const DataSource& source = {}) {
    return makeSHA384HMACTests<D>(source);
}
/// makeSHA512HMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512HMACTests(const D& /*witness*/,
                                                       const DataSource& source = {}) {
    return makeSHA512HMACTests<D>(source);
}

} // namespace Test::HMAC
