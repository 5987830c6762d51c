#include <Test/KatFiles.hpp>

#include <Paths_zorvan_tests.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::vector<std::string> regularEntries(const std::string& directory) {
    std::error_code error;
    fs::directory_iterator listing(directory, error);
    if (error) {
        throw KatDirectoryError(
            "cannot list the KAT directory '" + directory + "': " + error.message() +
            " (the data directory is $zorvan_tests_datadir when set, else " + "the installed one)");
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

} // namespace

std::string_view stem(std::string_view fileName) noexcept {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

std::vector<KatFile> readKatDirectory(std::string_view relativeDirectory,
                                      std::string_view startName,
                                      const std::function<bool(std::string_view)>& keep) {
    const std::string directory = Paths_zorvan_tests::getDataFileName(relativeDirectory);
    const std::string separator = directory.empty() || directory.back() == '/' ? "" : "/";
    std::vector<KatFile> files;
    for (std::string& name : regularEntries(directory)) {
        if (!keep(name)) {
            continue;
        }
        std::string path = directory + separator + name;
        const std::string text = readWhole(path);
        files.push_back(
            {std::move(path), std::move(name), ParseNistKATs::parseCategories(startName, text)});
    }
    return files;
}

KatRecordCount
countRecords(const std::vector<KatFile>& files,
             const std::function<bool(const ParseNistKATs::KatCategory&)>& keepSection) {
    KatRecordCount count{files.size(), 0};
    for (const KatFile& file : files) {
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            if (keepSection(category)) {
                count.records += category.records.size();
            }
        }
    }
    return count;
}

} // namespace Test::KatFiles
