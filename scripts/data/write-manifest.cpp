// write-manifest: writes the data manifest (Test/manifest.tsv: per vector file its path, size,
// SHA-256 and record count) of a data folder as it stands, or with --check verifies that the
// manifest there is exactly what it would write.
//
// usage: write-manifest [--check] DATA_FOLDER (data/ of the repository)
// Exit status: 0 when all is well, 1 when --check finds a difference or the manifest cannot be
// written, 2 on a usage error or when the data cannot be read.

#include <Test/DataSource.hpp>
#include <Test/KatFiles.hpp>
#include <Test/Manifest.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::string_view(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::cerr << "usage: write-manifest [--check] DATA_FOLDER\n";
        return 2;
    }
    const std::string root = argv[argc - 1];
    const std::string path = root + "/" + std::string(Test::DataSource::manifestName);
    try {
        const std::string text = Test::describeData(root).render();
        if (check) {
            std::error_code missing;
            const bool current =
                std::filesystem::exists(path, missing) && Test::KatFiles::readStored(path) == text;
            if (!current) {
                std::cerr << "write-manifest: " << path
                          << " is not the data's manifest; run scripts/data/write-manifest\n";
                return 1;
            }
            return 0;
        }
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << text;
        file.close();
        if (!file) {
            std::cerr << "write-manifest: cannot write " << path << '\n';
            return 1;
        }
    } catch (const std::exception& error) {
        std::cerr << "write-manifest: " << error.what() << '\n';
        return 2;
    }
    return 0;
}
