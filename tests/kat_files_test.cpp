#include <Test/DataSource.hpp>
#include <Test/Gzip.hpp>
#include <Test/KatFiles.hpp>
#include <Test/Manifest.hpp>
#include <Test/sha256.hpp>

#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <zlib.h>

namespace {

using ::Test::KatFiles::FileProblem;
using ::Test::KatFiles::KatDirectoryError;
using ::Test::KatFiles::stem;

std::vector<::Test::KatFiles::KatFile>
readKatDirectory(std::string_view directory, std::string_view startName,
                 const ::Test::KatFiles::FileSelection& select = ::Test::KatFiles::everyFile) {
    return ::Test::KatFiles::readFolder(::Test::DataSource(), directory, startName, select).files;
}

TEST(KatFiles, KeepsRegularFilesThatPassTheNameFilterAndParsesThem) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_X/SHA1a.rsp", "[L=20]\nLen = 0\nMsg = 00\n");
    data.write("Test/KAT_X/SHA224.rsp", "Len = 8\n");
    data.makeFolder("Test/KAT_X/SHA1folder");
    std::filesystem::create_symlink(data.root() / "missing",
                                    data.root() / "Test/KAT_X/SHA1dangling");

    const auto files = readKatDirectory(
        "Test/KAT_X", "Len", [](std::string_view name) { return name.starts_with("SHA1"); });
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "SHA1a.rsp");
    EXPECT_EQ(files[0].path, (data.root() / "Test/KAT_X/SHA1a.rsp").string());
    ASSERT_EQ(files[0].categories.size(), 1u);
    EXPECT_EQ(files[0].categories[0].records.size(), 1u);
    EXPECT_EQ(readKatDirectory("Test/KAT_X", "Len").size(), 2u);
}

TEST(KatFiles, AMissingDirectoryNamesThePathAndTheVariable) {
    const TemporaryDataDirectory data;
    EXPECT_THAT(
        [] { readKatDirectory("Test/KAT_NONE", "I"); },
        ::testing::ThrowsMessage<KatDirectoryError>(::testing::AllOf(
            ::testing::HasSubstr("Test/KAT_NONE"), ::testing::HasSubstr("zorvan_tests_datadir"))));
}

// Each entry below must fail the whole call with the file's path and the reason: a suite
// built from part of its data would pass with fewer vectors than it claims.
::testing::Matcher<std::function<void()>> refusesReading(const std::filesystem::path& path,
                                                         const std::string& reason) {
    return ::testing::ThrowsMessage<KatDirectoryError>(
        ::testing::AllOf(::testing::HasSubstr(path.string()), ::testing::HasSubstr(reason)));
}

TEST(KatFiles, AReadErrorPartWayFailsTheCallNamingTheFileAndTheError) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_X/a.rsp", "Len = 0\n");
    // Reading /proc/self/mem from its start fails in read(2) with EIO: a real read error
    // behind a path that passes every check made before reading.
    const auto path = data.root() / "Test/KAT_X/b.rsp";
    std::filesystem::create_symlink("/proc/self/mem", path);
    EXPECT_THAT([] { readKatDirectory("Test/KAT_X", "Len"); },
                refusesReading(path, "Input/output error after 0 octets"));
}

TEST(KatFiles, EntriesThatAreNotRegularFilesAreRefusedUnread) {
    const TemporaryDataDirectory data;
    const auto device = data.root() / "Test/KAT_X/zero.rsp";
    data.makeFolder("Test/KAT_X");
    std::filesystem::create_symlink("/dev/zero", device);
    EXPECT_THAT([] { readKatDirectory("Test/KAT_X", "Len"); },
                refusesReading(device, "a character device, not a regular file or a link to one"));

    std::filesystem::remove(device);
    const auto fifo = data.root() / "Test/KAT_X/fifo.rsp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THAT([] { readKatDirectory("Test/KAT_X", "Len"); }, refusesReading(fifo, "a FIFO"));
}

TEST(KatFiles, AFileOverTheSizeLimitIsRefusedUnread) {
    const TemporaryDataDirectory data;
    const auto path = data.root() / "Test/KAT_X/huge.rsp";
    data.write("Test/KAT_X/huge.rsp", "Len = 0\n");
    std::filesystem::resize_file(path,
                                 ::Test::KatFiles::maximumFileSize + 1); // sparse: no disk used
    EXPECT_THAT([] { readKatDirectory("Test/KAT_X", "Len"); },
                refusesReading(path, "over the limit of 268435456"));
}

TEST(KatFiles, StemIsTheNameBeforeItsLastDot) {
    EXPECT_EQ(stem("ECB_VT.TXT"), "ECB_VT");
    EXPECT_EQ(stem("a.b.rsp"), "a.b");
    EXPECT_EQ(stem("README"), "README");
    EXPECT_EQ(stem(".hidden"), "");
}

