#include <Test/KatFiles.hpp>

#include <Test/Gzip.hpp>
#include <Test/Manifest.hpp>
#include <Test/sha256.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

namespace Test::KatFiles {

namespace {

namespace fs = std::filesystem;
[[noreturn]] void refuse(const std::string& path, const std::string& reason) {
    throw KatDirectoryError("cannot read the KAT file '" + path + "': " + reason);
}

std::string describeType(mode_t mode) {
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

// Closes the descriptor whatever leaves the reading.
class Descriptor {
public:
    explicit Descriptor(int fd) noexcept : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    [[nodiscard]] int get() const noexcept { return fd_; }

private:
    int fd_;
};

// Opened without blocking, so that an entry swapped for a FIFO after the listing cannot hang
// the builder; the type is checked on the descriptor itself, so a link is judged by its target.
Descriptor openRegular(const std::string& path, std::size_t& size) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        refuse(path, std::strerror(errno));
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        refuse(path, std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        refuse(path, describeType(status.st_mode) + ", not a regular file or a link to one");
    }
    if (static_cast<std::uint64_t>(status.st_size) > maximumFileSize) {
        refuse(path, "it holds " + std::to_string(status.st_size) + " octets, over the limit of " +
                         std::to_string(maximumFileSize));
    }
    size = static_cast<std::size_t>(status.st_size);
    return file;
}

} // namespace

// Reads to the end of the file whatever size it claims (files under /proc claim none), so
// that a file that fails part-way, or grows past the limit while read, is refused whole. The
// octets go straight into the text, a file that is the size it claims in one read.
std::string readStored(const std::string& path) {
    constexpr std::size_t block = 1 << 16;
    std::size_t claimed = 0;
    const Descriptor file = openRegular(path, claimed);
    std::string contents;
    contents.reserve(claimed + spareCapacity);
    std::size_t filled = 0;
    for (;;) {
        if (filled == contents.size()) {
            contents.resize(filled == 0 ? claimed + 1 : filled + block);
        }
        const ssize_t got = ::read(file.get(), contents.data() + filled, contents.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            refuse(path, std::string(std::strerror(errno)) + " after " + std::to_string(filled) +
                             " octets");
        }
        if (got == 0) {
            contents.resize(filled);
            return contents;
        }
        filled += static_cast<std::size_t>(got);
        if (filled > maximumFileSize) {
            refuse(path, "it grew over the limit of " + std::to_string(maximumFileSize) +
                             " octets while read");
        }
    }
}

std::string expandStored(const std::string& path, std::string stored) {
    if (!Gzip::isGzipName(path)) {
        return stored;
    }
    try {
        return Gzip::inflate(stored, maximumFileSize);
    } catch (const Gzip::GzipError& error) {
        refuse(path, error.what());
    }
}

std::string readWhole(const std::string& path) {
    return expandStored(path, readStored(path));
}

namespace {

// The entry names of the folder that exist and are not folders, in listing order.
std::vector<std::string> regularEntries(const std::string& directory) {
    std::error_code error;
    fs::directory_iterator listing(directory, error);
    if (error) {
        throw KatDirectoryError("cannot list the KAT directory '" + directory +
                                "': " + error.message() +
                                " (the data directory is $zorvan_tests_datadir when set, else "
                                "the installed one)");
    }
    std::vector<std::string> names;
    for (fs::directory_iterator end; listing != end; listing.increment(error)) {
        std::error_code statusError;
        const fs::file_status status = fs::status(listing->path(), statusError);
        if (!statusError && fs::exists(status) && !fs::is_directory(status)) {
            names.push_back(listing->path().filename().string());
        }
    }
    if (error) {
        throw KatDirectoryError("cannot list the KAT directory '" + directory +
                                "' to its end: " + error.message());
    }
    return names;
}

std::string octets(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " octet" : " octets");
}

// What differs between the stored octets of a file and its manifest entry, or nothing.
std::optional<std::string> storedDifference(const ManifestEntry& listed, std::string_view stored) {
    if (stored.size() < listed.size) {
        return "truncated: " + octets(stored.size()) + " of the " + octets(listed.size) +
               " the manifest lists";
    }
    if (stored.size() > listed.size) {
        return "changed: " + octets(stored.size()) + " where the manifest lists " +
               octets(listed.size);
    }
    if (Sha256::toHex(Sha256::digest(stored)) != listed.sha256) {
        return "changed: its SHA-256 is not the one the manifest lists";
    }
    return std::nullopt;
}

// Why a file the manifest lists was not kept from the listing.
std::string whyNotRead(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        return "cannot be read: " + error.message();
    }
    if (fs::is_directory(status)) {
        return "not a regular file: a directory stands in its place";
    }
    return fs::is_symlink(fs::symlink_status(path, error))
               ? "missing: a broken link stands in its place"
               : "missing";
}

} // namespace

