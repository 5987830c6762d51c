#include <Paths_zorvan_tests.hpp>

#include "scoped_variable.hpp"
#include "temporary_data_directory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Paths_zorvan_tests;

struct Directory {
    const char* variable;
    std::string (*get)();
};

const Directory directories[] = {
    {"zorvan_tests_bindir", getBinDir},         {"zorvan_tests_libdir", getLibDir},
    {"zorvan_tests_dynlibdir", getDynLibDir},   {"zorvan_tests_datadir", getDataDir},
    {"zorvan_tests_libexecdir", getLibexecDir}, {"zorvan_tests_sysconfdir", getSysconfDir},
};

TEST(Paths, DataFileNameJoinsDirectoryAndNameWithOneSeparator) {
    ScopedVariable dataDir("zorvan_tests_datadir");
    dataDir.set("/opt/kat");
    EXPECT_EQ(getDataFileName("Test/KAT_AES"), "/opt/kat/Test/KAT_AES");
    EXPECT_EQ(getDataFileName(""), "/opt/kat");
    dataDir.set("/opt/kat/");
    EXPECT_EQ(getDataFileName("Test/KAT_AES"), "/opt/kat/Test/KAT_AES");
    dataDir.set("./");
    EXPECT_EQ(getDataFileName("Test/KAT_AES"), "./Test/KAT_AES");
    dataDir.set("..");
    EXPECT_EQ(getDataFileName("Test/KAT_AES"), "../Test/KAT_AES");
}

TEST(Paths, EmptyOrDotDataDirectoryLeavesTheNameAsGiven) {
    ScopedVariable dataDir("zorvan_tests_datadir");
    for (const char* directory : {"", "."}) {
        dataDir.set(directory);
        EXPECT_EQ(getDataFileName("Test/KAT_SHA"), "Test/KAT_SHA") << directory;
        EXPECT_EQ(getDataFileName(""), "") << directory;
    }
}

TEST(Paths, UnsetVariablesGiveTheInstallLayoutOfThisVersion) {
    std::vector<std::unique_ptr<ScopedVariable>> unset;
    for (const Directory& directory : directories) {
        unset.push_back(std::make_unique<ScopedVariable>(directory.variable));
        unset.back()->unset();
        EXPECT_TRUE(directory.get().starts_with('/')) << directory.variable;
    }
    EXPECT_TRUE(getDataDir().ends_with("/zorvan-tests"));
    EXPECT_TRUE(getLibDir().ends_with("/zorvan-tests-0.3"));
    EXPECT_TRUE(getLibexecDir().ends_with("/zorvan-tests-0.3"));
    EXPECT_EQ(getDataFileName("Test/KAT_AES"), getDataDir() + "/Test/KAT_AES");
}

// An installed package that was moved: a consumer's headers note where they lie, and the data
// are found beside them (the default layout: include/zorvan-tests and share/zorvan-tests).
TEST(Paths, UnsetDataDirectoryFollowsTheNotedInstalledHeaders) {
    const TemporaryDataDirectory prefix;
    prefix.makeFolder("include/zorvan-tests");
    prefix.makeFolder("share/zorvan-tests/Test");
    const std::filesystem::path header =
        prefix.root() / "include/zorvan-tests/Paths_zorvan_tests.hpp";
    const std::string besideHeaders = (prefix.root() / "share/zorvan-tests").string();
    ScopedVariable dataDir("zorvan_tests_datadir");
    dataDir.unset();
    const std::string before = getDataDir();

    // A relative path says nothing once the compiler's working directory is gone.
    EXPECT_FALSE(noteInstalledHeader("include/zorvan-tests/Paths_zorvan_tests.hpp"));
    EXPECT_EQ(getDataDir(), before);
    ASSERT_TRUE(noteInstalledHeader(header.c_str()));
    EXPECT_EQ(getDataDir(), besideHeaders);
    EXPECT_EQ(getDataFileName("Test/KAT_AES"), besideHeaders + "/Test/KAT_AES");
    dataDir.set("/opt/kat");
    EXPECT_EQ(getDataDir(), "/opt/kat");

    // Headers installed without their data leave the next place to look.
    dataDir.unset();
    std::filesystem::remove_all(prefix.root() / "share");
    EXPECT_EQ(getDataDir(), before);
}

// Every call reads the environment again, and each variable moves only its own directory.
TEST(Paths, EachVariableOverridesOnlyItsOwnDirectoryAtTheNextCall) {
    for (const Directory& overridden : directories) {
        ScopedVariable variable(overridden.variable);
        variable.unset();
        std::vector<std::string> before;
        for (const Directory& directory : directories) {
            before.push_back(directory.get());
        }
        for (const std::string value : {"/srv/a b", "", "relative/dir/"}) {
            variable.set(value);
            for (std::size_t index = 0; index < std::size(directories); ++index) {
                const bool isOverridden = directories[index].variable == overridden.variable;
                EXPECT_EQ(directories[index].get(), isOverridden ? value : before[index])
                    << overridden.variable << " set to \"" << value << "\"";
            }
        }
    }
}

} // namespace
