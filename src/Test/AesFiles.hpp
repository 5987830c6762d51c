#pragma once
// The files of the AES and Camellia known-answer suites: NIST response files whose name says
// the mode and direction ("CBCMMT128-e.rsp": CBC, encryption), read into known answers and
// bound to a cipher's view.

#include <Test/Crypto/CipherView.hpp>
#include <Test/DataSource.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>

#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstddef>
#include <memory>
#include <optional>
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

/// KnownAnswer: one record of a KAT file, ready to bind to a cipher, its fields still hex text:
/// the key and IV are decoded when it is bound, the input and answer when its test runs, so
/// that a malformed one fails only its own test.
struct KnownAnswer {
    std::string name; // the file name, "-" and the record's COUNT
    Operation operation;
    std::string keyHex;
    std::optional<std::string> ivHex; // for the operations that need one
    std::string inputHex;             // PLAINTEXT to encrypt, CIPHERTEXT to decrypt
    std::string answerHex;            // the other one
    zorvan::testing::VectorOrigin origin{};
};

/// AesRecord: one record of a folder's files: its known answer, or why it gives none (another
/// variant: a CFB mode other than CFB128).
using AesRecord = ReadRecord<KnownAnswer>;

/// knownAnswers: the records of the folder's files in file order and, within a file, in the
/// order of its categories and records. Each file is paired with the records of all its own
/// categories, so a file holding no section, or several, leaves the other files' records where
/// they belong. Never fails beyond allocation.
std::vector<AesRecord> knownAnswers(const KatFiles::Folder& folder);

/// recordTests: the tests of the records for the cipher's view, the records accounted for as
/// Test::AES::aesTests says, with the key sizes and block of the algorithm. Throws as aesTests
/// does.
std::vector<zorvan::testing::Test>
recordTests(const std::shared_ptr<const Crypto::CipherView>& cipher, const DataSource& source,
            const KatFiles::Folder& folder, const Suites::Algorithm& algorithm);

/// knownAnswerTests: recordTests, then the two block-cipher property groups. Throws as
/// aesTests does.
std::vector<zorvan::testing::Test>
knownAnswerTests(const std::shared_ptr<const Crypto::CipherView>& cipher, const DataSource& source,
                 const KatFiles::Folder& folder, const Suites::Algorithm& algorithm);

} // namespace Test::AES
