#pragma once
// Test::AESCTR: AES in CTR mode against known answers: the RFC 3686 vectors installed under
// Test/KAT_AES_CTR and the generated counter-carry vectors under Test/KAT_AES_CTR_CARRY (IVs
// whose low 32 bits, low 64 bits or whole block are ones, so that a counter that wraps early,
// or counts little-endian, fails). One unit test per vector of the key type's key length.

#include <Test/Crypto/CipherView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::AESCTR {

/// ctrTests: for the cipher in view, one unit test per record of the [ENCRYPT] and [DECRYPT]
/// sections of Test/KAT_AES_CTR, then of Test/KAT_AES_CTR_CARRY, whose KEY is of the type's
/// key length, named after its file, section and COUNT ("aes-128-ctr.txt-ENCRYPT-2"): ctr (or
/// unCtr) over its input from its IV must give its output and, where the record has a NEXTIV,
/// that next IV. A record with a key of another AES size is left to that size; one with a
/// missing or unknown field, a key or IV of no AES size, a key of the type's own size or an IV
/// the type refuses, or standing in no [ENCRYPT] or [DECRYPT] section fails the suite, as do a
/// file that differs from the data's manifest and a folder that gives no test. Throws
/// Test::KatFiles::KatDirectoryError when a folder cannot be listed or a file read, and
/// Test::Crypto::HexDecodingError naming the place and field on a KEY or IV that is not hex.
std::vector<zorvan::testing::Test> ctrTests(const std::shared_ptr<const Crypto::CipherView>& cipher,
                                            const DataSource& source = {});

/// makeAESCTRTests: ctrTests for key type K (the witness only selects it).
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESCTRTests(const DataSource& source = {}) {
    return ctrTests(Crypto::cipherView<K>(), source);
}

/// makeAESCTRTests: the same for the key type of the witness, which only selects it.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESCTRTests(const K& /*witness*/,
                                                   const DataSource& source = {}) {
    return makeAESCTRTests<K>(source);
}

} // namespace Test::AESCTR
