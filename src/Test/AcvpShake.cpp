#include <Test/AcvpShake.hpp>

#include "AcvpSets.hpp"

#include <Test/KatValues.hpp>

#include <algorithm>
#include <string>

namespace Test::AcvpShake {

namespace {

using AcvpSets::BitOrder;
using AcvpSets::SetTest;

constexpr std::size_t stepsPerCheckpoint = 1000;
// Each step's message: the first 16 octets of the output before it, zero-padded.
constexpr std::size_t messageOctets = 16;

std::size_t octetsOf(std::int64_t bits) {
    return static_cast<std::size_t>((bits + 7) / 8);
}

// A type whose library lacks the function skips with the library's reason before any
// vector's own (its Context's constructor throws TestSkipped).
void requireFunction(const Crypto::XofView& xof) {
    static_cast<void>(xof.newContext());
}

void checkOutput(const Crypto::XofView& xof, const SetTest& test) {
    requireFunction(xof);
    const zorvan::Bytes message = AcvpSets::octetMessage(test);
    const std::int64_t bits = AcvpSets::integerMember(test, test.test.prompt, "outLen");
    if (bits <= 0) {
        AcvpSets::damaged(test, "outLen = " + std::to_string(bits));
    }
    const auto leading = [bits](const zorvan::Bytes& octets) {
        return AcvpSets::leadingBits(octets, static_cast<std::uint64_t>(bits), BitOrder::lowFirst);
    };
    const zorvan::Bytes known = leading(AcvpSets::hexMember(test, test.test.answer, "md"));
    AcvpSets::assertAnswer(test, leading(xof.output(message, octetsOf(bits))), known);
    AcvpSets::assertAnswer(test,
                           leading(xof.output(KatValues::chunkMessage(message), octetsOf(bits))),
                           known, "(absorbed in chunks)");
}

// The lengths a chain squeezes, in octets, from the group's minOutLen and maxOutLen in bits.
struct OutputRange {
    std::size_t minimum;
    std::size_t maximum;
};

OutputRange rangeOf(const SetTest& test) {
    const Json::Value& group = test.test.group->fields;
    const std::int64_t minimum = AcvpSets::integerMember(test, group, "minOutLen");
    const std::int64_t maximum = AcvpSets::integerMember(test, group, "maxOutLen");
    if (minimum <= 0 || minimum % 8 != 0 || maximum % 8 != 0 || minimum > maximum) {
        AcvpSets::damaged(test, "minOutLen = " + std::to_string(minimum) + " and maxOutLen = " +
                                    std::to_string(maximum) + " are no range of whole octets");
    }
    return {octetsOf(minimum), octetsOf(maximum)};
}

// The next step's length: the output's last two octets (never fewer than one: the range starts
// at an octet), read big-endian, pick it in the range.
std::size_t nextLength(const zorvan::Bytes& output, const OutputRange& range) {
    const std::size_t size = output.size();
    const std::size_t last16Bits =
        (size > 1 ? std::size_t{output[size - 2]} << 8 : 0) + output[size - 1];
    return range.minimum + last16Bits % (range.maximum - range.minimum + 1);
}

void checkMonteCarlo(const Crypto::XofView& xof, const SetTest& test) {
    requireFunction(xof);
    const OutputRange range = rangeOf(test);
    zorvan::Bytes output = AcvpSets::octetMessage(test);
    std::size_t length = range.maximum;
    std::size_t index = 0;
    for (const Json::Value* result : AcvpSets::results(test)) {
        for (std::size_t step = 0; step < stepsPerCheckpoint; ++step) {
            output =
                xof.output(AcvpSets::fitted(output.take(messageOctets), messageOctets), length);
            length = nextLength(output, range);
        }
        const zorvan::Bytes known = AcvpSets::hexMember(test, *result, "md");
        if (static_cast<std::uint64_t>(AcvpSets::integerMember(test, *result, "outLen")) !=
            known.size() * 8) {
            AcvpSets::damaged(test, "resultsArray[" + std::to_string(index) +
                                        "]: outLen disagrees with md");
        }
        AcvpSets::assertAnswer(test, output, known,
                               "resultsArray[" + std::to_string(index++) + "]");
    }
}

} // namespace

std::vector<zorvan::testing::Test> shakeSetTests(const std::shared_ptr<const Crypto::XofView>& xof,
                                                 std::string_view relativeDirectory,
                                                 const DataSource& source) {
    return AcvpSets::setTests(source, relativeDirectory,
                              [xof](const std::shared_ptr<const SetTest>& test) -> AcvpSets::Check {
                                  const std::string_view type = test->test.group->testType;
                                  if (type == "AFT" || type == "VOT") {
                                      return [xof, test] { checkOutput(*xof, *test); };
                                  }
                                  if (type == "MCT") {
                                      return [xof, test] { checkMonteCarlo(*xof, *test); };
                                  }
                                  return [test] { AcvpSets::unknownTestType(*test); };
                              });
}

} // namespace Test::AcvpShake
