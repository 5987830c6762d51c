#pragma once
// Test::AcvpHmac: NIST's ACVP vector sets of HMAC (installed under Test/ACVP/<set>), one leaf per
// test, over the HMAC view of the digest type.

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::AcvpHmac {

/// hmacSetTests: the ACVP HMAC set in the source's relativeDirectory
/// ("Test/ACVP/HMAC-SHA2-256-1.0") for the digest type in view, as one group named after the set
/// ("ACVP-HMAC-SHA2-256") holding a group "tg<tgId>" per test group holding a leaf "tc<tcId>"
/// per test. Each AFT leaf computes the HMAC of msg under key, of a contiguous and of a chunked
/// message, and compares its first macLen bits (the group's) with mac. A key or message that
/// disagrees with the group's keyLen or msgLen, a damaged test, a file that differs from the
/// data's manifest and an unknown testType fail their own leaves; a failure names the file,
/// tgId and tcId, with the computed and known macs. Throws Test::KatFiles::KatDirectoryError
/// when the folder cannot be listed or a file cannot be read.
std::vector<zorvan::testing::Test> hmacSetTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                                std::string_view relativeDirectory,
                                                const DataSource& source = {});

/// makeAcvpHmacTests: hmacSetTests for the digest type D, its own HMAC where it declares one.
/// Throws as hmacSetTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeAcvpHmacTests(std::string_view relativeDirectory,
                                                     const DataSource& source = {}) {
    return hmacSetTests(Crypto::macView<D>(), relativeDirectory, source);
}

} // namespace Test::AcvpHmac
