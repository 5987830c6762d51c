#include <Test/CCM.hpp>

#include <Test/AeadConformance.hpp>
#include <Test/AeadVectors.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>

#include <algorithm>
#include <array>
#include <map>
#include <string_view>

namespace Test::CCM {

namespace {

using AeadVectors::AeadVector;
using AeadVectors::Expectation;
using Parameters = std::map<std::string, std::string, std::less<>>;

constexpr std::string_view countField = "Count";
constexpr std::string_view keyField = "Key";
constexpr std::string_view nonceField = "Nonce";
constexpr std::string_view aadField = "Adata";
constexpr std::string_view payloadField = "Payload";
constexpr std::string_view ciphertextField = "CT";
constexpr std::string_view resultField = "Result";
constexpr std::string_view aadLength = "Alen";
constexpr std::string_view payloadLength = "Plen";
constexpr std::string_view nonceLength = "Nlen";
constexpr std::string_view tagLength = "Tlen";

constexpr std::array<std::string_view, 7> knownFields{
    countField, nonceField, aadField, payloadField, ciphertextField, resultField, keyField};
constexpr std::array<std::string_view, 3> neededFields{countField, aadField, ciphertextField};
// The fields a file or section may give before its first record, for the records after them.
constexpr std::array<std::string_view, 6> sectionFields{keyField,      nonceField,  aadLength,
                                                        payloadLength, nonceLength, tagLength};
constexpr std::string_view pass = "Pass";
constexpr std::string_view fail = "Fail";

bool isDecryption(std::string_view fileName) {
    return fileName.starts_with("DVPT");
}

bool isKnownFile(std::string_view fileName) {
    return isDecryption(fileName) ||
           std::ranges::any_of(std::array<std::string_view, 4>{"VADT", "VNT", "VPT", "VTT"},
                               [&](std::string_view kind) { return fileName.starts_with(kind); });
}

bool isSectionField(std::string_view name) {
    return std::ranges::find(sectionFields, name) != sectionFields.end();
}

// A header names one length ("[Plen = 24]") or, in the decryption files, all four
// ("[Alen = 0, Plen = 0, Nlen = 7, Tlen = 4]", which the parser reads as Alen with the rest
// in its value).
void addHeader(Parameters& parameters, const ParseNistKATs::KatField& property) {
    std::string text = property.name + "=" + property.value;
    std::erase(text, ' ');
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string part = text.substr(start, comma - start);
        const std::size_t equals = part.find('=');
        if (equals != std::string::npos) {
            parameters[part.substr(0, equals)] = part.substr(equals + 1);
        }
        start = comma + 1;
    }
}

// The parameters the file's and section's lines give, taken out of the category's stray
// fields so that what is left there is text that is no record.
void takeParameters(Parameters& parameters, ParseNistKATs::KatCategory& category) {
    for (const ParseNistKATs::KatField& property : category.properties) {
        addHeader(parameters, property);
    }
    for (const ParseNistKATs::KatField& field : category.strayFields) {
        if (isSectionField(field.name)) {
            parameters[field.name] = field.value;
        }
    }
    std::erase_if(category.strayFields,
                  [](const ParseNistKATs::KatField& field) { return isSectionField(field.name); });
}

std::optional<std::string_view> lookUp(const Parameters& parameters, std::string_view name) {
    const auto found = parameters.find(name);
    return found == parameters.end() ? std::nullopt
                                     : std::optional<std::string_view>(found->second);
}

// A length parameter in octets, or nothing when it is missing or no length.
std::optional<std::size_t> lengthOf(const Parameters& parameters, std::string_view name) {
    const std::optional<std::string_view> text = lookUp(parameters, name);
    if (!text) {
        return std::nullopt;
    }
    try {
        const std::int64_t value = KatValues::readInteger(name, *text);
        return value < 0 ? std::nullopt : std::optional(static_cast<std::size_t>(value));
    } catch (const KatValues::KatValueError&) {
        return std::nullopt;
    }
}

struct Lengths {
    std::size_t aad;
    std::size_t payload;
    std::size_t nonce;
    std::size_t tag;
};

// A record read with its file's and section's parameters: its vector, or why it gives none.
struct Read {
    std::optional<AeadVector> vector;
    std::string damage;
};

Read damaged(std::string why) {
    return {std::nullopt, std::move(why)};
}

std::string lengthsDamage(const Lengths& lengths, const AeadVector& vector) {
    std::string damage = AeadVectors::lengthDisagreement(nonceLength, std::to_string(lengths.nonce),
                                                         8, nonceField, vector.nonceHex);
    if (damage.empty() && lengths.aad > 0) {
        damage = AeadVectors::lengthDisagreement(aadLength, std::to_string(lengths.aad), 8,
                                                 aadField, vector.aadHex);
    }
    if (damage.empty() && vector.plaintextHex && lengths.payload > 0) {
        damage = AeadVectors::lengthDisagreement(payloadLength, std::to_string(lengths.payload), 8,
                                                 payloadField, *vector.plaintextHex);
    }
    if (damage.empty()) {
        damage =
            AeadVectors::lengthDisagreement(tagLength, std::to_string(lengths.tag), 8,
                                            "the tag after the ciphertext in CT", vector.tagHex);
    }
    return damage;
}

Read readRecord(const std::string& file, const Parameters& section,
                const ParseNistKATs::KatRecord& record, std::size_t number) {
    if (std::string damage = recordDamage(record, neededFields, knownFields); !damage.empty()) {
        return damaged(std::move(damage));
    }
    Parameters parameters = section;
    for (const ParseNistKATs::KatField& field : record.fields) {
        parameters[field.name] = field.value;
    }
    const std::optional<Lengths> lengths = [&]() -> std::optional<Lengths> {
        const auto aad = lengthOf(parameters, aadLength);
        const auto payload = lengthOf(parameters, payloadLength);
        const auto nonce = lengthOf(parameters, nonceLength);
        const auto tag = lengthOf(parameters, tagLength);
        if (!aad || !payload || !nonce || !tag) {
            return std::nullopt;
        }
        return Lengths{*aad, *payload, *nonce, *tag};
    }();
    if (!lengths) {
        return damaged("no Alen, Plen, Nlen and Tlen in its file, section or record");
    }
    const auto key = lookUp(parameters, keyField);
    const auto nonce = lookUp(parameters, nonceField);
    if (!key || !nonce) {
        return damaged("no Key and Nonce in its section or record");
    }
    const std::optional<std::string_view> result = record.field(resultField);
    const bool decryption = isDecryption(file.substr(file.rfind('/') + 1));
    if (decryption != result.has_value() || (result && *result != pass && *result != fail)) {
        return damaged(decryption ? "a decryption record needs Result = Pass or Fail"
                                  : "Result in a file of encryption records");
    }
    const bool refused = result == fail;
    const std::optional<std::string_view> payload = record.field(payloadField);
    if (refused == payload.has_value()) {
        return damaged(refused ? "Payload in a record that must fail" : "missing field: Payload");
    }
    const std::string ciphertextAndTag(*record.field(ciphertextField));
    const std::size_t ciphertextHex = std::min(2 * lengths->payload, ciphertextAndTag.size());
    AeadVector vector{
        .expectation = !decryption ? Expectation::sealAndOpen
                       : refused   ? Expectation::refuse
                                   : Expectation::open,
        .keyHex = std::string(*key),
        .nonceHex = std::string(*nonce),
        // A zero length is written 00.
        .aadHex = lengths->aad == 0 ? std::string() : std::string(*record.field(aadField)),
        .plaintextHex = refused                 ? std::nullopt
                        : lengths->payload == 0 ? std::optional(std::string())
                                                : std::optional(std::string(*payload)),
        .ciphertextHex = ciphertextAndTag.substr(0, ciphertextHex),
        .tagHex = ciphertextAndTag.substr(ciphertextHex),
        .note = {},
        .file = file,
        .line = record.line(),
        .number = number};
    if (std::string damage = lengthsDamage(*lengths, vector); !damage.empty()) {
        return damaged(std::move(damage));
    }
    return {std::move(vector), {}};
}

} // namespace

