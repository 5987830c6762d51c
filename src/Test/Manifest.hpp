#pragma once
// The data manifest: what each installed vector file must be (its size, SHA-256 and record
// count), so that a builder notices a file that was cut short, changed, lost or added.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Test {

/// ManifestEntry: what one file of the manifest must be.
struct ManifestEntry {
    std::uint64_t size = 0;
    std::string sha256; // lower-case hex
    std::size_t records = 0;

    friend bool operator==(const ManifestEntry&, const ManifestEntry&) = default;
};

/// ManifestError: a manifest that does not read; what() names the file and the line.
class ManifestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Manifest: the files of a data root by their path under it ("Test/KAT_AES/x.rsp"). Its text
/// is one line per file, path, size, SHA-256 and record count separated by tabs, in path order;
/// lines that start with '#' are comments.
class Manifest {
public:
    /// parse: the manifest in text, read from path (named in errors). Throws ManifestError for
    /// a line that is not four fields, a size or count that is not a decimal number, a SHA-256
    /// that is not 64 lower-case hex digits, or a path listed twice.
    static Manifest parse(std::string_view text, std::string_view path);

    /// add: lists a file, replacing what was listed under that path.
    void add(std::string path, ManifestEntry entry);
    /// find: the entry of a path, or nothing.
    [[nodiscard]] const ManifestEntry* find(std::string_view path) const;
    /// filesIn: the names of the files listed directly in folder ("Test/KAT_AES"), in order.
    [[nodiscard]] std::vector<std::string> filesIn(std::string_view folder) const;
    /// render: the text that parse reads back, headed by a comment that says what it is.
    [[nodiscard]] std::string render() const;

    friend bool operator==(const Manifest&, const Manifest&) = default;

private:
    std::map<std::string, ManifestEntry, std::less<>> entries_;
};

/// describeData: the manifest of the data under root as it stands: every regular file of every
/// folder a suite of the algorithm table reads, its size and SHA-256 those of its stored
/// octets (compressed or not), its records counted with the folder's record-start field (for
/// JsonVectors::recordStart, the test objects of a JSON vector file). Throws
/// KatFiles::KatDirectoryError when a folder cannot be listed or a file read, and std::logic_error
/// when two suites read one folder with different fields.
Manifest describeData(const std::string& root);

} // namespace Test
