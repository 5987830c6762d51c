#pragma once
// TemporaryDataDirectory: a data directory of the test's own, holding small KAT folders, that
// zorvan_tests_datadir points at while it lives.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <string_view>

class TemporaryDataDirectory {
public:
    TemporaryDataDirectory() {
        std::random_device entropy;
        root_ = std::filesystem::temp_directory_path() /
                ("zorvan-data-" + std::to_string(entropy()) + std::to_string(entropy()));
        std::filesystem::create_directories(root_);
        if (const char* previous = std::getenv(variable)) {
            previous_ = previous;
        }
        ::setenv(variable, root_.c_str(), 1);
    }
    TemporaryDataDirectory(const TemporaryDataDirectory&) = delete;
    TemporaryDataDirectory& operator=(const TemporaryDataDirectory&) = delete;
    ~TemporaryDataDirectory() {
        if (previous_) {
            ::setenv(variable, previous_->c_str(), 1);
        } else {
            ::unsetenv(variable);
        }
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    /// write: a file at the relative path ("Test/KAT_SHA/SHA1Short.rsp"), folders made as needed.
    void write(const std::string& relativePath, std::string_view text) const {
        const std::filesystem::path path = root_ / relativePath;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    /// makeFolder: an empty folder at the relative path.
    void makeFolder(const std::string& relativePath) const {
        std::filesystem::create_directories(root_ / relativePath);
    }
    [[nodiscard]] const std::filesystem::path& root() const noexcept { return root_; }

private:
    static constexpr const char* variable = "zorvan_tests_datadir";
    std::filesystem::path root_;
    std::optional<std::string> previous_;
};
