#include <Test/TwoFish.hpp>

#include <Test/IncompleteMatch.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>
#include <Test/TwoFishFiles.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

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

FieldNames knownFields(Operation operation) {
    if (isCbc(operation)) {
        return cbcFields;
    }
    return blockFields;
}

// Why a record of the kind is damaged: the fields it lacks where the kind looks for them, and
// the fields it holds that the kind does not know; "" for a usable one.
std::string damageOf(const FileKind& kind, const KatCategory& category, const KatRecord& record) {
    std::string missing;
    for (const std::string_view name : knownFields(kind.operation)) {
        const Source source = name == "KEY"  ? kind.keySource
                              : name == "PT" ? kind.plaintextSource
                                             : Source::record;
        if (!lookUp(source, category, record, name)) {
            missing.append(missing.empty() ? "" : ", ").append(name);
        }
    }
    // An IV in an ECB file is known and left: the ECB operations take none.
    std::string unknown = recordDamage(record, {}, cbcFields);
    if (missing.empty()) {
        return unknown;
    }
    return "missing field: " + missing + (unknown.empty() ? "" : "; " + unknown);
}

// One complete record as a vector of its file's kind.
TwoFishVector recordVector(const FileKind& kind, const KatCategory& category,
                           const KatRecord& record) {
    const bool decrypt = decrypts(kind.operation);
    const std::string plaintext(*lookUp(kind.plaintextSource, category, record, "PT"));
    const std::string ciphertext(*record.field("CT"));
    return TwoFishVector{
        .name = std::string(kind.namePrefix).append(*record.field("I")),
        .operation = kind.operation,
        .steps = kind.steps,
        .keyHex = std::string(*lookUp(kind.keySource, category, record, "KEY")),
        .inputHex = decrypt ? ciphertext : plaintext,
        .answerHex = decrypt ? plaintext : ciphertext,
        .ivHex =
            isCbc(kind.operation) ? std::optional(std::string(*record.field("IV"))) : std::nullopt,
    };
}

std::string octetSizes(const std::vector<std::size_t>& sizes) {
    std::string list;
    for (const std::size_t size : sizes) {
        list.append(list.empty() ? "" : ", ").append(std::to_string(size));
    }
    return list;
}

// The test of a vector whose IV the cipher took: the key is decoded, sized and built when it
// runs.
zorvan::testing::Test vectorTest(std::shared_ptr<const Crypto::CipherView> cipher,
                                 const Suites::Algorithm& twofish, TwoFishVector vector,
                                 std::optional<zorvan::Bytes> iv) {
    std::string name = vector.name;
    return zorvan::testing::testCase(std::move(name), [cipher = std::move(cipher),
                                                       keySizes = twofish.keyOctets,
                                                       vector = std::move(vector),
                                                       iv = std::move(iv)] {
        const zorvan::testing::VectorOrigin& origin = vector.origin;
        const zorvan::Bytes keyOctets = KatValues::hexField(origin, "KEY", vector.keyHex);
        if (std::ranges::find(keySizes, keyOctets.size()) == keySizes.end()) {
            KatValues::disagree(origin, "a KEY of " + std::to_string(keyOctets.size()) +
                                            " octets, no Twofish key size (" +
                                            octetSizes(keySizes) + " octets)");
        }
        const bool decrypt = decrypts(vector.operation);
        zorvan::Bytes input = KatValues::hexField(origin, decrypt ? "CT" : "PT", vector.inputHex);
        const zorvan::Bytes answer =
            KatValues::hexField(origin, decrypt ? "PT" : "CT", vector.answerHex);
        const std::shared_ptr<const Crypto::KeyView> key = cipher->buildKey(keyOctets);
        if (!key) {
            refuseKey(keyOctets.size());
        }
        zorvan::testing::assertKnownAnswer(
            vector.name, computeVector(*key, iv, vector.operation, vector.steps, std::move(input)),
            answer, origin);
    });
}

// Binds one vector: its test, or a failure for an IV of the wrong size or one the type refuses.
void bindVector(RecordTests& records, const std::shared_ptr<const Crypto::CipherView>& cipher,
                const Suites::Algorithm& twofish, TwoFishVector vector) {
    std::optional<zorvan::Bytes> iv;
    if (vector.ivHex) {
        const zorvan::Bytes ivOctets = KatValues::hexField(vector.origin, "IV", *vector.ivHex);
        if (ivOctets.size() != twofish.blockOctets) {
            return records.fail(placeOf(vector.origin),
                                "an IV of " + std::to_string(ivOctets.size()) +
                                    " octets; Twofish's is its block, 16 octets");
        }
        iv = cipher->readIV(ivOctets);
        if (!iv) {
            return records.fail(placeOf(vector.origin), "the type's IV refused " +
                                                            std::to_string(ivOctets.size()) +
                                                            " octets");
        }
    }
    records.add(vectorTest(cipher, twofish, std::move(vector), std::move(iv)));
}

} // namespace

void refuseKey(std::size_t keyOctets) {
    try {
        throw std::invalid_argument("buildKey refused a key of " + std::to_string(keyOctets) +
                                    " octets");
    } catch (const std::invalid_argument&) {
        std::throw_with_nested(IncompleteMatch(refusedKeyError));
    }
}

std::vector<TwoFishRecord> folderRecords(const KatFiles::Folder& folder) {
    std::vector<TwoFishRecord> records;
    for (const KatFiles::KatFile& file : folder.files) {
        std::size_t recordNumber = 0;
        for (const KatCategory& category : file.categories) {
            for (const KatRecord& record : category.records) {
                ++recordNumber;
                // Only a file that holds a record must be of a known kind.
                const FileKind& kind = kindOf(KatFiles::stem(file.name));
                TwoFishRecord entry{
                    file.name, record.line(), std::nullopt, damageOf(kind, category, record), {}};
                if (entry.damage.empty()) {
                    entry.vector = recordVector(kind, category, record);
                    entry.vector->origin =
                        KatOrigin::recordOrigin(folder.directory, file.name, record, recordNumber);
                }
                records.push_back(std::move(entry));
            }
        }
    }
    return records;
}

KatFiles::Folder readFolder(const DataSource& source) {
    return KatFiles::readFolder(source, katDirectory, "I");
}

zorvan::Bytes computeVector(const Crypto::KeyView& key, const std::optional<zorvan::Bytes>& iv,
                            Operation operation, std::size_t steps, zorvan::Bytes input) {
    const zorvan::Bytes noIV;
    return key.chain(operation, steps, isCbc(operation) ? iv.value() : noIV, std::move(input));
}

std::vector<zorvan::testing::Test>
twoFishTests(const std::shared_ptr<const Crypto::CipherView>& cipher, const DataSource& source) {
    const Suites::Algorithm& twofish = Suites::algorithm("Twofish");
    const KatFiles::Folder folder = readFolder(source);
    RecordTests records(source);
    records.addFolder(folder, folderRecords(folder), [&](RecordTests& each, TwoFishVector vector) {
        bindVector(each, cipher, twofish, std::move(vector));
    });
    std::vector<zorvan::testing::Test> tests = std::move(records).take();
    for (zorvan::testing::Test& property : Crypto::blockCipherPropTests(cipher)) {
        tests.push_back(std::move(property));
    }
    return tests;
}

} // namespace Test::TwoFish
