#pragma once
// Where the installed files of zorvan-tests live. Each directory has a default fixed when
// the library is built and an environment variable that overrides it, read at every call.

#include <array>
#include <string>
#include <string_view>

namespace Paths_zorvan_tests {

/// Version: the library's version as numbers (major, minor) and as text.
struct Version {
    std::array<int, 2> numbers;
    std::string_view text;
};

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
/// getDataDir: $zorvan_tests_datadir when set, else the built-in default (the installed
/// KAT files' directory). Never fails.
std::string getDataDir();
/// getLibexecDir: $zorvan_tests_libexecdir when set, else the built-in default. Never fails.
std::string getLibexecDir();
/// getSysconfDir: $zorvan_tests_sysconfdir when set, else the built-in default. Never fails.
std::string getSysconfDir();

/// getDataFileName: getDataDir() joined with a relative name that uses '/': the name alone
/// when the directory is "" or ".", the directory alone when the name is "", no second '/'
/// after a directory ending in one. Does not check that the path exists; never fails.
std::string getDataFileName(std::string_view relativeName);

} // namespace Paths_zorvan_tests
