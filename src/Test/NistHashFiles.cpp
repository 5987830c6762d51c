#include <Test/NistHashFiles.hpp>

#include <Paths_zorvan_tests.hpp>

#include <algorithm>

namespace Test::NistHashFiles {

namespace {

constexpr std::string_view lengthField = "Len";

} // namespace

std::vector<KatFiles::KatFile> readNamedFiles(std::string_view relativeDirectory,
                                              std::string_view startName,
                                              std::span<const std::string> fileNames) {
    const auto named = [fileNames](std::string_view fileName) {
        return std::ranges::find(fileNames, fileName) != fileNames.end();
    };
    std::vector<KatFiles::KatFile> listed =
        KatFiles::readKatDirectory(relativeDirectory, startName, named);
    std::vector<KatFiles::KatFile> files;
    for (const std::string& fileName : fileNames) {
        const auto file = std::ranges::find(listed, fileName, &KatFiles::KatFile::name);
        if (file == listed.end()) {
            throw KatFiles::KatDirectoryError(
                "the KAT file '" +
                Paths_zorvan_tests::getDataFileName(std::string(relativeDirectory) + "/" +
                                                    fileName) +
                "' is missing (the data directory is $zorvan_tests_datadir when set, else the " +
                "installed one)");
        }
        files.push_back(std::move(*file));
    }
    return files;
}

std::vector<std::string> messageFileNames(std::string_view label) {
    return {std::string(label) + "ShortMsg.rsp", std::string(label) + "LongMsg.rsp"};
}

std::vector<SHA::ShaVector> readMessageVectors(std::string_view relativeDirectory,
                                               std::string_view label) {
    return SHA::fileVectors(
        relativeDirectory, label,
        readNamedFiles(relativeDirectory, lengthField, messageFileNames(label)));
}

} // namespace Test::NistHashFiles
