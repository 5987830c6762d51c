#pragma once
// Test::ACVPXTS: XTS-AES against NIST's ACVP set (revision 2.0): each test's data unit in its
// direction must give its answer, and the answer the input the other way; the tweak is given as
// a value or as a data unit sequence number, as the test's group says.

#include <Test/Crypto/XtsView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::ACVPXTS {

/// setDirectory: the folder of the set, holding a prompt.json.gz and its expectedResults.json.gz
/// as NIST publishes them.
inline constexpr std::string_view setDirectory = "Test/ACVP/ACVP-AES-XTS-2.0";

/// acvpXtsTests: for XTS over the cipher in view, one unit test per test of the set whose keys
/// are of the cipher's key length, named after the set, group and test
/// ("ACVP-AES-XTS/tg3/tc101"); a sequence number is the tweak as a 128-bit little-endian
/// integer, and a data unit longer than the payload leaves the payload one unit. A failure shows
/// the file, tgId, tcId, the computed value and the known answer. Keys of another AES size are left
/// to that size, and a payload or data unit that is no whole number of octets, or a payload longer
/// than its data unit (several units), is left as one a single XTS call cannot express (both
/// counted in the ledger); a damaged test, keys of no AES size, a tweak other than 16 octets or a
/// sequence number out of 0..255, an unknown test type, direction or tweak mode, or a set of
/// another algorithm fails the suite, as do a file that differs from the data's manifest and a set
/// that gives no test. Throws what Test::AcvpFiles::readFolder throws.
std::vector<zorvan::testing::Test> acvpXtsTests(const std::shared_ptr<const Crypto::XtsView>& xts,
                                                const DataSource& source = {});

/// acvpXtsSetTests: the same of a set in another folder of the source, relativeDirectory.
std::vector<zorvan::testing::Test>
acvpXtsSetTests(const std::shared_ptr<const Crypto::XtsView>& xts,
                std::string_view relativeDirectory, const DataSource& source = {});

/// makeACVPXTSTests: acvpXtsTests for XTS over key type K.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeACVPXTSTests(const DataSource& source = {}) {
    return acvpXtsTests(Crypto::xtsView<K>(), source);
}

/// makeACVPXTSTests: the same for the key type of the witness, which only selects it.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeACVPXTSTests(const K& /*witness*/,
                                                    const DataSource& source = {}) {
    return makeACVPXTSTests<K>(source);
}

} // namespace Test::ACVPXTS
