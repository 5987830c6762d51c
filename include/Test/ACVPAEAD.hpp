#pragma once
// Test::ACVPAEAD: AES-GCM and AES-CCM against NIST's ACVP sets: encryptions whose seal must give
// the ciphertext and tag and whose open must give the plaintext back, decryptions whose open
// must give the plaintext, and decryptions that must fail, which open must refuse, writing
// nothing into the caller's buffer.

#include <Test/Crypto/AeadView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/aead.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::ACVPAEAD {

/// gcmDirectory, ccmDirectory: the folders of the two sets, each holding a prompt.json.gz and
/// its expectedResults.json.gz as NIST publishes them.
inline constexpr std::string_view gcmDirectory = "Test/ACVP/ACVP-AES-GCM-1.0";
inline constexpr std::string_view ccmDirectory = "Test/ACVP/ACVP-AES-CCM-1.0";

/// acvpGcmTests: for the AEAD in view (AES-GCM), one unit test per test of the GCM set whose key
/// is of the type's key length, named after the set, group and test
/// ("ACVP-AES-GCM/tg3/tc41"); a failure shows the file, tgId, tcId, the computed value and the
/// known answer. A key of another AES size, or an IV or tag length the type does not take, is
/// left to another type, and a length in bits that is no whole number of octets is left as
/// one the type cannot express (all counted in the ledger); a damaged test, a key of no AES
/// size, an unknown test type or direction, or a set of another algorithm fails the suite, as
/// do a file that differs from the data's manifest and a set that gives no test. Throws what
/// Test::AcvpFiles::readFolder throws.
std::vector<zorvan::testing::Test> acvpGcmTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                                const DataSource& source = {});

/// acvpCcmTests: the same for AES-CCM and its set ("ACVP-AES-CCM/tg244/tc2431"), whose
/// ciphertexts carry the tag at their end.
std::vector<zorvan::testing::Test> acvpCcmTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                                const DataSource& source = {});

/// acvpGcmSetTests, acvpCcmSetTests: the same of a set in another folder of the source,
/// relativeDirectory.
std::vector<zorvan::testing::Test>
acvpGcmSetTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                std::string_view relativeDirectory, const DataSource& source = {});
std::vector<zorvan::testing::Test>
acvpCcmSetTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                std::string_view relativeDirectory, const DataSource& source = {});

/// makeACVPGCMTests, makeACVPCCMTests: the suites for AEAD type A (a backend's AES128GCM or
/// AES128CCM, or a type of one's own).
template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeACVPGCMTests(const DataSource& source = {}) {
    return acvpGcmTests(Crypto::aeadView<A>(), source);
}
template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeACVPCCMTests(const DataSource& source = {}) {
    return acvpCcmTests(Crypto::aeadView<A>(), source);
}

/// makeACVPGCMTests, makeACVPCCMTests: the same for the type of the witness, which only selects
/// it.
template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeACVPGCMTests(const A& /*witness*/,
                                                    const DataSource& source = {}) {
    return makeACVPGCMTests<A>(source);
}
template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeACVPCCMTests(const A& /*witness*/,
                                                    const DataSource& source = {}) {
    return makeACVPCCMTests<A>(source);
}

} // namespace Test::ACVPAEAD
