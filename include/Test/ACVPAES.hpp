#pragma once
// Test::ACVPAES: AES in ECB, CBC, CFB8, CFB128, OFB and CTR against NIST's ACVP sets: the
// functional tests in both directions, the Monte Carlo tests as ACVP chains them for each mode
// (a hundred rounds of a thousand steps, the key shuffled and the IV carried between rounds), and
// CTR's tests, run as functional tests. CFB8 runs over the type's block function, since zorvan has
// no CFB8 mode; every other mode is the type's own.

#include <Test/Crypto/CipherView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/testing/test.hpp>

#include <array>
#include <memory>
#include <string_view>
#include <vector>

namespace Test::ACVPAES {

/// setDirectories: the folders of the six sets, each holding a prompt.json.gz and its
/// expectedResults.json.gz as NIST publishes them.
inline constexpr std::array<std::string_view, 6> setDirectories{
    "Test/ACVP/ACVP-AES-ECB-1.0",    "Test/ACVP/ACVP-AES-CBC-1.0", "Test/ACVP/ACVP-AES-CFB8-1.0",
    "Test/ACVP/ACVP-AES-CFB128-1.0", "Test/ACVP/ACVP-AES-OFB-1.0", "Test/ACVP/ACVP-AES-CTR-1.0"};

/// acvpAesTests: for the cipher in view, one unit test per test of the six sets whose key is of
/// the type's key length, named after the set's algorithm, group and test
/// ("ACVP-AES-CBC/tg3/tc41"). A functional test's input must give its answer in its direction;
/// a Monte Carlo test must give, round by round, the key, IV, input and output of each of its
/// hundred rounds, and fails at the first that differs. A failure shows the file, tgId, tcId,
/// the computed value and the known answer. A key of another AES size is left to that size, and
/// a payload that is no whole number of octets is left as one the type cannot express (both
/// counted in the ledger); a damaged test, a key or IV of no size AES has, a key of the type's
/// own size that buildKey refuses, an unknown test type or direction, or a set of another
/// algorithm fails the suite, as do a file that differs from the data's manifest and a set that
/// gives no test. Throws what Test::AcvpFiles::readFolder throws.
std::vector<zorvan::testing::Test>
acvpAesTests(const std::shared_ptr<const Crypto::CipherView>& cipher,
             const DataSource& source = {});

/// acvpAesSetTests: acvpAesTests of one set alone, the one of algorithm ("ACVP-AES-CBC", the
/// name the set declares), read from the source's relativeDirectory. Throws
/// std::invalid_argument for an algorithm other than the six sets', and what
/// Test::AcvpFiles::readFolder throws.
std::vector<zorvan::testing::Test>
acvpAesSetTests(const std::shared_ptr<const Crypto::CipherView>& cipher, std::string_view algorithm,
                std::string_view relativeDirectory, const DataSource& source = {});

/// makeACVPAESTests: acvpAesTests for key type K.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeACVPAESTests(const DataSource& source = {}) {
    return acvpAesTests(Crypto::cipherView<K>(), source);
}

/// makeACVPAESTests: the same for the key type of the witness, which only selects it.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeACVPAESTests(const K& /*witness*/,
                                                    const DataSource& source = {}) {
    return makeACVPAESTests<K>(source);
}

} // namespace Test::ACVPAES
