#include <Paths_zorvan_tests.hpp>

#include <Paths_zorvan_tests_defaults.hpp>

#include <data_path.hpp>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>

namespace Paths_zorvan_tests {

static_assert(version.numbers[0] == defaults::versionMajor &&
                  version.numbers[1] == defaults::versionMinor,
              "Paths_zorvan_tests::version differs from the project version in CMakeLists.txt");

namespace {

std::string fromEnvironment(const char* variable, std::string_view builtInDefault) {
    const char* value = std::getenv(variable);
    return value != nullptr ? std::string(value) : std::string(builtInDefault);
}

struct NotedHeader {
    std::mutex mutex;
    std::filesystem::path directory;
};

NotedHeader& notedHeader() {
    static NotedHeader noted;
    return noted;
}

std::filesystem::path notedHeaderDirectory() {
    NotedHeader& noted = notedHeader();
    const std::scoped_lock lock(noted.mutex);
    return noted.directory;
}

std::optional<std::string> existingDirectory(const std::filesystem::path& base,
                                             std::string_view relativePath) {
    if (base.empty()) {
        return std::nullopt;
    }
    const std::filesystem::path candidate = (base / relativePath).lexically_normal();
    std::error_code error;
    if (!std::filesystem::is_directory(candidate, error)) {
        return std::nullopt;
    }
    return candidate.string();
}

std::filesystem::path executableDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
}

std::string builtInDataDir() {
    if (auto besideHeaders =
            existingDirectory(notedHeaderDirectory(), defaults::dataDirFromIncludeDir)) {
        return *besideHeaders;
    }
    if (auto besideExecutable =
            existingDirectory(executableDirectory(), defaults::dataDirFromBinDir)) {
        return *besideExecutable;
    }
    return std::string(defaults::dataDir);
}

} // namespace

bool noteInstalledHeader(const char* headerPath) noexcept {
    try {
        const std::filesystem::path header(headerPath);
        if (!header.is_absolute()) {
            return false;
        }
        NotedHeader& noted = notedHeader();
        const std::scoped_lock lock(noted.mutex);
        noted.directory = header.parent_path();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

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
    if (const char* value = std::getenv("zorvan_tests_datadir")) {
        return value;
    }
    return builtInDataDir();
}

std::string getLibexecDir() {
    return fromEnvironment("zorvan_tests_libexecdir", defaults::libexecDir);
}

std::string getSysconfDir() {
    return fromEnvironment("zorvan_tests_sysconfdir", defaults::sysconfDir);
}

std::string getDataFileName(std::string_view relativeName) {
    return detail::joinDataPath(getDataDir(), relativeName);
}

} // namespace Paths_zorvan_tests
