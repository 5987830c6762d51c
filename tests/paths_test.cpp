#include <Paths_zorvan_tests.hpp>

#include "scoped_variable.hpp"

#include <gtest/gtest.h>

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
