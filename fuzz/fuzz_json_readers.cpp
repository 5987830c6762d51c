// Fuzzes the JSON readers: the input (after its first octet, which chooses the reader) is a
// Wycheproof file, an ACVP internal projection, or an ACVP prompt and expectedResults pair cut
// at the first form feed. Every test object read must be accounted for: as a test or as a
// damaged record, and a damaged record always says why.

#include <Test/AcvpFiles.hpp>
#include <Test/Json.hpp>
#include <Test/JsonVectors.hpp>
#include <Test/WycheproofFiles.hpp>

#include "fuzz_input.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using fuzz::require;

template <class Records> std::size_t checkRecords(const Records& records) {
    std::size_t tests = 0;
    for (const auto& record : records) {
        require(record.vector.has_value() != !record.damage.empty());
        tests += record.vector ? 1 : 0;
    }
    return tests;
}

void wycheproof(std::string_view text) {
    const auto file = Test::WycheproofFiles::readFile("fuzz.json", std::string(text));
    require(file.tests == Test::JsonVectors::countTests(std::string(text)));
    // Each test object is a record; the file's own damage may add one more.
    require(file.records.size() >= file.tests);
    require(checkRecords(file.records) <= file.tests);
}

void projection(std::string_view text) {
    const auto set = Test::AcvpFiles::readProjection("fuzz.json", std::string(text));
    require(set.promptTests == Test::JsonVectors::countTests(std::string(text)));
    require(checkRecords(set.records) <= set.promptTests);
}

void pair(std::string_view text) {
    const std::size_t cut = text.find('\f');
    const std::string_view prompt = text.substr(0, cut);
    const std::string_view answers = cut == std::string_view::npos ? "" : text.substr(cut + 1);
    const auto set = Test::AcvpFiles::readPair("prompt.json", std::string(prompt),
                                               "expectedResults.json", std::string(answers));
    const std::size_t paired = checkRecords(set.records);
    require(paired <= set.promptTests && paired <= set.answerTests);
    // A prompt with no answer and an answer with no prompt are records too.
    require(set.records.size() >= set.promptTests);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::size_t reader = input.choose(3);
    const std::string_view text = input.rest();
    if (reader == 0) {
        wycheproof(text);
    } else if (reader == 1) {
        projection(text);
    } else {
        pair(text);
    }
    const Test::Json::Document document = Test::Json::parse(std::string(text));
    if (document.error) {
        require(document.error->place.offset <= text.size());
    }
    return 0;
}
