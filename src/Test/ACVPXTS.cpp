#include <Test/ACVPXTS.hpp>

#include <Test/AcvpSuite.hpp>
#include <Test/KatValues.hpp>
#include <Test/Suites.hpp>
#include <Test/XtsVectors.hpp>

#include <string>

namespace Test::ACVPXTS {

namespace {

using AcvpSuite::AcvpCase;

constexpr std::string_view keyField = "key";
constexpr std::string_view plaintextField = "pt";
constexpr std::string_view ciphertextField = "ct";
constexpr std::string_view tweakField = "tweakValue";
constexpr std::string_view sequenceField = "sequenceNumber";
constexpr std::string_view payloadField = "payloadLen";
constexpr std::string_view dataUnitField = "dataUnitLen";
constexpr std::int64_t largestSequenceNumber = 255;

// Why the test cannot be bound, or "".
std::string shapeDamage(const AcvpCase& read) {
    const AcvpFiles::Test& test = read.test();
    if (std::string damage = AcvpSuite::groupDamage(test, {"AFT"}, "XTS", {"encrypt", "decrypt"});
        !damage.empty()) {
        return damage;
    }
    const std::optional<std::string_view> tweakMode = test.group->fields.string("tweakMode");
    if (tweakMode != "hex" && tweakMode != "number") {
        return "a tweakMode that is neither \"hex\" nor \"number\"";
    }
    const bool decrypt = test.group->direction == "decrypt";
    std::string damage;
    AcvpSuite::needField(damage, test.input(keyField).has_value(), keyField);
    AcvpSuite::needField(damage, test.input(decrypt ? ciphertextField : plaintextField).has_value(),
                         decrypt ? ciphertextField : plaintextField);
    AcvpSuite::needField(damage,
                         test.expected(decrypt ? plaintextField : ciphertextField).has_value(),
                         decrypt ? plaintextField : ciphertextField);
    AcvpSuite::needField(damage, read.promptInteger(payloadField).has_value(), payloadField);
    if (tweakMode == "hex") {
        AcvpSuite::needField(damage, test.input(tweakField).has_value(), tweakField);
    } else {
        AcvpSuite::needField(damage, read.promptInteger(sequenceField).has_value(), sequenceField);
    }
    return damage;
}

// Why a single XTS call cannot run the test's payload, or "".
std::string inexpressible(const AcvpCase& read) {
    const std::int64_t payload = *read.promptInteger(payloadField);
    const std::int64_t dataUnit = read.promptInteger(dataUnitField).value_or(payload);
    std::string why;
    if (!AcvpSuite::bitsAsOctets(payloadField, payload, why) ||
        !AcvpSuite::bitsAsOctets(dataUnitField, dataUnit, why)) {
        return why;
    }
    // A data unit longer than the payload leaves the payload one unit of its own.
    if (dataUnit < payload) {
        return "a payload of several data units";
    }
    return {};
}

// The tweak a test gives: its value, or its sequence number as a 128-bit little-endian integer;
// nothing, with why, when it is neither.
std::optional<zorvan::Bytes> tweakOf(const AcvpCase& read, std::string& why) {
    if (const std::optional<std::string_view> value = read.test().input(tweakField)) {
        return KatValues::recordHex(tweakField, *value, why);
    }
    const std::int64_t number = *read.promptInteger(sequenceField);
    if (number < 0 || number > largestSequenceNumber) {
        why = "a sequenceNumber of " + std::to_string(number) + ", out of 0..255";
        return std::nullopt;
    }
    std::vector<std::uint8_t> tweak(zorvan::xtsBlockOctets);
    tweak[0] = static_cast<std::uint8_t>(number);
    return zorvan::Bytes(tweak);
}

void bindTest(RecordTests& records, const std::shared_ptr<const Crypto::XtsView>& xts,
              const Suites::Algorithm& aes, const AcvpCase& read) {
    if (std::string damage = shapeDamage(read); !damage.empty()) {
        return records.fail(read.place(), damage);
    }
    if (std::string why = inexpressible(read); !why.empty()) {
        return records.otherVariant(read.place(), why + ", which a single XTS call cannot express");
    }
    std::string why;
    std::optional<zorvan::Bytes> tweak = tweakOf(read, why);
    if (!tweak) {
        return records.fail(read.place(), why);
    }
    const AcvpFiles::Test& test = read.test();
    const bool decrypt = test.group->direction == "decrypt";
    XTS::bindXtsVector(records, xts, aes.keyOctets,
                       {read.name(), std::string(*test.input(keyField)), std::move(*tweak),
                        std::string(*test.input(decrypt ? ciphertextField : plaintextField)),
                        std::string(*test.expected(decrypt ? plaintextField : ciphertextField)),
                        decrypt, read.origin()});
}

} // namespace

std::vector<zorvan::testing::Test> acvpXtsTests(const std::shared_ptr<const Crypto::XtsView>& xts,
                                                const DataSource& source) {
    return acvpXtsSetTests(xts, setDirectory, source);
}

std::vector<zorvan::testing::Test>
acvpXtsSetTests(const std::shared_ptr<const Crypto::XtsView>& xts,
                std::string_view relativeDirectory, const DataSource& source) {
    const Suites::Algorithm& aes = Suites::algorithm("AES-XTS");
    RecordTests records(source);
    AcvpSuite::addSet(
        records, source, relativeDirectory, "ACVP-AES-XTS", xts->keyLength() / 2,
        [&](RecordTests& into, const AcvpCase& read) { bindTest(into, xts, aes, read); });
    return std::move(records).take();
}

} // namespace Test::ACVPXTS
