#include <Test/KatFiles.hpp>

#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>


namespace {

using Test::KatFiles::KatDirectoryError;
using Test::KatFiles::readKatDirectory;
using Test::KatFiles::stem;

TEST(KatFiles, KeepsRegularFilesThatPassTheNameFilterAndParsesThem) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_X/SHA1a.rsp", "[L=20]\nLen = 0\nMsg = 00\n");
    data.write("Test/KAT_X/SHA224.rsp", "Len = 8\n");
    data.makeFolder("Test/KAT_X/SHA1folder");
    std::filesystem::create_symlink(data.root() / "missing", data.root() / "Test/KAT_X/SHA1dangling");

    const auto files = readKatDirectory("Test/KAT_X", "Len", [](std::string_view name) {
        return name.starts_with("SHA1");
    });
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "SHA1a.rsp");
    EXPECT_EQ(files[0].path, (data.root() / "Test/KAT_X/SHA1a.rsp").string());
    ASSERT_EQ(files[0].categories.size(), 1u);
    EXPECT_EQ(files[0].categories[0].records.size(), 1u);
    EXPECT_EQ(readKatDirectory("Test/KAT_X", "Len").size(), 2u);
}

TEST(KatFiles, AMissingDirectoryNamesThePathAndTheVariable) {
    const TemporaryDataDirectory data;
    EXPECT_THAT([] { readKatDirectory("Test/KAT_NONE", "I"); },
                ::testing::ThrowsMessage<KatDirectoryError>(::testing::AllOf(
                    ::testing::HasSubstr("Test/KAT_NONE"), ::testing::HasSubstr("zorvan_tests_datadir"))));
}

TEST(KatFiles, StemIsTheNameBeforeItsLastDot) {
    EXPECT_EQ(stem("ECB_VT.TXT"), "ECB_VT");
    EXPECT_EQ(stem("a.b.rsp"), "a.b");
    EXPECT_EQ(stem("README"), "README");
    EXPECT_EQ(stem(".hidden"), "");
}

} // namespace
