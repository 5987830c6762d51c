#include <Test/DataSource.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatValues.hpp>
#include <Test/SHA.hpp>
#include <Test/ShaVectors.hpp>

#include "hash_suite_support.hpp"
#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

namespace sha = ::Test::SHA;
namespace openssl = zorvan::openssl;
using hash_suites::failingNames;
using hash_suites::namesOf;
using hash_suites::runUnitLeaves;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zorvan::Bytes;

// The vectors of the installed files of label, as the suite reads them.
std::vector<sha::ShaVector> readVectors(std::string_view label) {
    const ::Test::KatFiles::Folder folder = ::Test::KatFiles::readFolder(
        ::Test::DataSource(), "Test/KAT_SHA", sha::lengthField,
        [label](std::string_view name) { return name.starts_with(label); });
    std::vector<sha::ShaVector> vectors;
    for (auto& record : sha::messageRecords(folder, label)) {
        if (record.vector) {
            vectors.push_back(std::move(*record.vector));
        }
    }
    return vectors;
}

std::multiset<std::string> digests(const std::vector<sha::ShaVector>& vectors) {
    std::multiset<std::string> result;
    for (const sha::ShaVector& vector : vectors) {
        result.insert(vector.digest);
    }
    return result;
}

// The names of the installed vectors of label whose message is longer than octets.
std::multiset<std::string> vectorsLongerThan(std::string_view label, std::size_t octets) {
    std::multiset<std::string> result;
    for (const sha::ShaVector& vector : readVectors(label)) {
        if (std::stoull(vector.length) / 8 > octets) {
            result.insert(vector.name);
        }
    }
    return result;
}

// Every unit test of a builder's list passes, there is one per "Len" line of the label's
// installed files (the parser is not trusted to count them), and the property group is last.
void expectPassesWithOneTestPerRecord(const std::vector<zorvan::testing::Test>& tests,
                                      const std::string& label) {
    const std::size_t records = hash_suites::countLines(
        "Test/KAT_SHA", [&](const std::string& file) { return file.starts_with(label); },
        [](const std::string& line, const std::string&) { return line.starts_with("Len ="); });
    ::testing::Test::RecordProperty(label, std::to_string(records));
    ASSERT_GT(records, 0u) << label;
    const auto runs = runUnitLeaves(tests);
    ASSERT_EQ(runs.size(), records) << label;
    EXPECT_EQ(runs.front().name, "Nist" + label + "-1");
    EXPECT_EQ(runs.back().name, "Nist" + label + "-" + std::to_string(records));
    EXPECT_THAT(failingNames(runs), IsEmpty()) << label;
    EXPECT_EQ(tests.size(), records + 1) << label;
    EXPECT_EQ(tests.back().name(), ::Test::Crypto::names::hashGroup) << label;
}

template <class Backend> class ShaSuite : public ::testing::Test {};
TYPED_TEST_SUITE(ShaSuite, hash_suites::HashBackends, hash_suites::HashBackendNames);

TYPED_TEST(ShaSuite, EveryBuilderPassesWithOneTestPerInstalledRecord) {
    using B = TypeParam;
    const auto witness = [](auto digestType) {
        return zorvan::hashStrict<typename decltype(digestType)::type>(Bytes{});
    };
    expectPassesWithOneTestPerRecord(
        sha::makeSHA1Tests(witness(std::type_identity<typename B::SHA1>{})), "SHA1");
    expectPassesWithOneTestPerRecord(
        sha::makeSHA224Tests(witness(std::type_identity<typename B::SHA224>{})), "SHA224");
    expectPassesWithOneTestPerRecord(sha::makeSHA256Tests<typename B::SHA256>(), "SHA256");
    expectPassesWithOneTestPerRecord(sha::makeSHA384Tests<typename B::SHA384>(), "SHA384");
    expectPassesWithOneTestPerRecord(sha::makeSHA512Tests<typename B::SHA512>(), "SHA512");
}

// Wrong once more than one block has been fed.
struct LongMessageFault : hash_suites::NoFault {
    static Bytes afterHashing(Bytes digest, std::size_t octetsFed) {
        return octetsFed > 64 ? hash_suites::flipFirstOctet(std::move(digest)) : digest;
    }
};

// Chunk boundaries: the last octet of every chunk but the final one is lost.
struct ChunkBoundaryFault : hash_suites::NoFault {
    static std::vector<Bytes> chunksFed(const zorvan::LazyBytes& message) {
        std::vector<Bytes> chunks = message.toChunks();
        for (std::size_t index = 0; index + 1 < chunks.size(); ++index) {
            chunks[index] = chunks[index].take(chunks[index].size() - 1);
        }
        return chunks;
    }
};

