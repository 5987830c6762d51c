#pragma once
// Test::GCM: AES-GCM against NIST's GCM response files (CAVS 14.0, installed under
// Test/KAT_GCM): the encryption files with external nonces, whose records seal to their
// ciphertext and tag and open again, and the decryption files, whose records open to their
// plaintext or, marked FAIL, must be refused without a plaintext octet written. Nonces of 8,
// 96 and 1024 bits and tags of 32 to 128 bits. Then the AEAD laws.

#include <Test/Crypto/AeadView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/aead.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::GCM {

inline constexpr const char* katDirectory = "Test/KAT_GCM";

/// gcmKnownAnswers: for the type in view, one unit test per record of Test/KAT_GCM whose key
/// is of the type's key length and whose nonce and tag lengths the type takes, named after its
/// file and its number there ("gcmDecrypt128.rsp-17"). A record with a key of another AES size,
/// or a nonce or tag length the type does not take, is left to another type; a record with a
/// missing or unknown field, a length in its section that disagrees with its value, a key of
/// no AES size, or in a file whose name says neither Encrypt nor Decrypt fails the suite, as do
/// a file that differs from the data's manifest and a folder that gives no test. Throws
/// Test::KatFiles::KatDirectoryError when the folder cannot be listed or a file read.
std::vector<zorvan::testing::Test>
gcmKnownAnswers(const std::shared_ptr<const Crypto::AeadView>& aead, const DataSource& source = {});

/// gcmTests: gcmKnownAnswers, then the AEAD laws (Test::AeadConformance). Throws as
/// gcmKnownAnswers does.
std::vector<zorvan::testing::Test> gcmTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                            const DataSource& source = {});

/// makeGCMTests: gcmTests for the AEAD key type A (zorvan::GCM<MyAes128>, say).
template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeGCMTests(const DataSource& source = {}) {
    return gcmTests(Crypto::aeadView<A>(), source);
}

template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeGCMTests(const A& /*witness*/,
                                                const DataSource& source = {}) {
    return makeGCMTests<A>(source);
}

} // namespace Test::GCM
