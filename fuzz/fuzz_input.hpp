#pragma once
// What the fuzz targets share: a failed invariant ends the run, an input is read as choices
// followed by a text, and the targets that read files get a data directory of their own.

#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace fuzz {

/// require: aborts, which libFuzzer reports with the input, when an invariant fails.
inline void require(bool invariant) {
    if (!invariant) {
        std::abort();
    }
}

/// startNames: the record-start fields of the suites' vector files.
inline constexpr std::array<std::string_view, 4> startNames{"COUNT", "Len", "Count", "I"};

/// FuzzInput: an input read from the front: a choice per octet, then the text left.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : remaining_(reinterpret_cast<const char*>(data), size) {}

    /// choose: the index among count (at least 1) choices that the next octet gives, taking
    /// it; 0 once the input is spent. Never fails.
    std::size_t choose(std::size_t count) {
        if (remaining_.empty()) {
            return 0;
        }
        const auto octet = static_cast<unsigned char>(remaining_.front());
        remaining_.remove_prefix(1);
        return octet % count;
    }

    /// rest: the text after the choices taken. Never fails.
    [[nodiscard]] std::string_view rest() const noexcept { return remaining_; }

private:
    std::string_view remaining_;
};

/// dataDirectory: a temporary data directory for this process, made on the first call,
/// pointed at by zorvan_tests_datadir and removed at exit. Throws std::filesystem's errors
/// when it cannot be made.
inline const std::filesystem::path& dataDirectory() {
    static const std::filesystem::path directory = [] {
        std::filesystem::path made =
            std::filesystem::temp_directory_path() / ("zorvan-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        ::setenv("zorvan_tests_datadir", made.c_str(), 1);
        std::atexit([] { std::filesystem::remove_all(dataDirectory()); });
        return made;
    }();
    return directory;
}

/// writeFile: the text written as a new file at the data directory's relativePath, whose
/// folder must exist, in place of any file there; aborts when it cannot be written whole.
inline void writeFile(const std::filesystem::path& relativePath, std::string_view text) {
    const std::filesystem::path path = dataDirectory() / relativePath;
    // A new file rather than a truncated one: ext4 flushes a file truncated and rewritten to
    // disk when it is closed, which slows a run a hundredfold.
    std::filesystem::remove(path);
    std::ofstream file(path, std::ios::binary);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    require(static_cast<bool>(file));
}

} // namespace fuzz
