// Fuzzes the reading of a KAT directory: the input (after its first octet, which chooses the
// record-start field) becomes the one file of a folder in a temporary data directory, read
// with readFolder. The file must come back whole: its categories are those the parser
// gives for the input itself, and countRecords counts each of their records.

#include <Test/DataSource.hpp>
#include <Test/KatFiles.hpp>

#include "fuzz_input.hpp"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace {

using fuzz::require;

constexpr std::string_view folder = "Test/KAT_FUZZ";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool made = std::filesystem::create_directories(fuzz::dataDirectory() / folder);
    static_cast<void>(made);
    fuzz::FuzzInput input(data, size);
    const std::string_view startName = fuzz::startNames[input.choose(fuzz::startNames.size())];
    const std::string_view text = input.rest();
    fuzz::writeFile(std::filesystem::path(folder) / "vectors.rsp", text);

    const auto folderRead = Test::KatFiles::readFolder(Test::DataSource(), folder, startName);
    const auto& files = folderRead.files;
    require(files.size() == 1 && files[0].name == "vectors.rsp" && folderRead.problems.empty());
    require(files[0].categories == Test::ParseNistKATs::parseCategories(startName, text));
    std::size_t records = 0;
    for (const auto& category : files[0].categories) {
        records += category.records.size();
    }
    require(Test::KatFiles::countRecords(files[0]) == records);
    return 0;
}
