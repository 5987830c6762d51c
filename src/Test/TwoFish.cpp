#include <Test/TwoFish.hpp>

#include <Test/KatOrigin.hpp>
#include <Test/RecordLedger.hpp>

#include <zorvan/testing/assertion.hpp>

#include <array>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include <string_view>

namespace Test::TwoFish {

namespace {

using ParseNistKATs::KatCategory;
using ParseNistKATs::KatRecord;

/// Where a kind of file keeps a field: in each record, or in its section's header lines.
enum class Source { record, category };

/// FileKind: one kind of vector file, the stem that names it, where its KEY and PT stand,
/// how its records are checked and the prefix of their test names.
struct FileKind {
    std::string_view stem;
    Source keySource;
    Source plaintextSource;
    Operation operation;
    std::size_t steps;
    std::string_view namePrefix;
};

// The designers name their table file ECB_TBL; the kind table has the transposed ECB_TLB,
// which still matches too, so that files named after it keep working. Both give tests named
// "ECB-TLB-E-".
constexpr std::string_view designersTableStem = "ECB_TBL";
constexpr std::string_view tableStem = "ECB_TLB";

constexpr FileKind fileKinds[] = {
    {"CBC_D_M", Source::record, Source::record, Operation::cbcDecrypt, monteCarloSteps, "CBC-D-"},
    {"CBC_E_M", Source::record, Source::record, Operation::cbcEncrypt, monteCarloSteps, "CBC-E-"},
    {"ECB_D_M", Source::record, Source::record, Operation::ecbDecrypt, monteCarloSteps, "ECB-D-"},
    {"ECB_E_M", Source::record, Source::record, Operation::ecbEncrypt, monteCarloSteps, "ECB-E-"},
    {tableStem, Source::record, Source::record, Operation::ecbEncrypt, 1, "ECB-TLB-E-"},
    {"ECB_VK", Source::record, Source::category, Operation::ecbEncrypt, 1, "ECB-E-VK"},
    {"ECB_VT", Source::category, Source::record, Operation::ecbEncrypt, 1, "ECB-E-VT-"},
};

const FileKind& kindOf(std::string_view stem) {
    const std::string_view known = stem == designersTableStem ? tableStem : stem;
    for (const FileKind& kind : fileKinds) {
        if (kind.stem == known) {
            return kind;
        }
    }
    throw IncompleteMatch(unknownStemError);
}

bool isCbc(Operation operation) {
    return operation == Operation::cbcEncrypt || operation == Operation::cbcDecrypt;
}

bool decrypts(Operation operation) {
    return operation == Operation::ecbDecrypt || operation == Operation::cbcDecrypt;
}

std::optional<std::string_view> lookUp(Source source, const KatCategory& category,
                                       const KatRecord& record, std::string_view name) {
    return source == Source::record ? record.field(name) : category.property(name);
}

constexpr std::array<std::string_view, 4> blockFields{"I", "KEY", "PT", "CT"};
constexpr std::array<std::string_view, 5> cbcFields{"I", "KEY", "PT", "CT", "IV"};

// The fields a record of the kind lacks, where the kind looks for them.
std::string lackedFields(const FileKind& kind, const KatCategory& category,
                         const KatRecord& record) {
    std::string missing;
    for (const std::string_view name : knownFields(kind.operation)) {
        const Source source = name == "KEY"  ? kind.keySource
                              : name == "PT" ? kind.plaintextSource
                                             : Source::record;
        if (!lookUp(source, category, record, name)) {
            missing.append(missing.empty() ? "" : ", ").append(name);
        }
    }
    return missing;
}

// One record as a vector of its file's kind, or nothing when a field it needs is missing.
std::optional<TwoFishVector> recordVector(const FileKind& kind, const KatCategory& category,
                                          const KatRecord& record) {
    const auto key = lookUp(kind.keySource, category, record, "KEY");
    const auto plaintext = lookUp(kind.plaintextSource, category, record, "PT");
    const auto ciphertext = record.field("CT");
    const auto number = record.field("I");
    const auto iv = record.field("IV");
    if (!key || !plaintext || !ciphertext || !number || (isCbc(kind.operation) && !iv)) {
        return std::nullopt;
    }
    const bool decrypt = decrypts(kind.operation);
    return TwoFishVector{
        .name = std::string(kind.namePrefix).append(*number),
        .operation = kind.operation,
        .steps = kind.steps,
        .keyHex = std::string(*key),
        .inputHex = std::string(decrypt ? *ciphertext : *plaintext),
        .answerHex = std::string(decrypt ? *plaintext : *ciphertext),
        .iv = isCbc(kind.operation) ? std::optional(Crypto::hexStringToBS(*iv)) : std::nullopt,
    };
}

} // namespace

RecordLedger::FieldNames knownFields(Operation operation) noexcept {
    if (isCbc(operation)) {
        return cbcFields;
    }
    return blockFields;
}

void refuseKey(std::size_t keyOctets) {
    try {
        throw std::invalid_argument("buildKey refused a key of " + std::to_string(keyOctets) +
                                    " octets");
    } catch (const std::invalid_argument&) {
        std::throw_with_nested(IncompleteMatch(refusedKeyError));
    }
}

std::vector<TwoFishVector> fileVectors(const KatFiles::KatFile& file) {
    std::vector<TwoFishVector> vectors;
    std::size_t recordNumber = 0;
    for (const KatCategory& category : file.categories) {
        for (const KatRecord& record : category.records) {
            ++recordNumber;
            // Only a file that holds a record must be of a known kind.
            const FileKind& kind = kindOf(KatFiles::stem(file.name));
            if (auto vector = recordVector(kind, category, record)) {
                vector->origin =
                    KatOrigin::recordOrigin(katDirectory, file.name, record, recordNumber);
                vectors.push_back(std::move(*vector));
            } else {
                RecordLedger::noteMissingFields(
                    RecordLedger::RecordPlace{katDirectory, file.name, record.line()}, record,
                    knownFields(kind.operation), lackedFields(kind, category, record));
            }
        }
    }
    return vectors;
}

std::vector<TwoFishVector> twoFishVectors() {
    std::vector<TwoFishVector> vectors;
    for (const KatFiles::KatFile& file : KatFiles::readKatDirectory(katDirectory, "I")) {
        for (TwoFishVector& vector : fileVectors(file)) {
            vectors.push_back(std::move(vector));
        }
    }
    return vectors;
}

zorvan::Bytes computeVector(const Crypto::KeyView& key, const std::optional<zorvan::Bytes>& iv,
                            Operation operation, std::size_t steps, zorvan::Bytes input) {
    const zorvan::Bytes noIV;
    return key.chain(operation, steps, isCbc(operation) ? iv.value() : noIV, std::move(input));
}

std::vector<zorvan::testing::Test> twoFishTests(std::shared_ptr<const Crypto::CipherView> cipher) {
    std::vector<zorvan::testing::Test> tests;
    for (TwoFishVector& vector : twoFishVectors()) {
        std::optional<zorvan::Bytes> iv;
        if (vector.iv) {
            iv = cipher->readIV(*vector.iv);
            if (!iv) {
                RecordLedger::noteRefused(vector.origin, RecordLedger::DropReason::refusedIV,
                                          vector.iv->size());
                continue;
            }
        }
        RecordLedger::noteTest(vector.origin, knownFields(vector.operation));
        std::string name = vector.name;
        tests.push_back(zorvan::testing::testCase(
            std::move(name), [cipher, vector = std::move(vector), iv = std::move(iv)] {
                const zorvan::Bytes keyOctets = Crypto::hexStringToBS(vector.keyHex);
                zorvan::Bytes input = Crypto::hexStringToBS(vector.inputHex);
                const zorvan::Bytes answer = Crypto::hexStringToBS(vector.answerHex);
                const std::shared_ptr<const Crypto::KeyView> key = cipher->buildKey(keyOctets);
                if (!key) {
                    refuseKey(keyOctets.size());
                }
                zorvan::testing::assertKnownAnswer(
                    vector.name,
                    computeVector(*key, iv, vector.operation, vector.steps, std::move(input)),
                    answer, vector.origin);
            }));
    }
    for (zorvan::testing::Test& property : Crypto::blockCipherPropTests(std::move(cipher))) {
        tests.push_back(std::move(property));
    }
    return tests;
}

} // namespace Test::TwoFish