std::vector<zorvan::testing::Test>
ccmKnownAnswers(const std::shared_ptr<const Crypto::AeadView>& aead, const DataSource& source) {
    const Suites::Algorithm& algorithm = Suites::algorithm("AES-CCM");
    KatFiles::Folder folder = KatFiles::readFolder(source, katDirectory, countField);
    // Each file's records with the parameters in force where they stand.
    std::vector<std::vector<Parameters>> sections;
    for (KatFiles::KatFile& file : folder.files) {
        Parameters parameters;
        sections.emplace_back();
        for (ParseNistKATs::KatCategory& category : file.categories) {
            takeParameters(parameters, category);
            sections.back().push_back(parameters);
        }
    }
    RecordTests records(source);
    records.beginFolder(folder);
    for (std::size_t f = 0; f < folder.files.size(); ++f) {
        const KatFiles::KatFile& file = folder.files[f];
        const std::string path = folder.directory + "/" + file.name;
        std::size_t number = 0;
        for (std::size_t c = 0; c < file.categories.size(); ++c) {
            for (const ParseNistKATs::KatRecord& record : file.categories[c].records) {
                ++number;
                Read read = isKnownFile(file.name)
                                ? readRecord(path, sections[f][c], record, number)
                                : damaged("a file whose name starts with none of VADT, VNT, "
                                          "VPT, VTT and DVPT");
                if (!read.vector) {
                    records.fail({folder.directory, file.name, record.line()}, read.damage);
                    continue;
                }
                AeadVectors::bindVector(records, aead, algorithm, *read.vector);
            }
        }
    }
    records.endFolder();
    return std::move(records).take();
}

std::vector<zorvan::testing::Test> ccmTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                            const DataSource& source) {
    return AeadConformance::knownAnswersThenLaws(ccmKnownAnswers(aead, source), aead);
}

} // namespace Test::CCM
