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

/// spareCapacity: the capacity readStored leaves after a file's octets, into which the JSON
/// reader pads the text it is given without copying it.
inline constexpr std::size_t spareCapacity = 64;

/// KatDirectoryError: a KAT folder that cannot be listed or a kept file that cannot be read
/// whole; what() names the path and the reason, and for a folder, where the data root comes
/// from.
class KatDirectoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// stem: the name before its last '.' (the whole name when it has none).
std::string_view stem(std::string_view fileName) noexcept;

/// readStored: the octets stored in the file at path, as they are. Throws KatDirectoryError
/// naming the path when it cannot be opened, is not a regular file or a link to one (a FIFO, a
/// device), is larger than maximumFileSize, or fails at any point of reading: no part of a file
/// is ever returned.
std::string readStored(const std::string& path);

/// readWhole: the whole text of the file at path: its stored octets, or for a name that ends in
/// ".gz" what they expand to through zlib. Throws what readStored throws, and KatDirectoryError
/// naming the path and why when a ".gz" file is no whole gzip stream or expands past
/// maximumFileSize.
std::string readWhole(const std::string& path);

/// expandStored: the text of a file named path whose stored octets are stored, as readWhole
/// gives it. Throws as readWhole does for a ".gz" name.
std::string expandStored(const std::string& path, std::string stored);

/// FileSelection: which entry names of a folder a suite reads.
using FileSelection = std::function<bool(std::string_view fileName)>;

/// everyFile: the selection of every entry.
bool everyFile(std::string_view fileName);

/// FileReader: reads one kept file of a folder, given its path, entry name and text (expanded
/// from gzip where its name says so), keeps what it needs of it and returns its record count.
using FileReader =
    std::function<std::size_t(const std::string& path, const std::string& name, std::string text)>;

/// FolderCheck: what reading a folder found beside its files' contents: its name under the data
/// root ("Test/KAT_AES"), how many files were read, and the files that differ from the
/// manifest, in name order.
struct FolderCheck {
    std::string directory;
    std::size_t files = 0;
    std::vector<FileProblem> problems;
};

/// readFiles: reads the entries of the source's relativeDirectory as readFolder does, handing
/// each kept file to read in listing order; a file the manifest lists must have the size and
/// SHA-256 it lists (of the stored octets, compressed or not) and the record count read
/// returns. Throws what readFolder throws, and what read throws.
FolderCheck readFiles(const DataSource& source, std::string_view relativeDirectory,
                      const FileSelection& select, const FileReader& read);

/// readFolder: the entries of the source's relativeDirectory ("Test/KAT_SHA") in the platform's
/// listing order, unsorted, that exist and are not directories (an entry whose status cannot
/// be read is dropped) and that `select` accepts, each read whole and parsed with startName as
/// the record-start field, ".gz" files expanded (see readWhole). When the source has a manifest,
/// the folder is checked against it: a file `select` accepts that it lists and that is not
/// there, or differs in size, SHA-256 or record count, and any file of the folder it does not
/// list, is a problem of the folder. Each file
/// read is noted in the source's ledger. Throws KatDirectoryError when the folder cannot be listed
/// or a kept file cannot be read (see readWhole), and what DataSource::manifest throws.
Folder readFolder(const DataSource& source, std::string_view relativeDirectory,
                  std::string_view startName, const FileSelection& select = everyFile);

/// countRecords: the records of every section of a file. Never fails.
std::size_t countRecords(const KatFile& file) noexcept;

} // namespace Test::KatFiles
