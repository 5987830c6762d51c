#pragma once
// How a data directory and a relative name that uses '/' are joined, for
// Paths_zorvan_tests::getDataFileName and Test::DataSource alike.

#include <Paths_zorvan_tests.hpp>

#include <string>
#include <string_view>

namespace Paths_zorvan_tests::detail {

/// joinDataPath: the name alone when the directory is "" or ".", the directory alone when the
/// name is "", no second separator after a directory ending in one. Never fails beyond
/// allocation.
inline std::string joinDataPath(std::string directory, std::string_view relativeName) {
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

} // namespace Paths_zorvan_tests::detail
