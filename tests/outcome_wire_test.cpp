// A leaf's outcome crossing the pipe from the child processes of --isolate.

#include "outcome_wire.hpp"

#include <gtest/gtest.h>

namespace {

using namespace zorvan::testing;
using zorvan::testing::detail::decodeOutcome;
using zorvan::testing::detail::encodeOutcome;

LeafOutcome everyPart() {
    LeafOutcome outcome = outcomeWith(LeafStatus::failed, "falsified after 2 passed cases", 0.25);
    VectorOrigin origin{"Test/KAT_AES/CBCMMT128-e.rsp", 47, 3, {{"KEY", "00ff"}, {"IV", ""}}};
    ByteDifference difference{ByteDifference::Component::second, 1, 2, std::nullopt, 3, 1};
    outcome.check =
        FailedCheck{"vector 3", {"computed", "0102"}, {"known answer", "01"}, difference,
                    origin,     {"suite.cpp", 12}};
    outcome.falsified = FalsifiedCase{
        42, 3, {{"keySeed", std::string("\0\x01", 2)}, {"argument 2", "7"}}, "error: boom"};
    return outcome;
}

TEST(OutcomeWire, EveryPartComesBackEqual) {
    const LeafOutcome outcome = everyPart();
    EXPECT_EQ(decodeOutcome(encodeOutcome(outcome)), outcome);
    const LeafOutcome skipped = outcomeWith(LeafStatus::skipped, "no 192-bit keys");
    EXPECT_EQ(decodeOutcome(encodeOutcome(skipped)), skipped);
}

// A child that dies mid-write leaves a cut encoding; it must not read as some other outcome.
TEST(OutcomeWire, CutOrCorruptBytesAreRefused) {
    const std::string encoded = encodeOutcome(everyPart());
    for (std::size_t length = 0; length < encoded.size(); ++length) {
        EXPECT_EQ(decodeOutcome(encoded.substr(0, length)), std::nullopt) << length;
    }
    EXPECT_EQ(decodeOutcome(encoded + "x"), std::nullopt);
    std::string badStatus = encoded;
    badStatus[0] = 7;
    EXPECT_EQ(decodeOutcome(badStatus), std::nullopt);
    std::string hugeMessage = encoded;
    // The message's length follows the status and the time; this is its most significant octet.
    hugeMessage[sizeof(LeafStatus) + sizeof(double) + 7] = '\x7f';
    EXPECT_EQ(decodeOutcome(hugeMessage), std::nullopt);
}

} // namespace
