// The JSON readers and the format detection over the published ACVP and Wycheproof files beside
// the repository: every set and file reads whole, with the counts the files themselves give.

#include <Test/AcvpFiles.hpp>
#include <Test/KatFiles.hpp>
#include <Test/VectorFormat.hpp>
#include <Test/WycheproofFiles.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
namespace Acvp = ::Test::AcvpFiles;
namespace Wycheproof = ::Test::WycheproofFiles;
using ::Test::VectorFormat::Format;

#ifdef ZORVAN_SHARED_VECTORS_DIR
const fs::path vectors = ZORVAN_SHARED_VECTORS_DIR;
#else
const fs::path vectors;
#endif

std::vector<fs::path> entries(const fs::path& folder) {
    std::vector<fs::path> paths;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        paths.push_back(entry.path());
    }
    std::ranges::sort(paths);
    return paths;
}

// Each test object holds one "tcId" member, and nothing else in these files says "tcId": a
// count made without the JSON reader.
std::size_t tcIds(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = text.find("\"tcId\""); at != std::string::npos;
         at = text.find("\"tcId\"", at + 1)) {
        ++count;
    }
    return count;
}

template <class Vector>
std::vector<std::string> damages(const std::vector<::Test::ReadRecord<Vector>>& records) {
    std::vector<std::string> found;
    for (const auto& record : records) {
        if (!record.vector) {
            found.push_back(record.fileName + ":" + std::to_string(record.line) + " " +
                            record.test + ": " + record.damage);
        }
    }
    return found;
}

class ShippedVectors : public ::testing::Test {
protected:
    void SetUp() override {
        if (vectors.empty() || !fs::exists(vectors / "acvp")) {
            GTEST_SKIP() << "the published vectors are not beside the repository";
        }
    }
};

TEST_F(ShippedVectors, EveryWycheproofFileReadsWholeWithTheTestsItCounts) {
    std::size_t files = 0;
    for (const fs::path& path : entries(vectors / "wycheproof/testvectors_v1")) {
        const std::string text = ::Test::KatFiles::readWhole(path.string());
        const Wycheproof::File file = Wycheproof::readFile(path.filename().string(), text);
        EXPECT_THAT(damages(file.records), ::testing::IsEmpty()) << path;
        EXPECT_EQ(file.records.size(), tcIds(text)) << path;
        EXPECT_EQ(file.tests, file.records.size());
        const auto declared = ::Test::Json::integerOf(*file.header.find("numberOfTests"));
        EXPECT_EQ(static_cast<std::size_t>(declared.value_or(-1)), file.records.size());
        EXPECT_FALSE(file.algorithm.empty());

        const auto detected = ::Test::VectorFormat::detectFile(path.string());
        EXPECT_EQ(detected.format, Format::wycheproof);
        EXPECT_EQ(detected.algorithm, file.algorithm);
        EXPECT_EQ(detected.schema, file.schema);
        ++files;
    }
    EXPECT_EQ(files, 19u);
}

TEST_F(ShippedVectors, EveryAcvpSetPairsWholeAndItsProjectionAgrees) {
    std::size_t sets = 0;
    std::size_t largeMessages = 0;
    for (const fs::path& set : entries(vectors / "acvp")) {
        if (!fs::is_directory(set)) {
            continue;
        }
        ++sets;
        const std::string prompt = (set / "prompt.json.gz").string();
        const std::string answers = (set / "expectedResults.json.gz").string();
        const Acvp::SetRead read = Acvp::readPairFiles(prompt, answers);
        EXPECT_THAT(damages(read.records), ::testing::IsEmpty()) << set;
        const std::size_t expected = tcIds(::Test::KatFiles::readWhole(prompt));
        EXPECT_EQ(read.records.size(), expected) << set;
        EXPECT_EQ(tcIds(::Test::KatFiles::readWhole(answers)), expected) << set;
        // The folder is the set's algorithm and revision ("SHA2-512/256" in SHA2-512-256-1.0).
        std::string algorithm(read.set->algorithm);
        std::ranges::replace(algorithm, '/', '-');
        EXPECT_EQ(set.filename().string(), algorithm + "-" + std::string(read.set->revision));
        for (const auto& record : read.records) {
            largeMessages += record.vector && record.vector->largeMessage ? 1u : 0u;
            EXPECT_FALSE(record.vector && record.vector->group->testType.empty()) << set;
        }
        EXPECT_EQ(::Test::VectorFormat::detectFile(prompt).format, Format::acvpPrompt);
        EXPECT_EQ(::Test::VectorFormat::detectFile(answers).format, Format::acvpExpectedResults);

        const fs::path projection = set / "internalProjection.json.gz";
        if (fs::exists(projection)) {
            const Acvp::SetRead alone = Acvp::readProjectionFile(projection.string());
            EXPECT_THAT(damages(alone.records), ::testing::IsEmpty()) << projection;
            EXPECT_EQ(alone.records.size(), expected) << projection;
            EXPECT_EQ(::Test::VectorFormat::detectFile(projection.string()).format,
                      Format::acvpInternalProjection);
        }
    }
    EXPECT_EQ(sets, 25u);
    // Four per SHA-2 and SHA-3 set.
    EXPECT_EQ(largeMessages, 36u);
}

