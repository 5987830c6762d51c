// A falsified property is shrunk to the smallest case that still fails it, and the report
// shows that case, the case as drawn, and how to replay both.

#include <zorvan/testing/runner.hpp>

#include <Test/Crypto.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

using namespace zorvan::testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using zorvan::Bytes;
using zorvan::LazyBytes;

// Runs the property as the runner does and gives the outcome.
LeafOutcome falsify(Property property, CheckSettings settings = {.seed = 5}) {
    const std::vector<zorvan::testing::Test> tree{testProperty("law", std::move(property))};
    return runLeaf(flatten(tree).front(), settings);
}

bool allZero(const Bytes& value) {
    return std::all_of(value.begin(), value.end(), [](std::uint8_t octet) { return octet == 0; });
}

TEST(SmallerCounts, TryTheLeastThenCloserAndCloserToTheCount) {
    EXPECT_THAT(smallerCounts(10), ElementsAre(0u, 5u, 8u, 9u));
    EXPECT_THAT(smallerCounts(10, 4), ElementsAre(4u, 7u, 9u));
    EXPECT_THAT(smallerCounts(1), ElementsAre(0u));
    EXPECT_TRUE(smallerCounts(3, 3).empty());
    EXPECT_TRUE(smallerCounts(0).empty());
}

// The boundary a law breaks at is where a length or a count bug sits ("fails from 56 octets
// on"): shrinking must land exactly on it, with nothing else left in the case.
TEST(Shrinking, AnIntegerShrinksToTheBoundaryWhereTheLawStartsToFail) {
    const LeafOutcome outcome =
        falsify(makeProperty([](std::uint64_t n) { return n < 1000; }, {"n"}));
    ASSERT_TRUE(outcome.falsified.has_value());
    EXPECT_THAT(outcome.falsified->arguments, ElementsAre(DrawnArgument{"n", "1000"}));
    EXPECT_GT(outcome.falsified->shrinkSteps, 0u);
    ASSERT_EQ(outcome.falsified->drawnArguments.size(), 1u);
    EXPECT_NE(outcome.falsified->drawnArguments[0].value, "1000");
}

TEST(Shrinking, BytesShrinkToTheShortestFailingLengthWithEveryOctetZero) {
    Bytes smallest;
    const LeafOutcome outcome = falsify(makeProperty([&](const Bytes& message) {
        if (message.size() > 100) {
            smallest = message;
            return false;
        }
        return true;
    }));
    ASSERT_TRUE(outcome.falsified.has_value());
    EXPECT_EQ(smallest.size(), 101u);
    EXPECT_TRUE(allZero(smallest));
    EXPECT_THAT(outcome.report(), HasSubstr("smallest case found, shrunk in "));
    EXPECT_THAT(outcome.report(), HasSubstr("\n  the case as drawn:\n    argument 1: "));
}

// Fewer non-zero octets: a law that fails on one particular octet keeps that one and zeroes
// the rest.
TEST(Shrinking, BytesKeepOnlyTheOctetsTheFailureNeeds) {
    Bytes smallest;
    falsify(makeProperty([&](const Bytes& message) {
        if (message.size() >= 3 && message[2] != 0) {
            smallest = message;
            return false;
        }
        return true;
    }));
    ASSERT_EQ(smallest.size(), 3u);
    EXPECT_EQ(smallest[0], 0);
    EXPECT_EQ(smallest[1], 0);
    EXPECT_NE(smallest[2], 0);
}

TEST(Shrinking, LazyBytesShrinkToOneZeroChunkAtTheBoundary) {
    LazyBytes smallest;
    falsify(makeProperty([&](const LazyBytes& message) {
        if (message.length() > 300) {
            smallest = message;
            return false;
        }
        return true;
    }));
    EXPECT_EQ(smallest.length(), 301u);
    ASSERT_EQ(smallest.toChunks().size(), 1u);
    EXPECT_TRUE(allZero(smallest.toChunks()[0]));
}

