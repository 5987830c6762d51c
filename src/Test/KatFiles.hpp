#pragma once
// Reading a KAT folder: the file-based suites list their folder under the data root, keep its
// regular files, parse each one, and check what they read against the data's manifest.

#include <Test/DataSource.hpp>
#include <Test/ParseNistKATs.hpp>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Test::KatFiles {

/// KatFile: one kept file of a KAT folder, parsed.
struct KatFile {
    std::string path; // the folder joined with the entry name
    std::string name; // the entry name, extension included
    std::vector<ParseNistKATs::KatCategory> categories;
};

/// FileProblem: a file of a folder that differs from the data's manifest: its name and what
/// differs ("truncated: 1200 of 3400 octets", "missing", "extra: the manifest does not list
/// it").
struct FileProblem {
    std::string fileName;
    std::string what;

    friend bool operator==(const FileProblem&, const FileProblem&) = default;
};

/// Folder: what a suite read of one folder: its name under the data root ("Test/KAT_AES"), its
/// kept files in listing order, and the files that differ from the manifest, in name order.
struct Folder {
    std::string directory;
    std::vector<KatFile> files;
    std::vector<FileProblem> problems;
};

/// maximumFileSize: the largest KAT file read, 256 MiB; the largest published file is a few
/// MiB, so anything bigger is a mistake (a link to a disk image, say), refused before reading.
inline constexpr std::uint64_t maximumFileSize = std::uint64_t{256} << 20;

/// KatDirectoryError: a KAT folder that cannot be listed or a kept file that cannot be read
/// whole; what() names the path and the reason, and for a folder, where the data root comes
/// from.
class KatDirectoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// stem: the name before its last '.' (the whole name when it has none).
std::string_view stem(std::string_view fileName) noexcept;

/// readWhole: the whole text of the file at path. Throws KatDirectoryError naming the path when
/// it cannot be opened, is not a regular file or a link to one (a FIFO, a device), is larger
/// than maximumFileSize, or fails at any point of reading: no part of a file is ever returned.
std::string readWhole(const std::string& path);

/// FileSelection: which entry names of a folder a suite reads.
using FileSelection = std::function<bool(std::string_view fileName)>;

/// everyFile: the selection of every entry.
bool everyFile(std::string_view fileName);

/// readFolder: the entries of the source's relativeDirectory ("Test/KAT_SHA") in the platform's
/// listing order, unsorted, that exist and are not directories (an entry whose status cannot
/// be read is dropped) and that `select` accepts, each read whole and parsed with startName as
/// the record-start field. When the source has a manifest, the folder is checked against it:
/// a file `select` accepts that it lists and that is not there, or differs in size, SHA-256 or
/// record count, and any file of the folder it does not list, is a problem of the folder. Each file
/// read is noted in the source's ledger. Throws KatDirectoryError when the folder cannot be listed
/// or a kept file cannot be read (see readWhole), and what DataSource::manifest throws.
Folder readFolder(const DataSource& source, std::string_view relativeDirectory,
                  std::string_view startName, const FileSelection& select = everyFile);

/// countRecords: the records of every section of a file. Never fails.
std::size_t countRecords(const KatFile& file) noexcept;

} // namespace Test::KatFiles
