#include <Test/ParseNistKATs.hpp>

#include "unicode.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace Test::ParseNistKATs {

namespace {

using Unicode::Character;
using Unicode::readCharacter;

constexpr char commentMark = '#';
constexpr char headerOpen = '[';
constexpr char headerClose = ']';
constexpr char nameValueSeparator = '=';
constexpr char32_t carriageReturn = U'\r';

// parseCategories leaves carriage returns in its lines and skips them where the line
// filter would have removed them; lines given to getCategories keep theirs.
enum class CarriageReturns { kept, skipped };

// Calls handleLine(line, number) for every line, numbered from 1.
template <typename LineHandler> void forEachLine(std::string_view text, LineHandler&& handleLine) {
    std::size_t start = 0;
    std::size_t number = 0;
    while (start < text.size()) {
        const void* lineFeed = std::memchr(text.data() + start, '\n', text.size() - start);
        const std::size_t end =
            lineFeed == nullptr
                ? text.size()
                : static_cast<std::size_t>(static_cast<const char*>(lineFeed) - text.data());
        handleLine(text.substr(start, end - start), ++number);
        start = end + 1;
    }
}

// Every white-space character starts with a byte below 0x21 or from 0x80 up; the bytes in
// between can be copied without decoding. Eight at a time: a byte below 0x21 borrows into
// its top bit when 0x21 is subtracted (a borrow into the next byte only follows a hit).
bool mayStartWhiteSpace(unsigned char byte) noexcept {
    return byte < 0x21 || byte >= 0x80;
}

std::size_t findWhiteSpaceCandidate(std::string_view text, std::size_t offset) noexcept {
    constexpr std::uint64_t everyByte = 0x0101010101010101;
    for (std::uint64_t word = 0; offset + sizeof word <= text.size(); offset += sizeof word) {
        std::memcpy(&word, text.data() + offset, sizeof word);
        if ((((word - everyByte * 0x21) | word) & (everyByte * 0x80)) != 0) {
            break;
        }
    }
    while (offset < text.size() && !mayStartWhiteSpace(static_cast<unsigned char>(text[offset]))) {
        ++offset;
    }
    return offset;
}

std::string withoutWhiteSpace(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    std::size_t offset = 0;
    while (offset < text.size()) {
        const std::size_t candidate = findWhiteSpaceCandidate(text, offset);
        kept.append(text.substr(offset, candidate - offset));
        if (candidate == text.size()) {
            break;
        }
        const Character character = readCharacter(text, candidate);
        if (!Unicode::isWhiteSpace(character.codePoint)) {
            kept.append(text.substr(candidate, character.length));
        }
        offset = candidate + character.length;
    }
    return kept;
}

bool isBlank(std::string_view line) noexcept {
    for (std::size_t offset = 0; offset < line.size();) {
        const Character character = readCharacter(line, offset);
        if (!Unicode::isWhiteSpace(character.codePoint)) {
            return false;
        }
        offset += character.length;
    }
    return true;
}

bool isKept(std::string_view line) noexcept {
    return !line.starts_with(commentMark) && !isBlank(line);
}

bool isHeader(std::string_view line, CarriageReturns carriageReturns) noexcept {
    if (carriageReturns == CarriageReturns::skipped) {
        const std::size_t first = line.find_first_not_of('\r');
        return first != std::string_view::npos && line[first] == headerOpen;
    }
    return line.starts_with(headerOpen);
}

// Collects the characters of a name or value, leaving out white space at both ends.
class TrimmedText {
public:
    void append(Character character, std::string_view bytes) {
        const bool isWhiteSpace = Unicode::isWhiteSpace(character.codePoint);
        if (isWhiteSpace && text_.empty()) {
            return;
        }
        text_.append(bytes);
        if (!isWhiteSpace) {
            lengthToLastNonWhiteSpace_ = text_.size();
        }
    }