TEST(ShaSuiteFaults, ADigestWrongBeyondOneBlockFailsExactlyTheLongVectors) {
    using Broken = hash_suites::FaultyDigest<openssl::SHA256, LongMessageFault>;
    const auto failing = failingNames(runUnitLeaves(sha::makeSHA256Tests<Broken>()));
    EXPECT_FALSE(failing.empty());
    EXPECT_EQ(failing, vectorsLongerThan("SHA256", 64));
}

TEST(ShaSuiteFaults, AWrongChunkedPathFailsOnlyThroughTheSecondComponent) {
    using Broken = hash_suites::FaultyDigest<openssl::SHA256, ChunkBoundaryFault>;
    const auto runs = runUnitLeaves(sha::makeSHA256Tests<Broken>());
    const auto failing = failingNames(runs);
    EXPECT_FALSE(failing.empty());
    EXPECT_EQ(failing, vectorsLongerThan("SHA256", 37));
    for (const hash_suites::LeafRun& run : runs) {
        if (!run.passed) {
            EXPECT_THAT(run.report, ::testing::HasSubstr("second component")) << run.name;
        }
    }
}

TEST(ShaSuiteFiles, NumbersCompleteRecordsAcrossFilesInListingOrder) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_SHA/SHA1a.rsp", "[L = 20]\n"
                                         "Len = 8\nMsg = 01\nMD = a1\n"
                                         "Len = 8\nMD = a-no-message\n"
                                         "len = 8\nmsg = 01\nmd = a-lower-case\n"
                                         "Len = 8\nMsg = 02\nMD = a2\n"
                                         "[L = 21]\n"
                                         "Len = 8\nMsg = 03\nMD = a3\n");
    data.write("Test/KAT_SHA/SHA1b.rsp", "Len = 8\nMsg = 04\nMD = b1\n"
                                         "Len = 8\nMsg = 05\nMD = b2\n");
    const auto firstListed =
        std::filesystem::directory_iterator(data.root() / "Test/KAT_SHA")->path().filename();
    const std::vector<std::string> fileA{"a1", "a2", "a3"};
    const std::vector<std::string> fileB{"b1", "b2"};
    std::vector<std::string> expected = firstListed == "SHA1a.rsp" ? fileA : fileB;
    for (const std::string& digest : firstListed == "SHA1a.rsp" ? fileB : fileA) {
        expected.push_back(digest);
    }

    const auto vectors = readVectors("SHA1");
    std::vector<std::string> inOrder;
    for (const sha::ShaVector& vector : vectors) {
        inOrder.push_back(vector.digest);
    }
    EXPECT_EQ(inOrder, expected);
    EXPECT_THAT(namesOf(vectors),
                ElementsAre("NistSHA1-1", "NistSHA1-2", "NistSHA1-3", "NistSHA1-4", "NistSHA1-5"));
}

TEST(ShaSuiteFiles, SelectsFilesByCaseSensitiveLabelPrefixAndNeverEntersFolders) {
    const TemporaryDataDirectory data;
    const auto file = [&](const std::string& path, const std::string& digest) {
        data.write("Test/KAT_SHA/" + path, "Len = 0\nMsg = 00\nMD = " + digest + "\n");
    };
    file("SHA1ShortMsg.rsp", "10");
    file("sha1lower.rsp", "11");
    file("SHA224ShortMsg.rsp", "22");
    file("SHA512.rsp", "51");
    file("SHA512xyz.rsp", "52");
    file("SHA1folder/SHA1inside.rsp", "19");

    EXPECT_THAT(digests(readVectors("SHA1")), ElementsAre("10"));
    EXPECT_THAT(digests(readVectors("SHA224")), ElementsAre("22"));
    EXPECT_THAT(digests(readVectors("SHA512")), ElementsAre("51", "52"));
    EXPECT_THAT(readVectors("SHA256"), IsEmpty());
}

// A folder that gives the suite no test must not leave it green with the properties alone.
TEST(ShaSuiteFiles, AnEmptyDirectoryFailsTheSuiteAndAMissingOneFailsTheCall) {
    const TemporaryDataDirectory data;
    EXPECT_THROW(sha::makeSHA256Tests<openssl::SHA256>(), ::Test::KatFiles::KatDirectoryError);
    data.makeFolder("Test/KAT_SHA");
    data.write("Test/KAT_SHA/SHA1ShortMsg.rsp", "Len = 0\nMsg = 00\nMD = 00\n");
    const auto tests = sha::makeSHA256Tests<openssl::SHA256>();
    ASSERT_EQ(tests.size(), 2u);
    EXPECT_EQ(tests.back().name(), ::Test::Crypto::names::hashGroup);
    const auto runs = runUnitLeaves(tests);
    EXPECT_THAT(failingNames(runs), ElementsAre("KAT_SHA"));
    EXPECT_THAT(runs.front().report,
                ::testing::HasSubstr("Test/KAT_SHA gave this suite no known-answer test: 0 records "
                                     "in 0 files were read"));
}

