// The ACVP hash, SHAKE and HMAC suites: every installed set passes for OpenSSL with one leaf per
// test of its prompt, and the leaves that cannot run say why; a hash wrong at the Monte Carlo
// chain's message length, a chain of the other mctVersion, a SHA-256 whose bit counter is 32
// bits, and damaged sets fail exactly the leaves they should, naming file, tgId and tcId.

#define OPENSSL_SUPPRESS_DEPRECATED // SHA256_CTX: the 32-bit counter is made by hand below

#include <Test/AcvpSets.hpp>
#include <Test/LargeMessages.hpp>

#include <Test/AcvpFiles.hpp>
#include <Test/AcvpHash.hpp>
#include <Test/AcvpHmac.hpp>
#include <Test/AcvpShake.hpp>
#include <Test/KatFiles.hpp>
#include <Test/Suites.hpp>

#include <zorvan/backends/openssl.hpp>

#include "hash_suite_support.hpp"
#include "leaf_runs.hpp"
#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <map>
#include <string>
#include <utility>

namespace {

namespace Sets = ::Test::AcvpSets;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using zorvan::testing::LeafStatus;

constexpr std::string_view bitLength = Sets::bitLengthReason;
constexpr std::string_view largeData = ::Test::AcvpHash::largeDataReason;

// How a set's leaves ended: the paths by status, and the skips by reason.
struct SetRun {
    std::vector<leaf_runs::LeafRun> runs;
    std::map<std::string, std::size_t> skips;

    [[nodiscard]] std::vector<std::string> failed() const {
        return leaf_runs::pathsWith(runs, LeafStatus::failed);
    }
};

SetRun runSet(const std::vector<zorvan::testing::Test>& tests) {
    SetRun run{leaf_runs::runAll(tests), {}};
    for (const leaf_runs::LeafRun& leaf : run.runs) {
        if (leaf.status == LeafStatus::skipped) {
            ++run.skips[leaf.report];
        }
    }
    return run;
}

// The tests of the set's prompt, as the reader finds them: one leaf each.
std::size_t promptTests(const std::string& folder) {
    return ::Test::AcvpFiles::readFolder(::Test::DataSource(), "Test/ACVP/" + folder)
        .set.promptTests;
}

SetRun runTableSuite(std::string_view algorithm, std::string_view suite,
                     const ::Test::Suites::Subject& subject) {
    return runSet(::Test::Suites::buildSuite(algorithm, suite, subject, ::Test::DataSource()));
}

TEST(AcvpHashSuites, EverySetPassesForOpenSslWithOneLeafPerTestAndSaysWhyItSkips) {
    namespace openssl = zorvan::openssl;
    using ::Test::Suites::subject;
    struct Case {
        std::string_view algorithm;
        std::string_view suite;
        std::string folder;
        ::Test::Suites::Subject subject;
        bool bitLengthMessages;
        bool largeDataTests;
    };
    const std::vector<Case> cases{
        {"SHA224", "ACVP-SHA2-224", "SHA2-224-1.0", subject<openssl::SHA224>(), true, true},
        {"SHA256", "ACVP-SHA2-256", "SHA2-256-1.0", subject<openssl::SHA256>(), false, true},
        {"SHA3-256", "ACVP-SHA3-256", "SHA3-256-2.0", subject<openssl::SHA3_256>(), true, true},
        {"SHA1", "ACVP-HMAC-SHA-1", "HMAC-SHA-1-1.0", subject<openssl::SHA1>(), false, false},
        {"SHA3-256", "ACVP-HMAC-SHA3-256", "HMAC-SHA3-256-1.0", subject<openssl::SHA3_256>(), false,
         false},
        {"SHAKE128", "ACVP-SHAKE-128", "SHAKE-128-1.0", subject<openssl::SHAKE128>(), true, false},
    };
    for (const Case& each : cases) {
        const SetRun run = runTableSuite(each.algorithm, each.suite, each.subject);
        EXPECT_THAT(run.failed(), IsEmpty()) << each.suite;
        EXPECT_EQ(run.runs.size(), promptTests(each.folder)) << each.suite;
        EXPECT_EQ(run.skips.contains(std::string(bitLength)), each.bitLengthMessages) << each.suite;
        EXPECT_EQ(run.skips.contains(std::string(largeData)), each.largeDataTests) << each.suite;
        EXPECT_EQ(run.skips.size(), std::size_t{each.bitLengthMessages} + each.largeDataTests);
        EXPECT_THAT(run.runs.front().path, HasSubstr("tg1/tc1")) << each.suite;
    }
}

// A fault at one message length that no functional test has: the 436 octets of SHA2-256's
// alternate chain, which keeps its seed's length.
struct WrongAtChainLength {
    static zorvan::Bytes afterHashing(zorvan::Bytes digest, std::size_t octetsFed) {
        return octetsFed == 436 ? hash_suites::flipFirstOctet(digest) : digest;
    }
    static std::vector<zorvan::Bytes> chunksFed(const zorvan::LazyBytes& message) {
        return message.toChunks();
    }
    static zorvan::Bytes afterMac(zorvan::Bytes mac) { return mac; }
};

TEST(AcvpHashSuites, OnlyTheMonteCarloLeafCatchesAFaultAtTheChainsLengthAndSaysWhere) {
    using Faulty = hash_suites::FaultyDigest<zorvan::openssl::SHA256, WrongAtChainLength>;
    const SetRun run =
        runSet(::Test::AcvpHash::makeAcvpHashTests<Faulty>("Test/ACVP/SHA2-256-1.0"));
    EXPECT_THAT(run.failed(), ElementsAre("ACVP-SHA2-256/tg2/tc513"));
    const std::string report = leaf_runs::reportOf(run.runs, "tg2/tc513");
    EXPECT_THAT(report, HasSubstr("ACVP-SHA2-256 tgId=2,tcId=513 resultsArray[0]"));
    EXPECT_THAT(report, HasSubstr("Test/ACVP/SHA2-256-1.0/prompt.json.gz"));
    EXPECT_THAT(report, HasSubstr("known answer: 52fc0940"));
}

// A small set written by the test: a prompt and its expectedResults in a folder of their own.
struct SmallSet {
    TemporaryDataDirectory data;
    std::string folder = "Test/ACVP/Small";

