#include <Test/AES.hpp>

#include <Test/AesFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
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

FieldNames fieldsOf(Operation operation) {
    if (needsIV(operation)) {
        return modeFields;
    }
    return blockFields;
}

// The known answer of a complete record.
KnownAnswer knownAnswer(std::string_view fileName, Operation operation,
                        const ParseNistKATs::KatRecord& record) {
    const bool encryption = encrypts(operation);
    const auto text = [&record](std::string_view field) {
        return std::string(*record.field(field));
    };
    return KnownAnswer{
        .name = std::string(fileName) + "-" + text(countField),
        .operation = operation,
        .keyHex = text(keyField),
        .ivHex = needsIV(operation) ? std::optional(text(ivField)) : std::nullopt,
        .inputHex = text(encryption ? plaintextField : ciphertextField),
        .answerHex = text(encryption ? ciphertextField : plaintextField),
    };
}

// Why every record of a file whose name names no operation gives no test.
AesRecord withoutOperation(std::string_view fileName, const std::optional<std::string>& code,
                           std::size_t line) {
    AesRecord record{std::string(fileName), line, std::nullopt, {}, {}};
    if (code == names::unsupportedCipher) {
        record.otherVariant = "a CFB mode other than CFB128";
    } else {
        record.damage = "the file name names no mode and direction (ECB, CBC, CFB128 or OFB, "
                        "then -e or -d before the extension)";
    }
    return record;
}

// A record of a file of the operation: its known answer, or its damage.
AesRecord fileRecord(std::string_view directory, const std::string& fileName, Operation operation,
                     const ParseNistKATs::KatRecord& record, std::size_t recordNumber) {
    // An IV in an ECB file is known and left: the ECB operations take none.
    AesRecord entry{fileName,
                    record.line(),
                    std::nullopt,
                    recordDamage(record, fieldsOf(operation), modeFields),
                    {}};
    if (entry.damage.empty()) {
        entry.vector = knownAnswer(fileName, operation, record);
        entry.vector->origin = KatOrigin::recordOrigin(directory, fileName, record, recordNumber);
    }
    return entry;
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

std::string listOctets(const std::vector<std::size_t>& sizes) {
    std::string list;
    for (const std::size_t size : sizes) {
        list.append(list.empty() ? "" : ", ").append(std::to_string(size));
    }
    return list;
}

// Binds one known answer to the cipher: its test, another variant's key, or a failure. The IV
// is read before the key, and both are decoded record by record, so that the first malformed
// record is the one that throws.
void bindKnownAnswer(RecordTests& records, const Crypto::CipherView& cipher,
                     const Suites::Algorithm& algorithm, KnownAnswer vector) {
    const RecordLedger::RecordPlace place = placeOf(vector.origin);
    std::optional<zorvan::Bytes> iv;
    if (vector.ivHex) {
        const zorvan::Bytes ivOctets = KatValues::hexField(vector.origin, ivField, *vector.ivHex);
        if (ivOctets.size() != algorithm.blockOctets) {
            return records.fail(place, "an IV of " + std::to_string(ivOctets.size()) + " octets; " +
                                           std::string(algorithm.name) + "'s is its block, " +
                                           std::to_string(algorithm.blockOctets) + " octets");
        }
        iv = cipher.readIV(ivOctets);
        if (!iv) {
            return records.fail(place, "the type's IV refused " + std::to_string(ivOctets.size()) +
                                           " octets");
        }
    }
    const zorvan::Bytes keyOctets = KatValues::hexField(vector.origin, keyField, vector.keyHex);
    if (std::ranges::find(algorithm.keyOctets, keyOctets.size()) == algorithm.keyOctets.end()) {
        return records.fail(place, "a KEY of " + std::to_string(keyOctets.size()) + " octets, no " +
                                       std::string(algorithm.name) + " key size (" +
                                       listOctets(algorithm.keyOctets) + " octets)");
    }
    std::shared_ptr<const Crypto::KeyView> key = cipher.buildKey(keyOctets);
    if (!key) {
        const std::string refused = "refused key: " + std::to_string(keyOctets.size()) + " octets";
        if (keyOctets.size() * 8 == cipher.keyLength()) {
            return records.fail(place, "buildKey " + refused + ", the type's own key length");
        }
        return records.otherVariant(place, refused);
    }
    std::string name = vector.name;
    records.add(zorvan::testing::testCase(
        std::move(name), [vector = std::move(vector), key = std::move(key), iv = std::move(iv)] {
            const zorvan::Bytes output = runOperation(
                vector.operation, *key, iv,
                KatValues::hexField(vector.origin,
                                    encrypts(vector.operation) ? plaintextField : ciphertextField,
                                    vector.inputHex));
            zorvan::testing::assertKnownAnswer(
                vector.name, output,
                KatValues::hexField(vector.origin,
                                    encrypts(vector.operation) ? ciphertextField : plaintextField,
                                    vector.answerHex),
                vector.origin);
        }));
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

std::vector<AesRecord> knownAnswers(const KatFiles::Folder& folder) {
    std::vector<AesRecord> records;
    for (const KatFiles::KatFile& file : folder.files) {
        const std::optional<std::string> code = modeCode(file.name);
        const std::optional<Operation> operation = code ? operationFor(*code) : std::nullopt;
        std::size_t recordNumber = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                records.push_back(operation ? fileRecord(folder.directory, file.name, *operation,
                                                         record, recordNumber)
                                            : withoutOperation(file.name, code, record.line()));
            }
        }
    }
    return records;
}

std::vector<zorvan::testing::Test>
recordTests(const std::shared_ptr<const Crypto::CipherView>& cipher, const DataSource& source,
            const KatFiles::Folder& folder, const Suites::Algorithm& algorithm) {
    RecordTests records(source);
    records.addFolder(folder, knownAnswers(folder), [&](RecordTests& each, KnownAnswer vector) {
        bindKnownAnswer(each, *cipher, algorithm, std::move(vector));
    });
    return std::move(records).take();
}

std::vector<zorvan::testing::Test>
knownAnswerTests(const std::shared_ptr<const Crypto::CipherView>& cipher, const DataSource& source,
                 const KatFiles::Folder& folder, const Suites::Algorithm& algorithm) {
    std::vector<zorvan::testing::Test> tests = recordTests(cipher, source, folder, algorithm);
    for (zorvan::testing::Test& group : Crypto::blockCipherPropTests(cipher)) {
        tests.push_back(std::move(group));
    }
    return tests;
}

std::vector<zorvan::testing::Test> aesTests(const std::shared_ptr<const Crypto::CipherView>& cipher,
                                            const DataSource& source) {
    return knownAnswerTests(cipher, source,
                            KatFiles::readFolder(source, names::katDirectory, names::recordStart),
                            Suites::algorithm("AES"));
}

} // namespace Test::AES