// Every record that cannot be a test fails the suite in its place, named after where it stands,
// and takes no number.
TEST(ShaSuiteFiles, DamagedRecordsFailInTheirPlaceNamedAfterTheirLine) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_SHA/SHA1ShortMsg.rsp",
               "Len = 0\nMsg = 00\nMD = da39a3ee5e6b4b0d3255bfef95601890afd80709\n"
               "Len = 8\nMsg = 61\n"
               "Len = 8\nMsg = 61\nMD = 86f7e437faa5a7fce15d1ddcb9eaeaea377667b8\nMDD = 00\n"
               "Len = 8\nMsg = 61\nMD = 86f7e437faa5a7fce15d1ddcb9eaeaea377667b8\n");
    const auto runs = runUnitLeaves(sha::makeSHA1Tests<openssl::SHA1>());
    EXPECT_THAT(namesOf(runs), ElementsAre("NistSHA1-1", "SHA1ShortMsg.rsp:4", "SHA1ShortMsg.rsp:6",
                                           "NistSHA1-2"));
    EXPECT_THAT(failingNames(runs), ElementsAre("SHA1ShortMsg.rsp:4", "SHA1ShortMsg.rsp:6"));
    EXPECT_THAT(runs[1].report, ::testing::HasSubstr("Test/KAT_SHA/SHA1ShortMsg.rsp:4: missing "
                                                     "field: MD"));
    EXPECT_THAT(runs[2].report, ::testing::HasSubstr("Test/KAT_SHA/SHA1ShortMsg.rsp:6: unknown "
                                                     "field: MDD"));
}

TEST(ShaSuiteDecoding, CutsTheMessageToTheWholeOctetsOfLenAndRefusesALenThatDisagrees) {
    const zorvan::testing::VectorOrigin origin{"Test/KAT_SHA/x.rsp", 12, 1, {}};
    const auto message = [&](std::string length, std::string hex) {
        return sha::decode({"NistSHA1-1", std::move(length), std::move(hex), "00", origin}).message;
    };
    EXPECT_EQ(message("0", "00"), Bytes{});
    EXPECT_EQ(message("0", ""), Bytes{});
    EXPECT_EQ(message("8", "ab"), (Bytes{0xab}));
    EXPECT_EQ(message("13", "abcd"), (Bytes{0xab}));
    EXPECT_TRUE(sha::decode({"NistSHA1-1", "0", "00", "00", origin}).chunkedMessage.empty());
    for (const auto& [length, hex] :
         {std::pair{"24", "ab"}, {"8", "abcd"}, {"-8", "abcd"}, {"0", "abcd"}}) {
        EXPECT_THAT(
            [&] { message(length, hex); },
            ::testing::ThrowsMessage<::Test::KatValues::KatValueError>(::testing::StartsWith(
                "Test/KAT_SHA/x.rsp:12: Len = " + std::string(length) + " bits, but Msg")))
            << length << " " << hex;
    }
}

TEST(ShaSuiteDecoding, BadFieldsFailOnlyTheirOwnTestWhenItRuns) {
    const TemporaryDataDirectory data;
    const std::string abcDigest = "a9993e364706816aba3e25717850c26c9cd0d89d";
    data.write("Test/KAT_SHA/SHA1.rsp",
               "Len = 0\nMsg = 00\nMD = da39a3ee5e6b4b0d3255bfef95601890afd80709\n"
               "Len = 24\nMsg = 616263\nMD = " +
                   abcDigest +
                   "\n"
                   "Len = 24\nMsg = 616264\nMD = " +
                   abcDigest +
                   "\n"
                   "Len = 2x4\nMsg = 616263\nMD = " +
                   abcDigest +
                   "\n"
                   "Len = 24\nMsg = g16263\nMD = " +
                   abcDigest + "\n");
    const auto runs = runUnitLeaves(sha::makeSHA1Tests<openssl::SHA1>());
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_THAT(failingNames(runs), ElementsAre("NistSHA1-3", "NistSHA1-4", "NistSHA1-5"));
    EXPECT_THAT(runs[2].report, ::testing::HasSubstr("first component"));
    EXPECT_THAT(runs[3].report, ::testing::HasSubstr("\"2x4\""));
    EXPECT_THAT(runs[4].report, ::testing::HasSubstr("\"g1\""));
}

} // namespace
