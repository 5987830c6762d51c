#include <Test/AcvpHmac.hpp>

#include "AcvpSets.hpp"

#include <Test/KatValues.hpp>

#include <string>

namespace Test::AcvpHmac {

namespace {

using AcvpSets::SetTest;

// The group's length in bits of a value of the test, which the value must have.
void checkLength(const SetTest& test, std::string_view lengthField, const zorvan::Bytes& value,
                 std::string_view valueField) {
    const std::int64_t bits = AcvpSets::integerMember(test, test.test.group->fields, lengthField);
    if (bits < 0 || static_cast<std::uint64_t>(bits) != value.size() * 8) {
        AcvpSets::damaged(test, std::string(lengthField) + " = " + std::to_string(bits) + ", but " +
                                    std::string(valueField) + " holds " +
                                    std::to_string(value.size()) + " octets");
    }
}

void checkMac(const Crypto::HashView& hash, const SetTest& test) {
    const zorvan::Bytes key = AcvpSets::hexMember(test, test.test.prompt, "key");
    const zorvan::Bytes message = AcvpSets::hexMember(test, test.test.prompt, "msg");
    checkLength(test, "keyLen", key, "key");
    checkLength(test, "msgLen", message, "msg");
    const std::int64_t macBits = AcvpSets::integerMember(test, test.test.group->fields, "macLen");
    if (macBits <= 0) {
        AcvpSets::damaged(test, "macLen = " + std::to_string(macBits));
    }
    // A truncated mac is the leading bits of the whole one.
    const auto leading = [macBits](const zorvan::Bytes& mac) {
        return AcvpSets::leadingBits(mac, static_cast<std::uint64_t>(macBits),
                                     AcvpSets::BitOrder::highFirst);
    };
    const zorvan::Bytes known = leading(AcvpSets::hexMember(test, test.test.answer, "mac"));
    AcvpSets::assertAnswer(test, leading(hash.macOctets(key, message)), known);
    AcvpSets::assertAnswer(test,
                           leading(hash.chunkedMacOctets(key, KatValues::chunkMessage(message))),
                           known, "(fed in chunks)");
}

} // namespace

std::vector<zorvan::testing::Test> hmacSetTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                                std::string_view relativeDirectory,
                                                const DataSource& source) {
    return AcvpSets::setTests(
        source, relativeDirectory,
        [hash](const std::shared_ptr<const SetTest>& test) -> AcvpSets::Check {
            if (test->test.group->testType == "AFT") {
                return [hash, test] { checkMac(*hash, *test); };
            }
            return [test] { AcvpSets::unknownTestType(*test); };
        });
}

} // namespace Test::AcvpHmac
