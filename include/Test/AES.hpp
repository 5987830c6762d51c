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
#include <zorvan/testing/assertion.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
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

namespace detail {

// The output of one vector's operation on the whole decoded input; the next IV is dropped.
template <zorvan::BlockCipher K>
zorvan::Bytes runOperation(Operation operation, const K& key,
                           const std::optional<zorvan::IV<K>>& iv, const zorvan::Bytes& input) {
    switch (operation) {
    case Operation::encryptBlock:
        return key.encryptBlock(input);
    case Operation::decryptBlock:
        return key.decryptBlock(input);
    case Operation::cbc:
        return zorvan::cbc(key, *iv, input).first;
    case Operation::unCbc:
        return zorvan::unCbc(key, *iv, input).first;
    case Operation::cfb:
        return zorvan::cfb(key, *iv, input).first;
    case Operation::unCfb:
        return zorvan::unCfb(key, *iv, input).first;
    case Operation::ofb:
        return zorvan::ofb(key, *iv, input).first;
    case Operation::unOfb:
        return zorvan::unOfb(key, *iv, input).first;
    }
    throw std::invalid_argument("not an AES known-answer operation");
}

// The unit test of one vector, or nothing when the cipher refuses its IV or its key. The IV
// is taken first: a record skipped for its IV never has its key decoded. Throws
// Test::Crypto::HexDecodingError when the key is not hex.
template <zorvan::BlockCipher K>
std::optional<zorvan::testing::Test> bindKnownAnswer(const KnownAnswer& vector) {
    std::optional<zorvan::IV<K>> decodedIV;
    if (vector.iv) {
        decodedIV = zorvan::IV<K>::get(*vector.iv);
        if (!decodedIV) {
            RecordLedger::noteRefused(vector.origin, RecordLedger::DropReason::refusedIV,
                                      vector.iv->size());
            return std::nullopt;
        }
    }
    const zorvan::Bytes keyOctets = Test::Crypto::hexStringToBS(vector.keyHex);
    std::optional<K> builtKey = K::buildKey(keyOctets);
    if (!builtKey) {
        RecordLedger::noteRefused(vector.origin, RecordLedger::DropReason::refusedKey,
                                  keyOctets.size());
        return std::nullopt;
    }
    RecordLedger::noteTest(vector.origin, knownFields(vector.operation));
    // Shared, so that the test stays copyable whatever K allows.
    return zorvan::testing::testCase(
        vector.name,
        [vector, key = std::make_shared<const K>(std::move(*builtKey)), iv = std::move(decodedIV)] {
            const zorvan::Bytes output = runOperation(vector.operation, *key, iv,
                                                      Test::Crypto::hexStringToBS(vector.inputHex));
            zorvan::testing::assertKnownAnswer(
                vector.name, output, Test::Crypto::hexStringToBS(vector.answerHex), vector.origin);
        });
}

} // namespace detail

/// makeKnownAnswerTests: one unit test per vector for key type K, in order (a vector whose IV
/// or key K refuses gives none), each asserting that its operation turns its input into its
/// answer; then the two block-cipher property groups. Throws Test::Crypto::HexDecodingError on
/// the KEY of a vector whose IV K takes, and std::invalid_argument when K's blocks are
/// shorter than one octet.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeKnownAnswerTests(std::span<const KnownAnswer> vectors) {
    std::vector<zorvan::testing::Test> tests;
    for (const KnownAnswer& vector : vectors) {
        if (std::optional<zorvan::testing::Test> test = detail::bindKnownAnswer<K>(vector)) {
            tests.push_back(std::move(*test));
        }
    }
    for (zorvan::testing::Test& group : Test::Crypto::makeBlockCipherPropTests<K>()) {
        tests.push_back(std::move(group));
    }
    return tests;
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
    return makeKnownAnswerTests<K>(readKnownAnswers());
}

/// makeAESTests: the same for the key type of the witness, whose value is never read.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESTests(const K& /*witness*/) {
    return makeAESTests<K>();
}

} // namespace Test::AES
