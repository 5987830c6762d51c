#pragma once
// Reading a KAT directory: the file-based suites (SHA, HMAC, AES, TwoFish) list their
// directory under the data directory, keep its regular files, and parse each one.

#include <Test/ParseNistKATs.hpp>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Test::KatFiles {

/// KatFile: one kept file of a KAT directory, parsed.
struct KatFile {
    std::string path; // the directory joined with the entry name
    std::string name; // the entry name, extension included
    std::vector<ParseNistKATs::KatCategory> categories;
};

/// KatDirectoryError: a KAT directory that cannot be listed or a kept file that cannot be
/// read; what() names the path, and for a directory, the variable that overrides it.
class KatDirectoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// stem: the name before its last '.' (the whole name when it has none).
std::string_view stem(std::string_view fileName) noexcept;

/// readKatDirectory: the entries of the data directory's relativeDirectory
/// ("Test/KAT_SHA", say) in the platform's listing order, unsorted, that exist and are not
/// directories (an entry whose status cannot be read is dropped), whose name `keep` accepts;
/// each read whole and parsed with startName as the record-start field. Throws
/// KatDirectoryError when the directory cannot be listed or a kept file cannot be read.
std::vector<KatFile> readKatDirectory(
    std::string_view relativeDirectory, std::string_view startName,
    const std::function<bool(std::string_view fileName)>& keep = [](std::string_view) {
        return true;
    });

} // namespace Test::KatFiles
