#include <Test/KatFiles.hpp>

#include <Paths_zorvan_tests.hpp>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace Test::KatFiles {

namespace {

namespace fs = std::filesystem;

std::string readWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw KatDirectoryError("cannot open the KAT file '" + path + "': " + std::strerror(errno));
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) {
        throw KatDirectoryError("cannot read the KAT file '" + path + "'");
    }
    return std::move(contents).str();
}

std::vector<std::string> regularEntries(const std::string& directory) {
    std::error_code error;
    fs::directory_iterator listing(directory, error);
    if (error) {
        throw KatDirectoryError("cannot list the KAT directory '" + directory + "': " +
                                error.message() +
                                " (the data directory is $zorvan_tests_datadir when set, else " +
                                "the installed one)");
    }
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : listing) {
        std::error_code statusError;
        const fs::file_status status = fs::status(entry.path(), statusError);
        if (!statusError && fs::exists(status) && !fs::is_directory(status)) {
            names.push_back(entry.path().filename().string());
        }
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
        files.push_back({std::move(path), std::move(name),
                         ParseNistKATs::parseCategories(startName, text)});
    }
    return files;
}

} // namespace Test::KatFiles
