#include <Test/ACVPAEAD.hpp>

#include <Test/AcvpSuite.hpp>
#include <Test/AeadVectors.hpp>
#include <Test/Suites.hpp>

#include <array>
#include <string>

namespace Test::ACVPAEAD {

namespace {

using AcvpSuite::AcvpCase;
using AeadVectors::AeadVector;
using AeadVectors::Expectation;

enum class Construction { gcm, ccm };

constexpr std::string_view keyField = "key";
constexpr std::string_view ivField = "iv";
constexpr std::string_view aadField = "aad";
constexpr std::string_view plaintextField = "pt";
constexpr std::string_view ciphertextField = "ct";
constexpr std::string_view tagField = "tag";
constexpr std::string_view passedField = "testPassed";
constexpr std::string_view tagLengthField = "tagLen";
// The lengths a group states in bits, each of which a type takes in octets.
constexpr std::array<std::string_view, 4> groupLengths{"ivLen", tagLengthField, "payloadLen",
                                                       "aadLen"};

// Whether a decryption must fail: its expected result says testPassed false.
bool mustFail(const AcvpFiles::Test& test) {
    const Json::Value* passed = test.answer.find(passedField);
    return passed && passed->kind == Json::Kind::boolean && passed->text == "false";
}

// Why the test cannot be bound, or "": GCM keeps the tag apart, CCM at the ciphertext's end.
std::string shapeDamage(const AcvpFiles::Test& test, Construction construction) {
    if (std::string damage = AcvpSuite::groupDamage(test, {"AFT"}, "AEAD", {"encrypt", "decrypt"});
        !damage.empty()) {
        return damage;
    }
    const bool decrypt = test.group->direction == "decrypt";
    const bool separateTag = construction == Construction::gcm;
    std::string damage;
    for (const std::string_view field : {keyField, ivField, aadField}) {
        AcvpSuite::needField(damage, test.input(field).has_value(), field);
    }
    if (decrypt) {
        AcvpSuite::needField(damage, test.input(ciphertextField).has_value(), ciphertextField);
        AcvpSuite::needField(damage, !separateTag || test.input(tagField), tagField);
        AcvpSuite::needField(damage, mustFail(test) || test.expected(plaintextField),
                             plaintextField);
    } else {
        AcvpSuite::needField(damage, test.input(plaintextField).has_value(), plaintextField);
        AcvpSuite::needField(damage, test.expected(ciphertextField).has_value(), ciphertextField);
        AcvpSuite::needField(damage, !separateTag || test.expected(tagField), tagField);
    }
    return damage;
}

// The ciphertext and tag hex of a test: GCM's two fields, or CCM's one split tagOctets from its
// end.
std::optional<std::pair<std::string, std::string>>
sealedHex(const AcvpFiles::Test& test, Construction construction, std::size_t tagOctets) {
    const bool decrypt = test.group->direction == "decrypt";
    const std::string_view ciphertext =
        *(decrypt ? test.input(ciphertextField) : test.expected(ciphertextField));
    if (construction == Construction::gcm) {
        return std::pair{std::string(ciphertext),
                         std::string(*(decrypt ? test.input(tagField) : test.expected(tagField)))};
    }
    if (ciphertext.size() < tagOctets * 2) {
        return std::nullopt;
    }
    const std::size_t split = ciphertext.size() - tagOctets * 2;
    return std::pair{std::string(ciphertext.substr(0, split)),
                     std::string(ciphertext.substr(split))};
}

void bindTest(RecordTests& records, const std::shared_ptr<const Crypto::AeadView>& aead,
              const Suites::Algorithm& algorithm, Construction construction, const AcvpCase& read) {
    const AcvpFiles::Test& test = read.test();
    const RecordLedger::RecordPlace place = read.place();
    if (std::string damage = shapeDamage(test, construction); !damage.empty()) {
        return records.fail(place, damage);
    }
    std::size_t tagOctets = 0;
    for (const std::string_view length : groupLengths) {
        const std::optional<std::int64_t> bits = read.groupInteger(length);
        if (!bits) {
            if (length == tagLengthField && construction == Construction::ccm) {
                return records.fail(place, "missing field: tagLen, which splits ct");
            }
            continue;
        }
        std::string why;
        const std::optional<std::size_t> octets = AcvpSuite::bitsAsOctets(length, *bits, why);
        if (!octets) {
            return records.otherVariant(place, why + ", which the type cannot express");
        }
        if (length == tagLengthField) {
            tagOctets = *octets;
        }
    }
    const auto sealed = sealedHex(test, construction, tagOctets);
    if (!sealed) {
        return records.fail(place, "a ct shorter than its tagLen");
    }
    const bool decrypt = test.group->direction == "decrypt";
    const bool refuse = decrypt && mustFail(test);
    const std::optional<std::string_view> plaintext = refuse    ? std::nullopt
                                                      : decrypt ? test.expected(plaintextField)
                                                                : test.input(plaintextField);
    AeadVectors::bindVector(
        records, aead, algorithm,
        {.expectation = !decrypt ? Expectation::sealAndOpen
                        : refuse ? Expectation::refuse
                                 : Expectation::open,
         .keyHex = std::string(*test.input(keyField)),
         .nonceHex = std::string(*test.input(ivField)),
         .aadHex = std::string(*test.input(aadField)),
         .plaintextHex = plaintext ? std::optional<std::string>(*plaintext) : std::nullopt,
         .ciphertextHex = sealed->first,
         .tagHex = sealed->second,
         .note = read.record.test,
         .file = std::string(read.directory) + "/" + read.record.fileName,
         .line = read.record.line,
         .number = test.number,
         .name = read.name(),
         .test = read.record.test});
}

std::vector<zorvan::testing::Test> setTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                            const DataSource& source, std::string_view directory,
                                            Construction construction) {
    const bool gcm = construction == Construction::gcm;
    const Suites::Algorithm& algorithm = Suites::algorithm(gcm ? "AES-GCM" : "AES-CCM");
    RecordTests records(source);
    AcvpSuite::addSet(records, source, directory, gcm ? "ACVP-AES-GCM" : "ACVP-AES-CCM",
                      aead->keyLength(), [&](RecordTests& into, const AcvpCase& read) {
                          bindTest(into, aead, algorithm, construction, read);
                      });
    return std::move(records).take();
}

} // namespace

std::vector<zorvan::testing::Test> acvpGcmTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                                const DataSource& source) {
    return setTests(aead, source, gcmDirectory, Construction::gcm);
}

std::vector<zorvan::testing::Test>
acvpGcmSetTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                std::string_view relativeDirectory, const DataSource& source) {
    return setTests(aead, source, relativeDirectory, Construction::gcm);
}

std::vector<zorvan::testing::Test> acvpCcmTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                                const DataSource& source) {
    return setTests(aead, source, ccmDirectory, Construction::ccm);
}

std::vector<zorvan::testing::Test>
acvpCcmSetTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                std::string_view relativeDirectory, const DataSource& source) {
    return setTests(aead, source, relativeDirectory, Construction::ccm);
}

} // namespace Test::ACVPAEAD