    SmallSet(std::string_view prompt, std::string_view answers) {
        data.write(folder + "/prompt.json", prompt);
        data.write(folder + "/expectedResults.json", answers);
    }
};

std::string setHeader(std::string_view algorithm) {
    return R"({"vsId": 1, "algorithm": ")" + std::string(algorithm) +
           R"(", "revision": "1.0", "isSample": false, "testGroups": )";
}

// SHA-256 of "abc" and of the empty message.
constexpr std::string_view abcDigest =
    "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
constexpr std::string_view emptyDigest =
    "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855";

TEST(AcvpHashSuites, DamagedTestsFailTheirOwnLeavesNamingFileGroupAndTest) {
    const SmallSet set(setHeader("SHA2-256") +
                           R"([{"tgId": 1, "testType": "AFT", "tests": [
        {"tcId": 1, "msg": "616263", "len": 24},
        {"tcId": 2, "len": 24},
        {"tcId": 3, "msg": "6162", "len": 24},
        {"tcId": 4, "msg": "00", "len": 0},
        {"tcId": 5, "msg": "616263", "len": 24}]},
      {"tgId": 2, "testType": "XYZ", "tests": [{"tcId": 6, "msg": "", "len": 0}]}]})",
                       setHeader("SHA2-256") + R"([{"tgId": 1, "tests": [
        {"tcId": 1, "md": ")" +
                           std::string(abcDigest) + R"("},
        {"tcId": 2, "md": "00"}, {"tcId": 3, "md": "00"},
        {"tcId": 4, "md": ")" +
                           std::string(emptyDigest) + R"("},
        {"tcId": 5, "md": ")" +
                           std::string(emptyDigest) + R"("}]},
      {"tgId": 2, "tests": [{"tcId": 6, "md": "00"}]}]})");
    const SetRun run =
        runSet(::Test::AcvpHash::makeAcvpHashTests<zorvan::openssl::SHA256>(set.folder));
    EXPECT_THAT(run.failed(), ElementsAre("ACVP-SHA2-256/tg1/tc2", "ACVP-SHA2-256/tg1/tc3",
                                          "ACVP-SHA2-256/tg1/tc5", "ACVP-SHA2-256/tg2/tc6"));
    EXPECT_THAT(leaf_runs::reportOf(run.runs, "tc2"),
                HasSubstr("Test/ACVP/Small/prompt.json:3: tgId=1,tcId=2: missing field: msg"));
    EXPECT_THAT(leaf_runs::reportOf(run.runs, "tc3"),
                HasSubstr("tgId=1,tcId=3: len = 24 bits, but msg holds 2 octets"));
    const std::string wrong = leaf_runs::reportOf(run.runs, "tc5");
    EXPECT_THAT(wrong, HasSubstr("ACVP-SHA2-256 tgId=1,tcId=5"));
    EXPECT_THAT(wrong, HasSubstr("computed:     ba7816bf"));
    EXPECT_THAT(wrong, HasSubstr("known answer: e3b0c442"));
    EXPECT_THAT(leaf_runs::reportOf(run.runs, "tc6"), HasSubstr("testType XYZ"));
}