    std::string finish() && {
        text_.resize(lengthToLastNonWhiteSpace_);
        return std::move(text_);
    }

private:
    std::string text_;
    std::size_t lengthToLastNonWhiteSpace_ = 0;
};

// A header line loses every bracket wherever it stands; its name and value are trimmed.
KatField headerProperty(std::string_view line, std::size_t lineNumber,
                        CarriageReturns carriageReturns) {
    TrimmedText name;
    TrimmedText value;
    bool inValue = false;
    for (std::size_t offset = 0; offset < line.size();) {
        const Character character = readCharacter(line, offset);
        const std::string_view bytes = line.substr(offset, character.length);
        offset += character.length;
        const char32_t codePoint = character.codePoint;
        if (codePoint == headerOpen || codePoint == headerClose ||
            (codePoint == carriageReturn && carriageReturns == CarriageReturns::skipped)) {
            continue;
        }
        if (codePoint == nameValueSeparator && !inValue) {
            inValue = true;
            continue;
        }
        (inValue ? value : name).append(character, bytes);
    }
    return {std::move(name).finish(), std::move(value).finish(), lineNumber};
}

// A body line loses every white-space character, inside its value too. '=' never occurs
// inside a multi-byte character, so the split can look at bytes.
std::string bodyFieldName(std::string_view line) {
    return withoutWhiteSpace(line.substr(0, line.find(nameValueSeparator)));
}

std::string bodyFieldValue(std::string_view line) {
    const std::size_t separator = line.find(nameValueSeparator);
    return separator == std::string_view::npos ? std::string()
                                               : withoutWhiteSpace(line.substr(separator + 1));
}

// Builds categories line by line: a header line after body lines opens a new category, so
// each category is one header run and the body that follows it.
class CategoryBuilder {
public:
    CategoryBuilder(std::string_view startName, CarriageReturns carriageReturns)
        : startName_(startName), carriageReturns_(carriageReturns) {}

    // lineNumber: where the line stands in its file, 0 where not known.
    void addLine(std::string_view line, std::size_t lineNumber) {
        if (isHeader(line, carriageReturns_)) {
            addHeaderLine(line, lineNumber);
        } else {
            addBodyLine(line, lineNumber);
        }
    }

    std::vector<KatCategory> finish() && { return std::move(categories_); }

private:
    void addHeaderLine(std::string_view line, std::size_t lineNumber) {
        if (categories_.empty() || inBody_) {
            categories_.emplace_back();
            inBody_ = false;
        }
        categories_.back().properties.push_back(headerProperty(line, lineNumber, carriageReturns_));
    }

    void addBodyLine(std::string_view line, std::size_t lineNumber) {
        if (categories_.empty()) {
            categories_.emplace_back();
        }
        inBody_ = true;
        KatCategory& category = categories_.back();
        std::string name = bodyFieldName(line);
        if (name == startName_) {
            category.records.emplace_back();
        }
        // Fields before the body's first record start belong to no record.
        std::vector<KatField>& fields =
            category.records.empty() ? category.strayFields : category.records.back().fields;
        fields.push_back({std::move(name), bodyFieldValue(line), lineNumber});
    }

    std::string_view startName_;
    CarriageReturns carriageReturns_;
    std::vector<KatCategory> categories_;
    bool inBody_ = false;
};

template <typename Lines>
std::vector<KatCategory> groupLines(std::string_view startName, const Lines& lines) {
    CategoryBuilder builder(startName, CarriageReturns::kept);
    // Lines given already filtered no longer know where they stood.
    for (const auto& line : lines) {
        builder.addLine(line, 0);
    }
    return std::move(builder).finish();
}

} // namespace

std::optional<std::string_view> findField(std::span<const KatField> fields,
                                          std::string_view name) noexcept {
    const auto found = std::ranges::find(fields, name, &KatField::name);
    if (found == fields.end()) {
        return std::nullopt;
    }
    return found->value;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    forEachLine(text, [&lines](std::string_view line, std::size_t) { lines.push_back(line); });
    return lines;
}

std::vector<std::string> filterLines(std::span<const std::string_view> lines) {
    std::vector<std::string> kept;
    for (const std::string_view line : lines) {
        if (isKept(line)) {
            std::string& keptLine = kept.emplace_back(line);
            std::erase(keptLine, '\r');
        }
    }
    return kept;
}

std::vector<KatCategory> getCategories(std::string_view startName,
                                       std::span<const std::string_view> lines) {
    return groupLines(startName, lines);
}

std::vector<KatCategory> getCategories(std::string_view startName,
                                       std::span<const std::string> lines) {
    return groupLines(startName, lines);
}

std::vector<KatCategory> parseCategories(std::string_view startName, std::string_view text) {
    CategoryBuilder builder(startName, CarriageReturns::skipped);
    forEachLine(text, [&builder](std::string_view line, std::size_t lineNumber) {
        if (isKept(line)) {
            builder.addLine(line, lineNumber);
        }
    });
    return std::move(builder).finish();
}

} // namespace Test::ParseNistKATs
