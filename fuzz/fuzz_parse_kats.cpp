// Fuzzes parseCategories. The first byte picks one of the suites' record-start names, the
// rest is the file text. Besides not crashing or throwing, the result must keep the
// parser's invariants, not change when CRLF line ends become LF, and agree with the
// line-by-line functions it is built from wherever the text is well-formed UTF-8.

#include <Test/ParseNistKATs.hpp>

#include "Test/unicode.hpp"
#include "fuzz_input.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace Test::ParseNistKATs;
using fuzz::require;

bool holdsAsciiWhiteSpace(std::string_view text) {
    return text.find_first_of(" \t\n\v\f\r") != std::string_view::npos;
}

void requireWellShaped(const std::vector<KatCategory>& categories, std::string_view startName) {
    for (const KatCategory& category : categories) {
        // Only the first category can lack a header line.
        require(!category.properties.empty() || &category == &categories.front());
        for (const KatField& property : category.properties) {
            require(property.name.find_first_of("[]\r\n") == std::string::npos);
            require(property.value.find_first_of("[]\r\n") == std::string::npos);
        }
        for (const KatRecord& record : category.records) {
            require(!record.fields.empty() && record.fields.front().name == startName);
            for (const KatField& field : record.fields) {
                require(!holdsAsciiWhiteSpace(field.name) && !holdsAsciiWhiteSpace(field.value));
            }
        }
    }
}

// The text with the carriage return of every CRLF, and a carriage return that ends it, gone.
std::string withLineFeedEndings(std::string_view text) {
    std::string converted;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const bool endsLine = index + 1 == text.size() || text[index + 1] == '\n';
        if (text[index] != '\r' || !endsLine) {
            converted += text[index];
        }
    }
    return converted;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::string_view startName = fuzz::startNames[input.choose(fuzz::startNames.size())];
    const std::string_view text = input.rest();

    const std::vector<KatCategory> categories = parseCategories(startName, text);
    requireWellShaped(categories, startName);
    if (text.find('\r') != std::string_view::npos) {
        require(parseCategories(startName, withLineFeedEndings(text)) == categories);
    }
    if (Test::Unicode::isWellFormed(text)) {
        const std::vector<std::string_view> lines = splitLines(text);
        require(getCategories(startName, filterLines(lines)) == categories);
    }
    return 0;
}