std::string_view stem(std::string_view fileName) noexcept {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

bool everyFile(std::string_view /*fileName*/) {
    return true;
}

FolderCheck readFiles(const DataSource& source, std::string_view relativeDirectory,
                      const FileSelection& select, const FileReader& read) {
    const std::string directory = source.path(relativeDirectory);
    const Manifest* manifest = source.manifest();
    const std::string separator = directory.empty() || directory.back() == '/' ? "" : "/";
    FolderCheck check{std::string(relativeDirectory), 0, {}};
    std::vector<std::string> unread;
    if (manifest != nullptr) {
        for (std::string& name : manifest->filesIn(relativeDirectory)) {
            if (select(name)) {
                unread.push_back(std::move(name));
            }
        }
    }
    for (std::string& name : regularEntries(directory)) {
        const ManifestEntry* listed =
            manifest != nullptr ? manifest->find(std::string(relativeDirectory) + "/" + name)
                                : nullptr;
        // A file the manifest lacks fails every suite of its folder, read or not: the installed
        // folder is no longer what was installed, and a file added to it is tested by nobody.
        if (manifest != nullptr && listed == nullptr) {
            check.problems.push_back({name, "extra: the manifest does not list it"});
        }
        if (!select(name)) {
            continue;
        }
        const std::string path = directory + separator + name;
        std::string stored = readStored(path);
        RecordLedger::noteFile(source.ledger());
        // The stored octets are compared before they are expanded: a changed gzip file is
        // reported as changed, not as the text it might expand to.
        std::optional<std::string> stale;
        if (listed != nullptr) {
            stale = storedDifference(*listed, stored);
        }
        const std::size_t records = read(path, name, expandStored(path, std::move(stored)));
        ++check.files;
        if (listed != nullptr) {
            std::erase(unread, name);
            if (stale) {
                check.problems.push_back({name, std::move(*stale)});
            } else if (records != listed->records) {
                check.problems.push_back({name, "changed: " + std::to_string(records) +
                                                    " records where the manifest lists " +
                                                    std::to_string(listed->records)});
            }
        }
    }
    for (std::string& name : unread) {
        std::string what = whyNotRead(directory + separator + name);
        check.problems.push_back({std::move(name), std::move(what)});
    }
    std::ranges::sort(check.problems, {}, &FileProblem::fileName);
    return check;
}

Folder readFolder(const DataSource& source, std::string_view relativeDirectory,
                  std::string_view startName, const FileSelection& select) {
    std::vector<KatFile> files;
    FolderCheck check = readFiles(
        source, relativeDirectory, select,
        [&files, startName](const std::string& path, const std::string& name,
                            const std::string& text) {
            files.push_back({path, name, ParseNistKATs::parseCategories(startName, text)});
            return countRecords(files.back());
        });
    return {std::move(check.directory), std::move(files), std::move(check.problems)};
}

std::size_t countRecords(const KatFile& file) noexcept {
    std::size_t records = 0;
    for (const ParseNistKATs::KatCategory& category : file.categories) {
        records += category.records.size();
    }
    return records;
}

} // namespace Test::KatFiles
