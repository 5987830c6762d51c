// Fuzzes the reading of a KAT directory: the input (after its first octet, which chooses the
// record-start field) becomes the one file of a folder in a temporary data directory, read
// with readKatDirectory. The file must come back whole: its categories are those the parser
// gives for the input itself, and countRecords counts each of their records.

#include <Test/KatFiles.hpp>

#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

void require(bool invariant) {
    if (!invariant) {
        std::abort();
    }
}

constexpr std::array<std::string_view, 4> startNames{"Len", "Count", "COUNT", "I"};

// The data directory of this process, made once; zorvan_tests_datadir points at it.
const fs::path& dataDirectory() {
    static const fs::path directory = [] {
        fs::path made = fs::temp_directory_path() / ("zorvan-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(made / "Test/KAT_FUZZ");
        ::setenv("zorvan_tests_datadir", made.c_str(), 1);
        std::atexit([] { fs::remove_all(dataDirectory()); });
        return made;
    }();
    return directory;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view startName = startNames[data[0] % startNames.size()];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::ofstream(dataDirectory() / "Test/KAT_FUZZ/vectors.rsp", std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));

    const auto files = Test::KatFiles::readKatDirectory("Test/KAT_FUZZ", startName);
    require(files.size() == 1 && files[0].name == "vectors.rsp");
    require(files[0].categories == Test::ParseNistKATs::parseCategories(startName, text));
    std::size_t records = 0;
    for (const auto& category : files[0].categories) {
        records += category.records.size();
    }
    require(Test::KatFiles::countRecords(files) == Test::KatFiles::KatRecordCount{1, records});
    return 0;
}