TEST(AcvpHashSuites, ATestWithoutItsAnswerIsAFailingLeafOfTheSet) {
    const SmallSet set(setHeader("SHA2-256") + R"([{"tgId": 1, "testType": "AFT", "tests": [
        {"tcId": 1, "msg": "616263", "len": 24}, {"tcId": 2, "msg": "", "len": 0}]}]})",
                       setHeader("SHA2-256") + R"([{"tgId": 1, "tests": [
        {"tcId": 1, "md": ")" +
                           std::string(abcDigest) + R"("}]}]})");
    const SetRun run =
        runSet(::Test::AcvpHash::makeAcvpHashTests<zorvan::openssl::SHA256>(set.folder));
    ASSERT_EQ(run.failed().size(), 1U);
    EXPECT_THAT(run.failed().front(), HasSubstr("tgId=1,tcId=2"));
    EXPECT_EQ(leaf_runs::pathsWith(run.runs, LeafStatus::passed),
              std::vector<std::string>{"ACVP-SHA2-256/tg1/tc1"});
}

TEST(AcvpHashSuites, TheChainIsTheOneMctVersionNames) {
    // SHA2-256's published chain is the alternate one: read as the standard one it fails.
    const std::string prompt = ::Test::KatFiles::readWhole(
        ::Test::DataSource().path("Test/ACVP/SHA2-256-1.0/prompt.json.gz"));
    std::string standard = prompt;
    const std::size_t version = standard.find("\"alternate\"");
    ASSERT_NE(version, std::string::npos);
    standard.replace(version, 11, "\"standard\"");
    const SmallSet set(standard, ::Test::KatFiles::readWhole(::Test::DataSource().path(
                                     "Test/ACVP/SHA2-256-1.0/expectedResults.json.gz")));
    const SetRun run =
        runSet(::Test::AcvpHash::makeAcvpHashTests<zorvan::openssl::SHA256>(set.folder));
    EXPECT_THAT(run.failed(), ElementsAre("ACVP-SHA2-256/tg2/tc513"));
}

// libcrypto's SHA-256 with the high word of its bit counter dropped before the padding: a
// counter of 32 bits, right for every message under 2^29 octets and wrong from there on.
class Sha256With32BitCounter {
public:
    static std::size_t outputLength() { return 256; }
    static std::size_t blockLength() { return 512; }
    class Context {
    public:
        Context() { SHA256_Init(&state_); }
        void update(std::span<const std::uint8_t> octets) {
            SHA256_Update(&state_, octets.data(), octets.size());
        }
        Sha256With32BitCounter finalize() {
            state_.Nh = 0;
            std::array<std::uint8_t, SHA256_DIGEST_LENGTH> digest{};
            SHA256_Final(digest.data(), &state_);
            SHA256_Init(&state_);
            return Sha256With32BitCounter(zorvan::Bytes(digest));
        }

    private:
        SHA256_CTX state_{};
    };
    [[nodiscard]] zorvan::Bytes encode() const { return octets_; }
    static std::optional<Sha256With32BitCounter> get(const zorvan::Bytes& octets) {
        return Sha256With32BitCounter(octets);
    }
    friend bool operator==(const Sha256With32BitCounter&, const Sha256With32BitCounter&) = default;
    // Required of a digest; this test never prints one.
    [[maybe_unused]] friend std::ostream& operator<<(std::ostream& out,
                                                     const Sha256With32BitCounter& digest) {
        return out << digest.octets_;
    }

private:
    explicit Sha256With32BitCounter(zorvan::Bytes octets) : octets_(std::move(octets)) {}
    zorvan::Bytes octets_;
};

// The set's first large data test (1 GiB), run alone.
LeafStatus firstLargeDataTest(const std::vector<zorvan::testing::Test>& tests) {
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        if (leaf.path == "ACVP-SHA2-256/tg3/tc514") {
            return zorvan::testing::runLeaf(leaf, {}).status;
        }
    }
    return LeafStatus::skipped;
}

TEST(AcvpHashSuites, TheLargeDataTestCatchesA32BitCounterAndRunsOnlyWhenAsked) {
    using ::Test::AcvpHash::LargeData;
    using ::Test::AcvpHash::makeAcvpHashTests;
    constexpr std::string_view folder = "Test/ACVP/SHA2-256-1.0";
    EXPECT_EQ(firstLargeDataTest(makeAcvpHashTests<Sha256With32BitCounter>(folder)),
              LeafStatus::skipped);
    EXPECT_EQ(
        firstLargeDataTest(makeAcvpHashTests<zorvan::openssl::SHA256>(folder, LargeData::run)),
        LeafStatus::passed);
    EXPECT_EQ(firstLargeDataTest(makeAcvpHashTests<Sha256With32BitCounter>(folder, LargeData::run)),
              LeafStatus::failed);
}

