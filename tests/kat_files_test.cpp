#include <Test/KatFiles.hpp>

#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using Test::KatFiles::KatDirectoryError;
using Test::KatFiles::readKatDirectory;
using Test::KatFiles::stem;

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

} // namespace
