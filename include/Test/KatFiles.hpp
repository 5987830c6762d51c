#pragma once
// Reading a KAT directory: the file-based suites (SHA, HMAC, AES, TwoFish) list their
// directory under the data directory, keep its regular files, and parse each one.

#include <Test/ParseNistKATs.hpp>

#include <cstdint>
#include <functional>
#include <span>
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

/// maximumFileSize: the largest KAT file read, 256 MiB; the largest published file is a few
/// MiB, so anything bigger is a mistake (a link to a disk image, say), refused before reading.
inline constexpr std::uint64_t maximumFileSize = std::uint64_t{256} << 20;

/// KatDirectoryError: a KAT directory that cannot be listed or a kept file that cannot be
/// read whole; what() names the path and the reason, and for a directory, the variable that
/// overrides it.
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
/// KatDirectoryError when the directory cannot be listed, or when a kept file cannot be
/// opened, is not a regular file or a link to one (a FIFO, a device), is larger than
/// maximumFileSize, or fails at any point of reading: no part of a file is ever parsed.
std::vector<KatFile> readKatDirectory(
    std::string_view relativeDirectory, std::string_view startName,
    const std::function<bool(std::string_view fileName)>& keep = [](std::string_view) {
        return true;
    });

/// readFolders: for each folder of relativeDirectories in order, readKatDirectory(folder,
/// startName) turned into vectors by toVectors(files, folder), all in one list. Throws what
/// readKatDirectory and toVectors throw.
template <class Vector, class ToVectors>
std::vector<Vector> readFolders(std::span<const std::string_view> relativeDirectories,
                                std::string_view startName, const ToVectors& toVectors) {
    std::vector<Vector> vectors;
    for (const std::string_view directory : relativeDirectories) {
        for (Vector& vector : toVectors(readKatDirectory(directory, startName), directory)) {
            vectors.push_back(std::move(vector));
        }
    }
    return vectors;
}

/// KatRecordCount: how many files a reading kept and how many records their sections held.
struct KatRecordCount {
    std::size_t files = 0;
    std::size_t records = 0;

    friend bool operator==(const KatRecordCount&, const KatRecordCount&) = default;
};

/// countRecords: the files, and the records of the sections that keepSection accepts (all by
/// default), of a reading: what a suite that reads these files could turn into tests at most.
/// Never fails.
KatRecordCount countRecords(
    const std::vector<KatFile>& files,
    const std::function<bool(const ParseNistKATs::KatCategory&)>& keepSection =
        [](const ParseNistKATs::KatCategory&) { return true; });

} // namespace Test::KatFiles
