#include <Test/AES.hpp>

#include <Test/KatOrigin.hpp>
#include <Test/RecordLedger.hpp>

#include <zorvan/testing/assertion.hpp>

#include <array>
#include <stdexcept>
#include <utility>

namespace Test::AES {

namespace {

struct ModeRow {
    std::string_view code;
    Operation operation;
};

constexpr std::array<ModeRow, 8> modeTable{{
    {"ECBd", Operation::decryptBlock},
    {"ECBe", Operation::encryptBlock},
    {"CBCd", Operation::unCbc},
    {"CBCe", Operation::cbc},
    {"CFBd", Operation::unCfb},
    {"CFBe", Operation::cfb},
    {"OFBd", Operation::unOfb},
    {"OFBe", Operation::ofb},
}};

constexpr std::string_view cfb = "CFB";
constexpr std::string_view cfb128 = "CFB128";
constexpr std::string_view countField = names::recordStart;
constexpr std::string_view keyField = "KEY";
constexpr std::string_view ivField = "IV";
constexpr std::string_view plaintextField = "PLAINTEXT";
constexpr std::string_view ciphertextField = "CIPHERTEXT";

constexpr std::array<std::string_view, 4> blockFields{countField, keyField, plaintextField,
                                                      ciphertextField};
constexpr std::array<std::string_view, 5> modeFields{countField, keyField, ivField, plaintextField,
                                                     ciphertextField};

bool encrypts(Operation operation) {
    return operation == Operation::encryptBlock || operation == Operation::cbc ||
           operation == Operation::cfb || operation == Operation::ofb;
}

// The vector of one record, or nothing when a field it needs is missing. The IV is read
// first, so a malformed IV fails the call even in a record that lacks another field; the key
// is left to the cipher's half, which decodes it once the IV is taken.
std::optional<KnownAnswer> knownAnswer(std::string_view fileName, Operation operation,
                                       const ParseNistKATs::KatRecord& record) {
    std::optional<zorvan::Bytes> iv;
    if (needsIV(operation)) {
        const std::optional<std::string_view> ivText = record.field(ivField);
        if (!ivText) {
            return std::nullopt;
        }
        iv = Crypto::hexStringToBS(*ivText);
    }
    const auto count = record.field(countField);
    const auto ciphertext = record.field(ciphertextField);
    const auto plaintext = record.field(plaintextField);
    const auto key = record.field(keyField);
    if (!count || !ciphertext || !plaintext || !key) {
        return std::nullopt;
    }
    const bool encryption = encrypts(operation);
    return KnownAnswer{
        .name = std::string(fileName) + "-" + std::string(*count),
        .operation = operation,
        .keyHex = std::string(*key),
        .iv = std::move(iv),
        .inputHex = std::string(encryption ? *plaintext : *ciphertext),
        .answerHex = std::string(encryption ? *ciphertext : *plaintext),
    };
}

void noteFileOfNoMode(std::string_view relativeDirectory, const KatFiles::KatFile& file) {
    for (const ParseNistKATs::KatCategory& category : file.categories) {
        for (const ParseNistKATs::KatRecord& record : category.records) {
            RecordLedger::noteDropped(
                RecordLedger::RecordPlace{relativeDirectory, file.name, record.line()},
                RecordLedger::DropReason::unknownSection, "no mode and direction in the file name");
        }
    }
}

// The output of one vector's operation on the whole decoded input; the next IV is dropped.
zorvan::Bytes runOperation(Operation operation, const Crypto::KeyView& key,
                           const std::optional<zorvan::Bytes>& iv, const zorvan::Bytes& input) {
    using Crypto::CipherMode;
    switch (operation) {
    case Operation::encryptBlock:
        return key.encryptBlock(input);
    case Operation::decryptBlock:
        return key.decryptBlock(input);
    case Operation::cbc:
    case Operation::unCbc:
        return key.run(CipherMode::cbc, operation == Operation::unCbc, *iv, input).first;
    case Operation::cfb:
    case Operation::unCfb:
        return key.run(CipherMode::cfb, operation == Operation::unCfb, *iv, input).first;
    case Operation::ofb:
    case Operation::unOfb:
        return key.run(CipherMode::ofb, operation == Operation::unOfb, *iv, input).first;
    }
    throw std::invalid_argument("not an AES known-answer operation");
}

// The unit test of one vector, or nothing when the cipher refuses its IV or its key. Throws
// Test::Crypto::HexDecodingError when the key is not hex.
std::optional<zorvan::testing::Test> bindKnownAnswer(const Crypto::CipherView& cipher,
                                                     const KnownAnswer& vector) {
    std::optional<zorvan::Bytes> iv;
    if (vector.iv) {
        iv = cipher.readIV(*vector.iv);
        if (!iv) {
            RecordLedger::noteRefused(vector.origin, RecordLedger::DropReason::refusedIV,
                                      vector.iv->size());
            return std::nullopt;
        }
    }
    const zorvan::Bytes keyOctets = Crypto::hexStringToBS(vector.keyHex);
    std::shared_ptr<const Crypto::KeyView> key = cipher.buildKey(keyOctets);
    if (!key) {
        RecordLedger::noteRefused(vector.origin, RecordLedger::DropReason::refusedKey,
                                  keyOctets.size());
        return std::nullopt;
    }
    RecordLedger::noteTest(vector.origin, knownFields(vector.operation));
    return zorvan::testing::testCase(vector.name, [vector, key = std::move(key),
                                                   iv = std::move(iv)] {
        const zorvan::Bytes output =
            runOperation(vector.operation, *key, iv, Crypto::hexStringToBS(vector.inputHex));
        zorvan::testing::assertKnownAnswer(vector.name, output,
                                           Crypto::hexStringToBS(vector.answerHex), vector.origin);
    });
}

} // namespace

std::optional<std::string> modeCode(std::string_view fileName) {
    const std::string_view fileStem = KatFiles::stem(fileName);
    if (fileStem.empty()) {
        return std::nullopt;
    }
    std::string code(fileName.substr(0, 3));
    code.push_back(fileStem.back());
    if (code.find(cfb) != std::string::npos && fileName.find(cfb128) == std::string_view::npos) {
        return names::unsupportedCipher;
    }
    return code;
}

std::optional<Operation> operationFor(std::string_view modeCode) noexcept {
    for (const ModeRow& row : modeTable) {
        if (row.code == modeCode) {
            return row.operation;
        }
    }
    return std::nullopt;
}

bool needsIV(Operation operation) noexcept {
    return operation != Operation::encryptBlock && operation != Operation::decryptBlock;
}

RecordLedger::FieldNames knownFields(Operation operation) noexcept {
    if (needsIV(operation)) {
        return modeFields;
    }
    return blockFields;
}

std::vector<KnownAnswer> knownAnswers(std::span<const KatFiles::KatFile> files,
                                      std::string_view relativeDirectory) {
    std::vector<KnownAnswer> vectors;
    for (const KatFiles::KatFile& file : files) {
        const std::optional<std::string> code = modeCode(file.name);
        const std::optional<Operation> operation = code ? operationFor(*code) : std::nullopt;
        if (!operation) {
            noteFileOfNoMode(relativeDirectory, file);
            continue;
        }
        const RecordLedger::FieldNames fields = knownFields(*operation);
        std::size_t recordNumber = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                if (std::optional<KnownAnswer> vector =
                        knownAnswer(file.name, *operation, record)) {
                    vector->origin =
                        KatOrigin::recordOrigin(relativeDirectory, file.name, record, recordNumber);
                    vectors.push_back(std::move(*vector));
                } else {
                    RecordLedger::noteMissingFields(
                        RecordLedger::RecordPlace{relativeDirectory, file.name, record.line()},
                        record, fields, RecordLedger::missingNames(record, fields));
                }
            }
        }
    }
    return vectors;
}

std::vector<KnownAnswer> readKnownAnswers() {
    return knownAnswers(KatFiles::readKatDirectory(names::katDirectory, names::recordStart));
}

std::vector<zorvan::testing::Test>
knownAnswerTests(const std::shared_ptr<const Crypto::CipherView>& cipher,
                 std::span<const KnownAnswer> vectors) {
    std::vector<zorvan::testing::Test> tests;
    for (const KnownAnswer& vector : vectors) {
        if (std::optional<zorvan::testing::Test> test = bindKnownAnswer(*cipher, vector)) {
            tests.push_back(std::move(*test));
        }
    }
    for (zorvan::testing::Test& group : Crypto::blockCipherPropTests(cipher)) {
        tests.push_back(std::move(group));
    }
    return tests;
}

std::vector<zorvan::testing::Test>
aesTests(const std::shared_ptr<const Crypto::CipherView>& cipher) {
    return knownAnswerTests(cipher, readKnownAnswers());
}

} // namespace Test::AES
