#pragma once
// Test::HMACMD5: HMAC-MD5 against the seven test cases of RFC 2202, installed under
// Test/KAT_HMAC_MD5 in NIST's HMACVS form, one unit test per case as Test::HMAC binds them.

#include <Test/HMAC.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <vector>

namespace Test::HMACMD5 {

/// katDirectory: the folder of the data directory the suite reads.
inline constexpr const char* katDirectory = "Test/KAT_HMAC_MD5";

/// readVectors: the [L=16] records of every file of Test/KAT_HMAC_MD5, in listing order, named
/// "RfcHMACMD5-" and the quoted Count ("RfcHMACMD5-\"1\""). Throws
/// Test::KatFiles::KatDirectoryError when the folder cannot be listed or a file read.
std::vector<HMAC::HmacVector> readVectors();

/// makeMD5HMACTests: the RFC 2202 cases as unit tests for the MD5 digest type D, HMAC computed
/// contiguously and in chunks and compared in full; no property group (the MD5 suite carries
/// it). The witness only selects D. Throws as readVectors does.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeMD5HMACTests() {
    return HMAC::bindTests<D>(readVectors());
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMD5HMACTests(const D& /*witness*/) {
    return makeMD5HMACTests<D>();
}

} // namespace Test::HMACMD5
