#pragma once
// The KAT parser: the text of a NIST response-style file (comments, bracketed header lines,
// NAME = VALUE lines) as categories of properties and records. It interprets no value.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Test::ParseNistKATs {

/// KatField: a name and a value as they stand in the file, white space removed as the
/// parser's rules say, and the line (from 1) they stand on; 0 where the line is not known,
/// as for lines given to getCategories already filtered. Fields compare by name and value:
/// where a field stood is not part of what the file says.
struct KatField {
    /// name: the text before '=' (a header line's brackets dropped).
    std::string name;
    /// value: the text after '=', empty where there is none; uninterpreted (hex stays text).
    std::string value;
    /// line: the line the field stands on, from 1; 0 where not known.
    std::size_t line = 0;

    /// operator==: the same name and value, wherever they stand.
    friend bool operator==(const KatField& left, const KatField& right) noexcept {
        return left.name == right.name && left.value == right.value;
    }
};

/// findField: the value of the first field named exactly (case-sensitively) `name`, or
/// nothing when there is none. Never fails.
std::optional<std::string_view> findField(std::span<const KatField> fields,
                                          std::string_view name) noexcept;

/// KatRecord: one test vector, its fields in file order; the first field is the
/// record-start field the parser was given.
struct KatRecord {
    /// fields: the record's fields in file order, the record-start field first.
    std::vector<KatField> fields;

    /// line: where the record starts, the line of its first field (0 where not known).
    [[nodiscard]] std::size_t line() const noexcept {
        return fields.empty() ? 0 : fields.front().line;
    }

    /// field: the value of the first field of that name, or nothing. Never fails.
    [[nodiscard]] std::optional<std::string_view> field(std::string_view name) const noexcept {
        return findField(fields, name);
    }

    /// operator==: the same fields in the same order, lines not compared.
    friend bool operator==(const KatRecord&, const KatRecord&) = default;
};

/// KatCategory: one section of a file, the properties of its header lines and its records;
/// besides, the fields of its body that stand before its first record, which belong to no
/// record: text that a reader of the file would otherwise lose without a word.
struct KatCategory {
    /// properties: the fields of its bracketed header lines ("[L = 20]"), in file order.
    std::vector<KatField> properties;
    /// records: its records, in file order.
    std::vector<KatRecord> records;
    /// strayFields: the fields before its first record, which belong to no record.
    std::vector<KatField> strayFields;

    /// property: the value of the first property of that name, or nothing. Never fails.
    [[nodiscard]] std::optional<std::string_view> property(std::string_view name) const noexcept {
        return findField(properties, name);
    }

    /// operator==: the same properties, records and stray fields, lines not compared.
    friend bool operator==(const KatCategory&, const KatCategory&) = default;
};

/// splitLines: the text cut at every line feed, which belongs to no line; a final line
/// feed makes no empty line after it. The views point into `text`. Never fails.
std::vector<std::string_view> splitLines(std::string_view text);

/// filterLines: the lines without comments (first character '#') and blank lines (white
/// space and carriage returns only), every carriage return removed from those kept.
/// Never fails.
std::vector<std::string> filterLines(std::span<const std::string_view> lines);

/// getCategories: groups lines already split and filtered into categories: a run of
/// header lines ('[' first) gives the properties, the lines up to the next header the
/// records, each opened by a field named `startName`. Filters nothing itself; its fields know
/// no line (0). Never fails.
std::vector<KatCategory> getCategories(std::string_view startName,
                                       std::span<const std::string_view> lines);
/// getCategories: the same for lines held as strings, as filterLines returns them.
std::vector<KatCategory> getCategories(std::string_view startName,
                                       std::span<const std::string> lines);

/// parseCategories: the categories of a whole file's text, read as UTF-8 in which a stray
/// byte is a character of its own that is kept as it is. For well-formed text the result is
/// getCategories(startName, filterLines(splitLines(text))), reached without copying any
/// line; each field and property also knows its line in the text (from 1, counted at line
/// feeds). Never fails.
std::vector<KatCategory> parseCategories(std::string_view startName, std::string_view text);

} // namespace Test::ParseNistKATs
