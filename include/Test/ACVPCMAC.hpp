#pragma once
// Test::ACVPCMAC: CMAC-AES against NIST's ACVP set: generation tests, whose tag (truncated to the
// length the group states) the MAC must give and verifyTag accept, and verification tests,
// whose tag verifyTag must accept or, where the test must fail, refuse.

#include <Test/Crypto/MacView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/mac.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::ACVPCMAC {

/// setDirectory: the folder of the set, holding a prompt.json.gz and its expectedResults.json.gz
/// as NIST publishes them.
inline constexpr std::string_view setDirectory = "Test/ACVP/CMAC-AES-1.0";

/// acvpCmacTests: for the MAC in view (CMAC over AES), one unit test per test of the set whose
/// key is of the type's key length, named after the set, group and test ("CMAC-AES/tg28/tc217");
/// a failure shows the file, tgId, tcId, the computed value and the known answer. A key of
/// another AES size is left to that size, and a message of bits that are no whole number of
/// octets is left as one the type cannot express (both counted in the ledger); a damaged test,
/// a key of no AES size, an unknown test type or direction, or a set of another algorithm fails
/// the suite, as do a file that differs from the data's manifest and a set that gives no test.
/// Throws what Test::AcvpFiles::readFolder throws.
std::vector<zorvan::testing::Test> acvpCmacTests(const std::shared_ptr<const Crypto::MacView>& mac,
                                                 const DataSource& source = {});

/// acvpCmacSetTests: the same of a set in another folder of the source, relativeDirectory.
std::vector<zorvan::testing::Test>
acvpCmacSetTests(const std::shared_ptr<const Crypto::MacView>& mac,
                 std::string_view relativeDirectory, const DataSource& source = {});

/// makeACVPCMACTests: acvpCmacTests for the MAC type M (zorvan::Cmac<K>, or a type of one's
/// own).
template <zorvan::Mac M>
std::vector<zorvan::testing::Test> makeACVPCMACTests(const DataSource& source = {}) {
    return acvpCmacTests(Crypto::macView<M>(), source);
}

/// makeACVPCMACTests: the same for the MAC type of the witness, which only selects it.
template <zorvan::Mac M>
std::vector<zorvan::testing::Test> makeACVPCMACTests(const M& /*witness*/,
                                                     const DataSource& source = {}) {
    return makeACVPCMACTests<M>(source);
}

} // namespace Test::ACVPCMAC
