#include <Paths_zorvan_tests.hpp>

#include <Paths_zorvan_tests_defaults.hpp>

#include <cstdlib>

namespace Paths_zorvan_tests {

static_assert(version.numbers[0] == defaults::versionMajor &&
                  version.numbers[1] == defaults::versionMinor,
              "Paths_zorvan_tests::version differs from the project version in CMakeLists.txt");

namespace {

std::string fromEnvironment(const char* variable, std::string_view builtInDefault) {
    const char* value = std::getenv(variable);
    return value != nullptr ? std::string(value) : std::string(builtInDefault);
}

std::string join(std::string directory, std::string_view relativeName) {
    if (directory.empty() || directory == ".") {
        return std::string(relativeName);
    }
    if (relativeName.empty()) {
        return directory;
    }
    if (directory.back() != pathSeparator) {
        directory += pathSeparator;
    }
    return directory.append(relativeName);
}

} // namespace

std::string getBinDir() {
    return fromEnvironment("zorvan_tests_bindir", defaults::binDir);
}

std::string getLibDir() {
    return fromEnvironment("zorvan_tests_libdir", defaults::libDir);
}

std::string getDynLibDir() {
    return fromEnvironment("zorvan_tests_dynlibdir", defaults::dynLibDir);
}

std::string getDataDir() {
    return fromEnvironment("zorvan_tests_datadir", defaults::dataDir);
}

std::string getLibexecDir() {
    return fromEnvironment("zorvan_tests_libexecdir", defaults::libexecDir);
}

std::string getSysconfDir() {
    return fromEnvironment("zorvan_tests_sysconfdir", defaults::sysconfDir);
}

std::string getDataFileName(std::string_view relativeName) {
    return join(getDataDir(), relativeName);
}

} // namespace Paths_zorvan_tests