// A law over several arguments that fails only when both are large shrinks each to its own
// boundary.
TEST(Shrinking, EachArgumentShrinksToItsOwnBoundary) {
    const LeafOutcome outcome = falsify(
        makeProperty([](std::uint32_t a, std::uint32_t b) { return a < 70 || b < 9; }, {"a", "b"}));
    ASSERT_TRUE(outcome.falsified.has_value());
    EXPECT_THAT(outcome.falsified->arguments,
                ElementsAre(DrawnArgument{"a", "70"}, DrawnArgument{"b", "9"}));
}

// The check and the error shown are those of the smallest case, not of the case as drawn.
TEST(Shrinking, TheFailedCheckShownIsTheSmallestCases) {
    const LeafOutcome outcome = falsify(makeProperty([](std::uint16_t n) {
        assertEqual("n stays small", std::uint16_t{0}, static_cast<std::uint16_t>(n / 100));
        return true;
    }));
    ASSERT_TRUE(outcome.check.has_value());
    EXPECT_EQ(outcome.check->second.text, "1");
    EXPECT_THAT(outcome.falsified->arguments, ElementsAre(DrawnArgument{"argument 1", "100"}));
}

// Shrinking is bounded: no attempts leave the case as drawn, and a few stop short of the
// boundary.
TEST(Shrinking, StopsAfterTheAttemptsItIsAllowed) {
    std::size_t calls = 0;
    const auto law = [&calls](std::uint64_t n) {
        ++calls;
        return n < 1000;
    };
    const LeafOutcome none =
        falsify(makeProperty(law), {.seed = 5, .cases = 100, .shrinkAttempts = 0});
    EXPECT_EQ(none.falsified->shrinkSteps, 0u);
    EXPECT_TRUE(none.falsified->drawnArguments.empty());
    EXPECT_THAT(none.report(), ::testing::Not(HasSubstr("smallest case found")));

    calls = 0;
    const LeafOutcome few =
        falsify(makeProperty(law), {.seed = 5, .cases = 100, .shrinkAttempts = 5});
    EXPECT_LE(calls, 1u + 5u + 1u); // the case as drawn, the attempts, the smallest again
    EXPECT_NE(few.falsified->arguments[0].value, "1000");
}

// The same seed shrinks to the same case, so that the rerun line shows what the report did.
TEST(Shrinking, TheSameSeedShrinksToTheSameCase) {
    const auto law = [](const Bytes& a, const Bytes& b) { return a.size() + b.size() < 3000; };
    const LeafOutcome first = falsify(makeProperty(law), {.seed = 41});
    const LeafOutcome again = falsify(makeProperty(law), {.seed = 41});
    ASSERT_TRUE(first.falsified.has_value());
    EXPECT_EQ(first.falsified->arguments, again.falsified->arguments);
    EXPECT_EQ(first.falsified->drawnArguments, again.falsified->drawnArguments);
}

TEST(ShrinkCandidates, StayWithinWhatTheGeneratorsDraw) {
    EXPECT_TRUE(::Test::Crypto::shrinkBytes(Bytes{0}).empty());
    for (const Bytes& candidate : ::Test::Crypto::shrinkBytes(Bytes{1, 2, 3})) {
        EXPECT_GE(candidate.size(), 1u);
        EXPECT_NE(candidate, (Bytes{1, 2, 3}));
    }
    EXPECT_TRUE(::Test::Crypto::shrinkLazyBytes(LazyBytes::fromChunks({})).empty());
    const LazyBytes two = LazyBytes::fromChunks({Bytes{1, 2}, Bytes{3}});
    for (const LazyBytes& candidate : ::Test::Crypto::shrinkLazyBytes(two)) {
        EXPECT_LE(candidate.toChunks().size(), 2u);
        EXPECT_NE(candidate.toChunks(), two.toChunks());
    }
}

} // namespace
