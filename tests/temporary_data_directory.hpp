#pragma once
// TemporaryDataDirectory: a data directory of the test's own, holding small KAT folders, that
// zorvan_tests_datadir points at while it lives.

#include "scoped_variable.hpp"

#include <filesystem>
#include <fstream>
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
        dataDirectory_.set(root_.string());
    }
    TemporaryDataDirectory(const TemporaryDataDirectory&) = delete;
    TemporaryDataDirectory& operator=(const TemporaryDataDirectory&) = delete;
    ~TemporaryDataDirectory() {
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
    ScopedVariable dataDirectory_{"zorvan_tests_datadir"};
    std::filesystem::path root_;
};