// SHAKE128 that squeezes one block of its rate and repeats it: right up to 168 octets, wrong
// past them, as an XOF that forgets to permute between output blocks is.
struct OneBlockShake128 {
    static constexpr std::size_t rate = 168;
    static std::size_t blockLength() { return 8 * rate; }
    class Context {
    public:
        void absorb(std::span<const std::uint8_t> octets) { inner_.absorb(octets); }
        zorvan::Bytes squeeze(std::size_t length) {
            const zorvan::Bytes block = inner_.squeeze(rate);
            return zorvan::Bytes::create(length, [&block](std::span<std::uint8_t> output) {
                for (std::size_t index = 0; index < output.size(); ++index) {
                    output[index] = block[index % rate];
                }
            });
        }

    private:
        zorvan::openssl::SHAKE128::Context inner_;
    };
};

TEST(AcvpShakeSuite, AnXofWrongPastItsFirstBlockFailsExactlyTheLongerOutputsAndTheChain) {
    const std::string folder = "Test/ACVP/SHAKE-128-1.0";
    std::vector<std::string> longer;
    for (const auto& record :
         ::Test::AcvpFiles::readFolder(::Test::DataSource(), folder).set.records) {
        const ::Test::AcvpFiles::Test& test = *record.vector;
        const auto outLen = test.prompt.find("outLen");
        const auto len = ::Test::Json::integerOf(*test.prompt.find("len"));
        const bool wholeOctets = len && *len % 8 == 0;
        if (test.group->testType == "MCT" ||
            (wholeOctets && ::Test::Json::integerOf(*outLen) > 8 * OneBlockShake128::rate)) {
            longer.push_back("ACVP-SHAKE-128/tg" + std::to_string(test.group->tgId) + "/tc" +
                             std::to_string(test.tcId));
        }
    }
    const SetRun run = runSet(::Test::AcvpShake::makeAcvpShakeTests<OneBlockShake128>(folder));
    EXPECT_GT(longer.size(), 100U);
    EXPECT_EQ(run.failed(), longer);
}

TEST(AcvpSets, ARepeatedContentIsFedInPiecesThatStartWhereItDoes) {
    const std::vector<std::uint8_t> content{1, 2, 3};
    std::vector<std::uint8_t> message;
    std::size_t pieces = 0;
    const std::uint64_t total = ::Test::LargeMessages::pieceTarget * 2 + 1;
    ::Test::LargeMessages::feedRepeating(content, total, [&](std::span<const std::uint8_t> piece) {
        EXPECT_EQ(piece.front(), 1);
        message.insert(message.end(), piece.begin(), piece.end());
        ++pieces;
    });
    ASSERT_EQ(message.size(), total);
    EXPECT_EQ(pieces, 3U);
    for (std::size_t index = 0; index < message.size(); ++index) {
        ASSERT_EQ(message[index], content[index % content.size()]) << index;
    }
}

TEST(AcvpSets, LeadingBitsKeepTheHighOrTheLowBitsOfAPartialOctet) {
    const zorvan::Bytes octets{0xff, 0xff, 0xff};
    using Sets::BitOrder;
    EXPECT_EQ(Sets::leadingBits(octets, 10, BitOrder::highFirst), (zorvan::Bytes{0xff, 0xc0}));
    EXPECT_EQ(Sets::leadingBits(octets, 10, BitOrder::lowFirst), (zorvan::Bytes{0xff, 0x03}));
    EXPECT_EQ(Sets::leadingBits(octets, 16, BitOrder::lowFirst), (zorvan::Bytes{0xff, 0xff}));
    EXPECT_EQ(Sets::leadingBits(octets, 40, BitOrder::highFirst), octets);
    EXPECT_EQ(Sets::fitted(zorvan::Bytes{1, 2}, 4), (zorvan::Bytes{1, 2, 0, 0}));
    EXPECT_EQ(Sets::fitted(zorvan::Bytes{1, 2, 3}, 1), (zorvan::Bytes{1}));
    EXPECT_EQ(Sets::setName("SHA2-512/256"), "ACVP-SHA2-512-256");
    EXPECT_EQ(Sets::setName("ACVP-AES-GCM"), "ACVP-AES-GCM");
}

} // namespace
