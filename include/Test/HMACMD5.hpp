#pragma once
// Test::HMACMD5: HMAC-MD5 against the seven test cases of RFC 2202, installed under
// Test/KAT_HMAC_MD5 in NIST's HMACVS form, one unit test per case as Test::HMAC binds them.

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::HMACMD5 {

/// katDirectory: the folder of the data directory the suite reads.
inline constexpr const char* katDirectory = "Test/KAT_HMAC_MD5";

/// hmacMd5Tests: for the MD5 digest type in view, the [L=16] records of every file of
/// Test/KAT_HMAC_MD5, in listing order, named "RfcHMACMD5-" and the Count ("RfcHMACMD5-1";
/// characters a shell would treat specially become '_'), HMAC computed contiguously and in chunks
/// and compared in full; no property group (the MD5 suite carries it). Records and files are
/// accounted for as Test::HMAC accounts for its own. Throws Test::KatFiles::KatDirectoryError when
/// the folder cannot be listed or a file read.
std::vector<zorvan::testing::Test> hmacMd5Tests(const std::shared_ptr<const Crypto::HashView>& hash,
                                                const DataSource& source = {});

/// makeMD5HMACTests: hmacMd5Tests for the digest type D (the witness only selects it).
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMD5HMACTests(const DataSource& source = {}) {
    return hmacMd5Tests(Crypto::hashView<D>(), source);
}

/// makeMD5HMACTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMD5HMACTests(const D& /*witness*/,
                                                    const DataSource& source = {}) {
    return makeMD5HMACTests<D>(source);
}

} // namespace Test::HMACMD5