// A manifest line for the text as a file of the folder holds it.
std::string listed(const std::string& path, std::string_view text, std::size_t records) {
    return path + "\t" + std::to_string(text.size()) + "\t" +
           ::Test::Sha256::toHex(::Test::Sha256::digest(text)) + "\t" + std::to_string(records) +
           "\n";
}

constexpr std::string_view twoRecords = "Len = 0\nMsg = 00\nLen = 8\nMsg = 01\n";

TEST(KatFilesManifest, EachFileThatDiffersFromTheManifestIsAProblemNamedWithWhatDiffers) {
    const TemporaryDataDirectory data;
    data.write("Test/manifest.tsv", "# a comment\n" + listed("Test/KAT_X/cut.rsp", twoRecords, 2) +
                                        listed("Test/KAT_X/changed.rsp", twoRecords, 2) +
                                        listed("Test/KAT_X/grown.rsp", twoRecords, 2) +
                                        listed("Test/KAT_X/gone.rsp", twoRecords, 2) +
                                        listed("Test/KAT_X/folder.rsp", twoRecords, 2) +
                                        listed("Test/KAT_X/same.rsp", twoRecords, 2) +
                                        listed("Test/KAT_X/unselected.rsp", twoRecords, 2) +
                                        listed("Test/KAT_Y/other.rsp", twoRecords, 2));
    data.write("Test/KAT_X/cut.rsp", twoRecords.substr(0, 10));
    std::string changed(twoRecords);
    changed[4] = '1';
    data.write("Test/KAT_X/changed.rsp", changed);
    data.write("Test/KAT_X/grown.rsp", std::string(twoRecords) + "Len = 16\n");
    data.makeFolder("Test/KAT_X/folder.rsp");
    data.write("Test/KAT_X/same.rsp", twoRecords);
    data.write("Test/KAT_X/added.rsp", twoRecords);
    // Added beside the files another suite reads: the folder is not what was installed.
    data.write("Test/KAT_X/unselected-added.rsp", twoRecords);

    const ::Test::KatFiles::Folder folder = ::Test::KatFiles::readFolder(
        ::Test::DataSource(), "Test/KAT_X", "Len",
        [](std::string_view name) { return !name.starts_with("unselected"); });
    EXPECT_EQ(folder.files.size(), 5u);
    EXPECT_THAT(
        folder.problems,
        ::testing::ElementsAre(
            FileProblem{"added.rsp", "extra: the manifest does not list it"},
            FileProblem{"changed.rsp", "changed: its SHA-256 is not the one the manifest lists"},
            FileProblem{"cut.rsp", "truncated: 10 octets of the 34 octets the manifest lists"},
            FileProblem{"folder.rsp", "not a regular file: a directory stands in its place"},
            FileProblem{"gone.rsp", "missing"},
            FileProblem{"grown.rsp", "changed: 43 octets where the manifest lists 34 octets"},
            FileProblem{"unselected-added.rsp", "extra: the manifest does not list it"}));
}

TEST(KatFilesManifest, WithoutAManifestAFolderIsReadAsItStands) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_X/a.rsp", twoRecords);
    EXPECT_TRUE(
        ::Test::KatFiles::readFolder(::Test::DataSource(), "Test/KAT_X", "Len").problems.empty());
    data.write("Test/manifest.tsv", listed("Test/KAT_X/b.rsp", twoRecords, 2));
    EXPECT_TRUE(::Test::KatFiles::readFolder(
                    ::Test::DataSource::ignoringManifest(data.root().string()), "Test/KAT_X", "Len")
                    .problems.empty());
}

TEST(KatFilesManifest, AManifestThatDoesNotReadFailsEveryFolderReadNamingItsLine) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_X/a.rsp", twoRecords);
    const std::string good = listed("Test/KAT_X/a.rsp", twoRecords, 2);
    const std::pair<std::string, int> damaged[] = {
        {"Test/KAT_X/a.rsp\t34\n", 2},
        {good.substr(0, good.size() - 2) + "x\n", 2},
        {"Test/KAT_X/a.rsp\t-1\t" + std::string(64, '0') + "\t2\n", 2},
        {"Test/KAT_X/a.rsp\t34\t" + std::string(64, 'A') + "\t2\n", 2},
        {good + good, 3},
    };
    for (const auto& [lines, wrongLine] : damaged) {
        data.write("Test/manifest.tsv", "# head\n" + lines);
        EXPECT_THAT([] { ::Test::KatFiles::readFolder(::Test::DataSource(), "Test/KAT_X", "Len"); },
                    ::testing::ThrowsMessage<::Test::ManifestError>(::testing::HasSubstr(
                        "manifest.tsv does not read at line " + std::to_string(wrongLine) + ": ")))
            << lines;
    }
}

