#pragma once
// Where the installed files of zorvan-tests live. Each directory has an environment variable
// that overrides it, read at every call, and a built-in default: fixed when the library is
// built, except the data directory's, which follows the package where it was moved.

#include <array>
#include <string>
#include <string_view>

namespace Paths_zorvan_tests {

/// Version: the library's version as numbers (major, minor) and as text.
struct Version {
    std::array<int, 2> numbers; ///< major and minor, as in find_package's version check
    std::string_view text;      ///< "major.minor", as the package names its version
};

/// version: this library's version, the one its CMake package and pkg-config file carry.
inline constexpr Version version{{0, 3}, "0.3"};

/// pathSeparator: the separator getDataFileName puts between a directory and a name.
inline constexpr char pathSeparator = '/';

/// getBinDir: $zorvan_tests_bindir when set (even to ""), else the built-in default.
/// Never fails.
std::string getBinDir();
/// getLibDir: $zorvan_tests_libdir when set, else the built-in default. Never fails.
std::string getLibDir();
/// getDynLibDir: $zorvan_tests_dynlibdir when set, else the built-in default. Never fails.
std::string getDynLibDir();
/// getDataDir: $zorvan_tests_datadir when set (even to ""), else the first existing of: the
/// data directory beside the installed headers this program was compiled with (see
/// noteInstalledHeader), the data directory beside the running executable (for the installed
/// zorvan-check), and the directory chosen when the library was configured (the install
/// location, or the source tree's data/ when the package is not installed). Never fails.
std::string getDataDir();
/// getLibexecDir: $zorvan_tests_libexecdir when set, else the built-in default. Never fails.
std::string getLibexecDir();
/// getSysconfDir: $zorvan_tests_sysconfdir when set, else the built-in default. Never fails.
std::string getSysconfDir();

/// getDataFileName: getDataDir() joined with a relative name that uses '/': the name alone
/// when the directory is "" or ".", the directory alone when the name is "", no second '/'
/// after a directory ending in one. Does not check that the path exists; never fails.
std::string getDataFileName(std::string_view relativeName);

/// noteInstalledHeader: records the absolute path of the installed copy of this header, from
/// which getDataDir finds the data installed with it; returns whether it was recorded (a
/// relative path is not: the compiler's working directory is unknown at run time). Programs
/// built against an installed package call it at start-up through the definition below. Never
/// fails.
bool noteInstalledHeader(const char* headerPath) noexcept;

// ZORVAN_TESTS_INSTALLED_HEADERS is defined by the installed package's CMake target and
// pkg-config file: each translation unit then records where the headers it was compiled with
// lie, which moves with the package, before its own namespace-scope objects are initialised.
#ifdef ZORVAN_TESTS_INSTALLED_HEADERS
namespace detail {
[[maybe_unused]] static const bool installedHeaderNoted = noteInstalledHeader(__FILE__);
} // namespace detail
#endif

} // namespace Paths_zorvan_tests
