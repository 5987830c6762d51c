#pragma once
// Test::AESCTR: AES in CTR mode against known answers: the RFC 3686 vectors installed under
// Test/KAT_AES_CTR and the generated counter-carry vectors under Test/KAT_AES_CTR_CARRY (IVs
// whose low 32 bits, low 64 bits or whole block are ones, so that a counter that wraps early,
// or counts little-endian, fails). One unit test per vector of the key type's key length.

#include <Test/Crypto/CipherView.hpp>
#include <Test/Crypto/hex.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordLedger.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace Test::AESCTR {

/// CtrVector: one record of an [ENCRYPT] or [DECRYPT] section, ready to bind to a key type.
/// Key and IV are decoded; input, answer and next IV stay hex text until the test runs, so
/// that a malformed one fails only its own test.
struct CtrVector {
    std::string name; // file name, section and COUNT: "aes-128-ctr.txt-ENCRYPT-2"
    bool decrypt;     // unCtr on CIPHERTEXT rather than ctr on PLAINTEXT
    zorvan::Bytes key;
    zorvan::Bytes iv;
    std::string inputHex;
    std::string answerHex;
    std::optional<std::string> nextIVHex; // "NEXTIV": the counter after the last block used
    zorvan::testing::VectorOrigin origin{};
};

/// ctrVectors: the records of the files' [ENCRYPT] and [DECRYPT] sections whose KEY holds
/// keyOctets octets, in file, section and record order, their origins in relativeDirectory; a
/// record lacking COUNT, KEY, IV, PLAINTEXT or CIPHERTEXT is skipped, and so is a section that
/// is neither (both noted in the open record ledger). Throws Test::Crypto::HexDecodingError
/// when a KEY or IV is not hex.
std::vector<CtrVector> ctrVectors(std::span<const KatFiles::KatFile> files, std::size_t keyOctets,
                                  std::string_view relativeDirectory);

/// ctrFields: the fields a record is read for: COUNT, KEY, IV, PLAINTEXT, CIPHERTEXT, NEXTIV.
RecordLedger::FieldNames ctrFields() noexcept;

/// readVectors: ctrVectors of the files of Test/KAT_AES_CTR, then of Test/KAT_AES_CTR_CARRY,
/// each folder in listing order, for keys of keyBits bits. Throws KatFiles::KatDirectoryError
/// when a folder cannot be listed or a file read, and as ctrVectors does.
std::vector<CtrVector> readVectors(std::size_t keyBits);

/// assertCtrResult: assertKnownAnswer of output with the vector's answer, then (where the
/// vector gives one) of nextIV with its next IV, each message naming the vector and what
/// differs.
/// Throws zorvan::testing::AssertionFailure when one differs and
/// Test::Crypto::HexDecodingError when the answer or next IV is not hex.
void assertCtrResult(const CtrVector& vector, const zorvan::Bytes& output,
                     const zorvan::Bytes& nextIV);

/// ctrTests: one unit test per vector of readVectors(keyLength) for the cipher's view, named as
/// the vector, running ctr (or unCtr) over its input from its IV and checking output and next
/// IV. Vectors whose IV or key the cipher refuses yield no test. Throws as readVectors does.
std::vector<zorvan::testing::Test>
ctrTests(const std::shared_ptr<const Crypto::CipherView>& cipher);

/// makeAESCTRTests: ctrTests for key type K, so readVectors(K::keyLength()). The witness only
/// selects K.
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeAESCTRTests() {
    return ctrTests(Crypto::cipherView<K>());
}

/// makeAESCTRTests: the same for the key type of the witness, whose value is never read.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESCTRTests(const K& /*witness*/) {
    return makeAESCTRTests<K>();
}

} // namespace Test::AESCTR
