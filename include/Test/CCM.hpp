#pragma once
// Test::CCM: AES-CCM against NIST's CCM response files (CAVS 11.0, installed under
// Test/KAT_CCM): the associated-data, nonce, payload and tag length files (VADT, VNT, VPT, VTT),
// whose records seal to their CT (ciphertext and tag) and open again, and the decryption files
// (DVPT), whose records open to their payload or, marked Fail, must be refused without a
// plaintext octet written. Then the AEAD laws.

#include <Test/Crypto/AeadView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/aead.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::CCM {

inline constexpr const char* katDirectory = "Test/KAT_CCM";

/// ccmKnownAnswers: for the type in view, one unit test per record of Test/KAT_CCM whose key
/// is of the type's key length and whose nonce and tag lengths the type takes, named after its
/// file and its number there ("DVPT128.rsp-17"). A record with a key of another AES size,
/// or a nonce or tag length the type does not take, is left to another type; a record with a
/// missing or unknown field, a length (the file's, its section's) that disagrees with its value, a
/// key of no AES size, or in a file whose name starts with none of VADT, VNT, VPT, VTT and DVPT
/// fails the suite, as do a file that differs from the data's manifest and a folder that gives no
/// test. Throws Test::KatFiles::KatDirectoryError when the folder cannot be listed or a file read.
std::vector<zorvan::testing::Test>
ccmKnownAnswers(const std::shared_ptr<const Crypto::AeadView>& aead, const DataSource& source = {});

/// ccmTests: ccmKnownAnswers, then the AEAD laws (Test::AeadConformance). Throws as
/// ccmKnownAnswers does.
std::vector<zorvan::testing::Test> ccmTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                            const DataSource& source = {});

/// makeCCMTests: ccmTests for the AEAD key type A (zorvan::CCM<MyAes128>, say).
template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeCCMTests(const DataSource& source = {}) {
    return ccmTests(Crypto::aeadView<A>(), source);
}

template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeCCMTests(const A& /*witness*/,
                                                const DataSource& source = {}) {
    return makeCCMTests<A>(source);
}

} // namespace Test::CCM
