#include <Test/KatFiles.hpp>

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
Descriptor openRegular(const std::string& path) {
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
    return file;
}

} // namespace

// Reads to the end of the file whatever size it claims (files under /proc claim none), so
// that a file that fails part-way, or grows past the limit while read, is refused whole.
std::string readWhole(const std::string& path) {
    const Descriptor file = openRegular(path);
    std::string contents;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            refuse(path, std::string(std::strerror(errno)) + " after " +
                             std::to_string(contents.size()) + " octets");
        }
        if (got == 0) {
            return contents;
        }
        if (contents.size() + static_cast<std::size_t>(got) > maximumFileSize) {
            refuse(path, "it grew over the limit of " + std::to_string(maximumFileSize) +
                             " octets while read");
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
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

// What differs between a file read and its manifest entry, or nothing.
std::optional<std::string> difference(const ManifestEntry& listed, std::string_view text,
                                      std::size_t records) {
    if (text.size() < listed.size) {
        return "truncated: " + octets(text.size()) + " of the " + octets(listed.size) +
               " the manifest lists";
    }
    if (text.size() > listed.size) {
        return "changed: " + octets(text.size()) + " where the manifest lists " +
               octets(listed.size);
    }
    if (Sha256::toHex(Sha256::digest(text)) != listed.sha256) {
        return "changed: its SHA-256 is not the one the manifest lists";
    }
    if (records != listed.records) {
        return "changed: " + std::to_string(records) + " records where the manifest lists " +
               std::to_string(listed.records);
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

Folder readFolder(const DataSource& source, std::string_view relativeDirectory,
                  std::string_view startName, const FileSelection& select) {
    const std::string directory = source.path(relativeDirectory);
    const Manifest* manifest = source.manifest();
    const std::string separator = directory.empty() || directory.back() == '/' ? "" : "/";
    Folder folder{std::string(relativeDirectory), {}, {}};
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
            folder.problems.push_back({name, "extra: the manifest does not list it"});
        }
        if (!select(name)) {
            continue;
        }
        std::string path = directory + separator + name;
        const std::string text = readWhole(path);
        RecordLedger::noteFile(source.ledger());
        KatFile file{std::move(path), std::move(name),
                     ParseNistKATs::parseCategories(startName, text)};
        if (listed != nullptr) {
            std::erase(unread, file.name);
            if (auto what = difference(*listed, text, countRecords(file))) {
                folder.problems.push_back({file.name, std::move(*what)});
            }
        }
        folder.files.push_back(std::move(file));
    }
    for (std::string& name : unread) {
        std::string what = whyNotRead(directory + separator + name);
        folder.problems.push_back({std::move(name), std::move(what)});
    }
    std::ranges::sort(folder.problems, {}, &FileProblem::fileName);
    return folder;
}

std::size_t countRecords(const KatFile& file) noexcept {
    std::size_t records = 0;
    for (const ParseNistKATs::KatCategory& category : file.categories) {
        records += category.records.size();
    }
    return records;
}

} // namespace Test::KatFiles
