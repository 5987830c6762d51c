#include <Test/ACVPCMAC.hpp>

#include <Test/AcvpSuite.hpp>
#include <Test/MacVectors.hpp>
#include <Test/Suites.hpp>

#include <string>

namespace Test::ACVPCMAC {

namespace {

using AcvpSuite::AcvpCase;

constexpr std::string_view keyField = "key";
constexpr std::string_view messageField = "message";
constexpr std::string_view macField = "mac";
constexpr std::string_view passedField = "testPassed";
constexpr std::string_view messageLengthField = "msgLen";

// Whether a verification test's expected result says testPassed false; nothing when it says
// neither true nor false.
std::optional<bool> verifies(const AcvpFiles::Test& test) {
    const Json::Value* passed = test.answer.find(passedField);
    if (!passed || passed->kind != Json::Kind::boolean) {
        return std::nullopt;
    }
    return passed->text == "true";
}

// Why the test cannot be bound, or "".
std::string shapeDamage(const AcvpFiles::Test& test) {
    if (std::string damage = AcvpSuite::groupDamage(test, {"AFT"}, "CMAC", {"gen", "ver"});
        !damage.empty()) {
        return damage;
    }
    std::string damage;
    AcvpSuite::needField(damage, test.input(keyField).has_value(), keyField);
    AcvpSuite::needField(damage, test.input(messageField).has_value(), messageField);
    if (test.group->direction == "gen") {
        AcvpSuite::needField(damage, test.expected(macField).has_value(), macField);
    } else {
        AcvpSuite::needField(damage, test.input(macField).has_value(), macField);
        AcvpSuite::needField(damage, verifies(test).has_value(), passedField);
    }
    return damage;
}

void bindTest(RecordTests& records, const std::shared_ptr<const Crypto::MacView>& mac,
              const Suites::Algorithm& cmac, const AcvpCase& read) {
    const AcvpFiles::Test& test = read.test();
    if (std::string damage = shapeDamage(test); !damage.empty()) {
        return records.fail(read.place(), damage);
    }
    if (const std::optional<std::int64_t> bits = read.groupInteger(messageLengthField)) {
        std::string why;
        if (!AcvpSuite::bitsAsOctets(messageLengthField, *bits, why)) {
            return records.otherVariant(read.place(), why + ", which the type cannot express");
        }
    }
    const bool generate = test.group->direction == "gen";
    CMAC::bindMacVector(
        records, mac, cmac.keyOctets,
        {read.name(), std::string(*test.input(keyField)), std::string(*test.input(messageField)),
         std::string(*(generate ? test.expected(macField) : test.input(macField))),
         generate || *verifies(test) ? CMAC::MacResult::valid : CMAC::MacResult::invalid,
         read.origin()});
}

} // namespace

std::vector<zorvan::testing::Test> acvpCmacTests(const std::shared_ptr<const Crypto::MacView>& mac,
                                                 const DataSource& source) {
    return acvpCmacSetTests(mac, setDirectory, source);
}

std::vector<zorvan::testing::Test>
acvpCmacSetTests(const std::shared_ptr<const Crypto::MacView>& mac,
                 std::string_view relativeDirectory, const DataSource& source) {
    const Suites::Algorithm& cmac = Suites::algorithm("AES-CMAC");
    RecordTests records(source);
    AcvpSuite::addSet(
        records, source, relativeDirectory, "CMAC-AES", mac->keyLength(),
        [&](RecordTests& into, const AcvpCase& read) { bindTest(into, mac, cmac, read); });
    return std::move(records).take();
}

} // namespace Test::ACVPCMAC