TEST_F(ShippedVectors, AnAcvpFileNamedOtherwiseIsToldByWhatItsGroupsHold) {
    const fs::path set = vectors / "acvp/ACVP-AES-GCM-1.0";
    const auto detectAs = [](const fs::path& path) {
        return ::Test::VectorFormat::detect("renamed.json",
                                            ::Test::KatFiles::readWhole(path.string()));
    };
    const auto prompt = detectAs(set / "prompt.json.gz");
    EXPECT_EQ(prompt.format, Format::acvpPrompt);
    EXPECT_EQ(prompt.algorithm, "ACVP-AES-GCM");
    EXPECT_EQ(prompt.revision, "1.0");
    EXPECT_EQ(detectAs(set / "expectedResults.json.gz").format, Format::acvpExpectedResults);
    EXPECT_EQ(detectAs(set / "internalProjection.json.gz").format, Format::acvpInternalProjection);
    EXPECT_EQ(detectAs(vectors / "acvp/ACVP-AES-CTR-1.0/prompt.json.gz").mode, "");
}

TEST(VectorFormat, AResponseFileIsToldByItsFirstRecordField) {
    const auto detected = ::Test::VectorFormat::detect(
        "x.rsp", "# CAVS 11.1\n[L = 20]\n\nLen = 0\nMsg = 00\n\nLen = 8\nMsg = 01\n");
    EXPECT_EQ(detected.format, Format::cavpResponse);
    EXPECT_EQ(detected.recordStart, "Len");
    EXPECT_EQ(detected.records, 2u);
    // A section on its first line, before any comment, is no JSON array.
    for (const char* text : {"[L = 20]\n\nLen = 0\nMsg = 00\n", "[ENCRYPT]\nCOUNT = 0\n"}) {
        EXPECT_EQ(::Test::VectorFormat::detect("x.rsp", text).format, Format::cavpResponse) << text;
    }
}

TEST(VectorFormat, AResponseFileNamesTheAlgorithmItsHeaderStates) {
    const auto algorithmOf = [](const std::string& header) {
        return ::Test::VectorFormat::detect("x.rsp", header + "\nCOUNT = 0\nKEY = 00\n").algorithm;
    };
    EXPECT_EQ(algorithmOf("#  CAVS 11.0\n#  \"SHA-256 ShortMsg\" information"), "SHA-256");
    EXPECT_EQ(algorithmOf("#  \"SHA-512/224 LongMsg\" information for \"sha_values\""),
              "SHA-512/224");
    EXPECT_EQ(algorithmOf("# Config info for aes_values\n# AESVS GFSbox test data for CBC\r"),
              "AES-CBC");
    EXPECT_EQ(algorithmOf("# Camellia CBC from OpenSSL's test vectors."), "");
    EXPECT_EQ(algorithmOf("[ENCRYPT]\n# AESVS GFSbox test data for CBC"), "AES-CBC");
    EXPECT_EQ(algorithmOf("Note = \"SHA-1 x\" information"), "");
}

TEST(VectorFormat, AFileNoReaderTakesSaysWhy) {
    const std::pair<std::string, std::string> refused[] = {
        {std::string("\x1f\x8b\x08\x00", 4), "gzip-compressed text under a name"},
        {std::string("Len = 0\n\0", 9), "binary, not text: a NUL octet at offset 8"},
        {"{\"a\": 1}", "neither Wycheproof's members"},
        {"{\"schema\": \"s\", \"testGroups\": []}", "Wycheproof JSON that names no algorithm"},
        {"{\"vsId\": 1, \"revision\": \"1.0\", \"algorithm\": 7, \"testGroups\": []}",
         "ACVP prompt JSON that names no algorithm"},
        {"{\"vsId\": 1,", "stops reading as JSON at line 1"},
        {"# only a comment\n", "no NAME = VALUE line"},
        {"", "no NAME = VALUE line"},
    };
    for (const auto& [text, why] : refused) {
        EXPECT_THAT([&text] { ::Test::VectorFormat::detect("user.file", text); },
                    ::testing::ThrowsMessage<::Test::VectorFormat::FormatError>(
                        ::testing::AllOf(::testing::StartsWith("user.file: no reader takes it: "),
                                         ::testing::HasSubstr(why))))
            << why;
    }
}

} // namespace
