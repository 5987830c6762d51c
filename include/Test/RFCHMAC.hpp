#pragma once
// Test::RFCHMAC: HMAC against the RFC 2202 (SHA-1) and RFC 4231 (SHA-224 to SHA-512) test
// cases installed under Test/KAT_HMAC_RFC, whose keys reach 131 octets, longer than a block,
// and the generated vectors under Test/KAT_HMAC_GENERATED: an empty key, and RFC 4231's
// case 5 truncated to 128 bits. One unit test per vector, as Test::HMAC binds them.

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::RFCHMAC {

/// rfcHmacTests: for the digest type in view, one unit test per record ("Len" opens one; "Key",
/// "Msg" and "MD" needed, "Tlen" optional) of the files of Test/KAT_HMAC_RFC, then of
/// Test/KAT_HMAC_GENERATED, whose stem ends in "-" and the lower-case label
/// ("rfc-4231-sha256.txt" for "SHA256"), named after the stem and the record's number in the
/// file from 0 ("rfc-4231-sha256-4"). The MAC is compared over "Tlen" octets, or the whole
/// digest where there is none. Records and files are accounted for as Test::HMAC accounts for
/// its own. Throws std::invalid_argument for a label Test::HMAC::algToLen does not know, and
/// Test::KatFiles::KatDirectoryError when a folder cannot be listed or a file read.
std::vector<zorvan::testing::Test> rfcHmacTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                                std::string_view label,
                                                const DataSource& source = {});

/// makeSHA1RFCHMACTests ... makeSHA512RFCHMACTests: rfcHmacTests of "SHA1" ... "SHA512" for the
/// digest type D (the witness only selects it). Throw as rfcHmacTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1RFCHMACTests(const DataSource& source = {}) {
    return rfcHmacTests(Crypto::hashView<D>(), "SHA1", source);
}
/// makeSHA224RFCHMACTests: rfcHmacTests of "SHA224" for the digest type D. Throws as rfcHmacTests
/// does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224RFCHMACTests(const DataSource& source = {}) {
    return rfcHmacTests(Crypto::hashView<D>(), "SHA224", source);
}
/// makeSHA256RFCHMACTests: rfcHmacTests of "SHA256" for the digest type D. Throws as rfcHmacTests
/// does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256RFCHMACTests(const DataSource& source = {}) {
    return rfcHmacTests(Crypto::hashView<D>(), "SHA256", source);
}
/// makeSHA384RFCHMACTests: rfcHmacTests of "SHA384" for the digest type D. Throws as rfcHmacTests
/// does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384RFCHMACTests(const DataSource& source = {}) {
    return rfcHmacTests(Crypto::hashView<D>(), "SHA384", source);
}
/// makeSHA512RFCHMACTests: rfcHmacTests of "SHA512" for the digest type D. Throws as rfcHmacTests
/// does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512RFCHMACTests(const DataSource& source = {}) {
    return rfcHmacTests(Crypto::hashView<D>(), "SHA512", source);
}

/// makeSHA1RFCHMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1RFCHMACTests(const D& /*witness*/,
                                                        const DataSource& source = {}) {
    return makeSHA1RFCHMACTests<D>(source);
}
/// makeSHA224RFCHMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224RFCHMACTests(const D& /*witness*/,
                                                          const DataSource& source = {}) {
    return makeSHA224RFCHMACTests<D>(source);
}
/// makeSHA256RFCHMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256RFCHMACTests(const D& /*witness*/,
                                                          const DataSource& source = {}) {
    return makeSHA256RFCHMACTests<D>(source);
}
/// makeSHA384RFCHMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384RFCHMACTests(const D& /*witness*/,
                                                          const DataSource& source = {}) {
    return makeSHA384RFCHMACTests<D>(source);
}
/// makeSHA512RFCHMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512RFCHMACTests(const D& /*witness*/,
                                                          const DataSource& source = {}) {
    return makeSHA512RFCHMACTests<D>(source);
}

} // namespace Test::RFCHMAC