TEST(KatFilesManifest, ReadsBackWhatItRendersAndListsAFoldersOwnFiles) {
    ::Test::Manifest manifest;
    manifest.add("Test/KAT_X/b.rsp", {3, std::string(64, 'a'), 1});
    manifest.add("Test/KAT_X/a.rsp", {0, std::string(64, 'b'), 0});
    manifest.add("Test/KAT_X/sub/c.rsp", {0, std::string(64, 'c'), 0});
    EXPECT_EQ(::Test::Manifest::parse(manifest.render(), "m"), manifest);
    EXPECT_THAT(manifest.filesIn("Test/KAT_X"), ::testing::ElementsAre("a.rsp", "b.rsp"));
}

// A gzip member holding text, as gzip(1) writes it.
std::string gzipped(std::string_view text) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9,
                           Z_DEFAULT_STRATEGY),
              Z_OK);
    std::string packed(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

TEST(KatFilesGzip, AGzFileReadsAsItsTextAndTheManifestChecksItsStoredOctets) {
    const TemporaryDataDirectory data;
    const std::string packed = gzipped(twoRecords);
    data.write("Test/KAT_X/a.rsp.gz", packed);
    data.write("Test/manifest.tsv", listed("Test/KAT_X/a.rsp.gz", packed, 2));
    const ::Test::KatFiles::Folder folder =
        ::Test::KatFiles::readFolder(::Test::DataSource(), "Test/KAT_X", "Len");
    ASSERT_EQ(folder.files.size(), 1u);
    EXPECT_EQ(::Test::KatFiles::countRecords(folder.files[0]), 2u);
    EXPECT_TRUE(folder.problems.empty());

    // Listed by its text, not by what is stored, the file no longer matches.
    data.write("Test/manifest.tsv", listed("Test/KAT_X/a.rsp.gz", twoRecords, 2));
    EXPECT_THAT(::Test::KatFiles::readFolder(::Test::DataSource(), "Test/KAT_X", "Len").problems,
                ::testing::ElementsAre(
                    ::testing::Field(&FileProblem::what, ::testing::StartsWith("changed: "))));
}

TEST(KatFilesGzip, MembersBackToBackReadAsOneText) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_X/a.rsp.gz", gzipped("Len = 0\n") + gzipped("Msg = 00\n"));
    EXPECT_EQ(::Test::KatFiles::readWhole((data.root() / "Test/KAT_X/a.rsp.gz").string()),
              "Len = 0\nMsg = 00\n");
}

// Each stored form below must fail the read naming the file: a suite must never run on the part
// of a file that happened to expand.
TEST(KatFilesGzip, AGzFileThatIsNoWholeGzipStreamIsRefusedNamingIt) {
    const TemporaryDataDirectory data;
    const std::string packed = gzipped(twoRecords);
    const std::pair<std::string, std::string> damaged[] = {
        {packed.substr(0, packed.size() - 5), "ends before its end"},
        {packed + "trailing", "not a whole gzip stream"},
        {std::string(twoRecords), "not a whole gzip stream"},
        {"", "ends before its end (0 octets stored)"},
    };
    const auto path = data.root() / "Test/KAT_X/a.rsp.gz";
    for (const auto& [stored, reason] : damaged) {
        data.write("Test/KAT_X/a.rsp.gz", stored);
        EXPECT_THAT([] { readKatDirectory("Test/KAT_X", "Len"); }, refusesReading(path, reason))
            << reason;
    }
    std::string flipped = packed;
    flipped[flipped.size() - 6] ^= 1; // the CRC-32 of the text
    data.write("Test/KAT_X/a.rsp.gz", flipped);
    EXPECT_THAT([] { readKatDirectory("Test/KAT_X", "Len"); },
                refusesReading(path, "incorrect data check"));
}

TEST(KatFilesGzip, AGzipBombIsRefusedNamingTheFileOnceItExpandsPastTheLimit) {
    // 257 members of 1 MiB of zeros: about 260 KiB stored, 257 MiB expanded.
    const std::string member = gzipped(std::string(std::size_t{1} << 20, '\0'));
    std::string bomb;
    for (int copy = 0; copy < 257; ++copy) {
        bomb += member;
    }
    const TemporaryDataDirectory data;
    data.write("Test/KAT_X/bomb.rsp.gz", bomb);
    EXPECT_THAT(
        [] { readKatDirectory("Test/KAT_X", "Len"); },
        refusesReading(data.root() / "Test/KAT_X/bomb.rsp.gz", "it expands past 268435456 octets"));
    EXPECT_THROW(::Test::Gzip::inflate(member, (std::size_t{1} << 20) - 1),
                 ::Test::Gzip::GzipError);
    EXPECT_EQ(::Test::Gzip::inflate(member, std::size_t{1} << 20).size(), std::size_t{1} << 20);
}

} // namespace
