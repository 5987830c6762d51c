// The GoogleTest adapter's compiled half: names gtest's filter selects one by one, the place a
// failure is shown at, and the settings read from the environment.

#include <zorvan/testing/gtest_names.hpp>
#include <zorvan/testing/settings.hpp>

#include <Paths_zorvan_tests.hpp>

#include "scoped_variable.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace zorvan::testing;
using ::testing::ElementsAre;

std::vector<GoogleTestName> namesOf(const std::vector<zorvan::testing::Test>& tree) {
    return googleTestNames(flatten(tree));
}

TEST(FilterSafeName, ReplacesWhatTheFilterReadsSpecially) {
    EXPECT_EQ(filterSafeName("ECBGFSbox128-e.rsp-7"), "ECBGFSbox128_e.rsp_7");
    EXPECT_EQ(filterSafeName("a:b*c?d"), "a_b_c_d");
    EXPECT_EQ(filterSafeName("NistHMACSHA1-\"0\""), "NistHMACSHA1_\"0\"");
    EXPECT_EQ(filterSafeName(""), "_");
}

TEST(GoogleTestNames, RepeatsGetTheirOccurrenceAndSuitesTheirGroupPath) {
    const auto pass = [] {};
    const std::vector<zorvan::testing::Test> tree{
        TestGroup{"MD5 KATs",
                  {testCase("md5KAT", pass), testCase("md5KAT", pass), testCase("md5KAT", pass)}},
        testCase("top-level", pass)};
    EXPECT_THAT(namesOf(tree), ElementsAre(GoogleTestName{"MD5 KATs", "md5KAT"},
                                           GoogleTestName{"MD5 KATs", "md5KAT_2"},
                                           GoogleTestName{"MD5 KATs", "md5KAT_3"},
                                           GoogleTestName{"zorvan", "top_level"}));
}

// Names that only the replacement makes equal, and a leaf that already holds the name a
// repeat would get, still give names that differ.
TEST(GoogleTestNames, NumberedNamesSkipNamesOtherLeavesHold) {
    const auto pass = [] {};
    const std::vector<zorvan::testing::Test> tree{
        TestGroup{"G",
                  {testCase("a-b", pass), testCase("a_b", pass), testCase("a_b_2", pass),
                   testCase("a:b", pass)}}};
    EXPECT_THAT(namesOf(tree),
                ElementsAre(GoogleTestName{"G", "a_b"}, GoogleTestName{"G", "a_b_3"},
                            GoogleTestName{"G", "a_b_2"}, GoogleTestName{"G", "a_b_4"}));
}

TEST(FailurePlace, IsTheVectorsLineInTheDataFileOrElseTheCheck) {
    try {
        assertKnownAnswer("m", 1, 2, VectorOrigin{"Test/KAT_AES/x.rsp", 47, 3, {}});
    } catch (const AssertionFailure& failure) {
        const FailurePlace place = failurePlace(failure);
        EXPECT_EQ(place.file, Paths_zorvan_tests::getDataFileName("Test/KAT_AES/x.rsp"));
        EXPECT_EQ(place.line, 47);
    }
    const int checkLine = __LINE__ + 2;
    try {
        assertKnownAnswer("m", 1, 2, VectorOrigin{"RFC 1321 A.5", 0, 3, {}});
    } catch (const AssertionFailure& failure) {
        const FailurePlace place = failurePlace(failure);
        EXPECT_THAT(place.file, ::testing::EndsWith("gtest_names_test.cpp"));
        EXPECT_EQ(place.line, checkLine);
    }
}

TEST(CheckSettingsFromEnvironment, ReadsNumbersAsTheMainDoes) {
    ScopedVariable seed("ZORVAN_SEED");
    ScopedVariable cases("ZORVAN_CASES");
    seed.set("18446744073709551615");
    cases.set("7");
    const CheckSettings settings = checkSettingsFromEnvironment();
    EXPECT_EQ(settings.seed, 18446744073709551615ULL);
    EXPECT_EQ(settings.cases, 7u);
    const auto messageFor = [] {
        try {
            checkSettingsFromEnvironment();
        } catch (const UsageError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    seed.set("18446744073709551616");
    EXPECT_EQ(messageFor(), "ZORVAN_SEED needs a whole number, not '18446744073709551616'");
    seed.set(" 5");
    EXPECT_EQ(messageFor(), "ZORVAN_SEED needs a whole number, not ' 5'");
    seed.unset();
    cases.set("0");
    EXPECT_EQ(messageFor(), "ZORVAN_CASES needs a number above 0");
    cases.set("");
    EXPECT_EQ(messageFor(), "ZORVAN_CASES needs a whole number, not ''");
}

} // namespace
