#pragma once
// Test::RFCHMAC: HMAC against the RFC 2202 (SHA-1) and RFC 4231 (SHA-224 to SHA-512) test
// cases installed under Test/KAT_HMAC_RFC, whose keys reach 131 octets, longer than a block,
// and the generated vectors under Test/KAT_HMAC_GENERATED: an empty key, and RFC 4231's
// case 5 truncated to 128 bits. One unit test per vector, as Test::HMAC binds them.

#include <Test/HMAC.hpp>
#include <Test/KatFiles.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <span>
#include <string_view>
#include <vector>

namespace Test::RFCHMAC {

/// hmacVectors: the records ("Len" opens one; "Key", "Msg" and "MD" needed, "Tlen" optional)
/// of the files whose stem ends in "-" and the lower-case label ("rfc-4231-sha256.txt" for
/// "SHA256"), in file and record order, named after the stem and the record's number in the
/// file from 0 ("rfc-4231-sha256-4"). The MAC is compared over "Tlen" octets, or the whole
/// digest where there is none. "Len" is not read: "Msg" is the message. The origins name the
/// files as standing in relativeDirectory; records that lack a field are noted in the open
/// record ledger. Throws std::invalid_argument for a label Test::HMAC::algToLen does not know.
std::vector<HMAC::HmacVector> hmacVectors(std::span<const KatFiles::KatFile> files,
                                          std::string_view label,
                                          std::string_view relativeDirectory);

/// readVectors: hmacVectors of Test/KAT_HMAC_RFC, then of Test/KAT_HMAC_GENERATED, each in
/// listing order. Throws Test::KatFiles::KatDirectoryError when a folder cannot be listed or
/// a file read, and as hmacVectors does.
std::vector<HMAC::HmacVector> readVectors(std::string_view label);

/// makeSHA1RFCHMACTests ... makeSHA512RFCHMACTests: the vectors of "SHA1" ... "SHA512" as unit
/// tests for the digest type D, HMAC computed contiguously and in chunks. The witness only
/// selects D. Throw as readVectors does.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA1RFCHMACTests() {
    return HMAC::bindTests<D>(readVectors("SHA1"));
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA224RFCHMACTests() {
    return HMAC::bindTests<D>(readVectors("SHA224"));
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA256RFCHMACTests() {
    return HMAC::bindTests<D>(readVectors("SHA256"));
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA384RFCHMACTests() {
    return HMAC::bindTests<D>(readVectors("SHA384"));
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA512RFCHMACTests() {
    return HMAC::bindTests<D>(readVectors("SHA512"));
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1RFCHMACTests(const D& /*witness*/) {
    return makeSHA1RFCHMACTests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224RFCHMACTests(const D& /*witness*/) {
    return makeSHA224RFCHMACTests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256RFCHMACTests(const D& /*witness*/) {
    return makeSHA256RFCHMACTests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384RFCHMACTests(const D& /*witness*/) {
    return makeSHA384RFCHMACTests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512RFCHMACTests(const D& /*witness*/) {
    return makeSHA512RFCHMACTests<D>();
}

} // namespace Test::RFCHMAC
