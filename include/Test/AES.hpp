#pragma once
// Test::AES: the AES known-answer suite. Every file of the installed "Test/KAT_AES" folder is
// tested in the mode and direction its name tells ("ECBGFSbox128-e.rsp": ECB, encryption),
// one unit test per usable record, followed by the block-cipher property groups.

#include <Test/Crypto.hpp>
#include <Test/Crypto/hex.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordLedger.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Test::AES {

namespace names {
inline constexpr const char* katDirectory = "Test/KAT_AES";
inline constexpr const char* recordStart = "COUNT";
inline constexpr const char* unsupportedCipher = "THIS IS NOT A SUPPORTED CIPHER";
} // namespace names

/// Operation: what a file's vectors are run through: the key's block operations for ECB
/// files, the mode operations (IV in, output and next IV out) for the others.
enum class Operation { encryptBlock, decryptBlock, cbc, unCbc, cfb, unCfb, ofb, unOfb };

/// modeCode: the first three characters of the file name followed by the last character of
/// its stem ("ECBGFSbox128-e.rsp" gives "ECBe"); a CFB code for a file whose name lacks
/// "CFB128" is names::unsupportedCipher. Nothing when the stem is empty (".rsp"), which has no
/// last character. Never fails.
std::optional<std::string> modeCode(std::string_view fileName);

/// operationFor: the operation of a mode code ("CBCd" gives unCbc), or nothing for a code
/// that names no supported mode and direction. Never fails.
std::optional<Operation> operationFor(std::string_view modeCode) noexcept;

/// needsIV: whether the operation takes an IV (every one but the ECB block operations).
bool needsIV(Operation operation) noexcept;

/// knownFields: the fields a record of the operation's files is read for: COUNT, KEY, IV
/// (where needed), PLAINTEXT and CIPHERTEXT. Never fails.
RecordLedger::FieldNames knownFields(Operation operation) noexcept;

/// KnownAnswer: one record of a KAT file, ready to bind to a cipher, with where it stands. The
/// IV is decoded; the key stays hex text until the cipher has taken the IV, so that a record
/// whose IV the cipher refuses is skipped whatever its key; the input and answer stay hex text
/// until the test runs, so that a malformed one fails only its own test.
struct KnownAnswer {
    std::string name; // the file name, "-" and the record's COUNT
    Operation operation;
    std::string keyHex;
    std::optional<zorvan::Bytes> iv; // for the operations that need one
    std::string inputHex;            // PLAINTEXT to encrypt, CIPHERTEXT to decrypt
    std::string answerHex;           // the other one
    zorvan::testing::VectorOrigin origin{};
};

/// knownAnswers: the records of the files that yield tests, in file order and, within a
/// file, in the order of its categories and records. Each file is paired with the records
/// of all its own categories, so a file holding no section, or several, leaves the other
/// files' records where they belong. A record that lacks IV (where needed), COUNT,
/// CIPHERTEXT, PLAINTEXT or KEY is skipped. The origins name the files as standing in
/// relativeDirectory, under the data directory. Throws Test::Crypto::HexDecodingError when an
/// IV that is read is not hex.
std::vector<KnownAnswer> knownAnswers(std::span<const KatFiles::KatFile> files,
                                      std::string_view relativeDirectory = names::katDirectory);

/// readKnownAnswers: knownAnswers of every regular file of the installed "Test/KAT_AES"
/// folder, in listing order. Throws KatFiles::KatDirectoryError when the folder cannot be
/// listed or a file cannot be read, and Test::Crypto::HexDecodingError as knownAnswers does.
std::vector<KnownAnswer> readKnownAnswers();

/// knownAnswerTests: one unit test per vector for the cipher's view, in order (a vector whose
/// IV or key the cipher refuses gives none), each asserting that its operation turns its input
/// into its answer; then the two block-cipher property groups. The IV is read before the key
/// is decoded, so a record skipped for its IV never has its key decoded. Throws
/// Test::Crypto::HexDecodingError on the KEY of a vector whose IV the cipher takes, and
/// std::invalid_argument when its blocks are shorter than one octet.
std::vector<zorvan::testing::Test>
knownAnswerTests(const std::shared_ptr<const Crypto::CipherView>& cipher,
                 std::span<const KnownAnswer> vectors);

/// aesTests: knownAnswerTests of readKnownAnswers for the cipher's view. Throws as both do.
std::vector<zorvan::testing::Test>
aesTests(const std::shared_ptr<const Crypto::CipherView>& cipher);

/// makeKnownAnswerTests: knownAnswerTests for key type K.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeKnownAnswerTests(std::span<const KnownAnswer> vectors) {
    return knownAnswerTests(Crypto::cipherView<K>(), vectors);
}

/// makeAESTests: one unit test per usable record of the installed "Test/KAT_AES" files for
/// key type K (the witness only selects it), named after its file and COUNT
/// ("ECBGFSbox128-e.rsp-7") and asserting that the file's operation turns the record's input
/// into its answer; then the two block-cipher property groups. Records whose IV or key K
/// refuses yield no test. Throws KatFiles::KatDirectoryError when the folder cannot be listed
/// or a file cannot be read, Test::Crypto::HexDecodingError on an IV that is not hex or on
/// the KEY of a record whose IV K takes, and std::invalid_argument when K's blocks are
/// shorter than one octet.
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeAESTests() {
    return aesTests(Crypto::cipherView<K>());
}

/// makeAESTests: the same for the key type of the witness, whose value is never read.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESTests(const K& /*witness*/) {
    return makeAESTests<K>();
}

} // namespace Test::AES
