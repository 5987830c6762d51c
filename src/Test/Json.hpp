#pragma once
// Test::Json: the JSON of a vector file read into plain values that view the file's own text,
// each knowing where it starts, for the Wycheproof and ACVP readers. The JSON library (simdjson)
// stays inside Json.cpp: nothing here names it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Test::Json {

/// Kind: what a value is.
enum class Kind { null, boolean, number, string, array, object };

/// kindName: "null", "a boolean", "a number", "a string", "an array", "an object". Never fails.
std::string_view kindName(Kind kind) noexcept;

struct Member;

/// Value: one JSON value as the file holds it. text is a string's content with its escapes
/// resolved, a number as written, "true", "false" or "null"; members are an array's items
/// (with empty names) or an object's members, in file order, a repeated name kept as often as
/// it stands. offset is where the value starts in the text (octets from 0); complete is false
/// for a value that the text broke off inside (see Document::error).
/// The views, the members included, point into the Storage of the document that made the
/// value: keep it alive. A copy of a value is as cheap as a view, and views the same members.
struct Value {
    Kind kind = Kind::null;
    bool complete = true;
    std::size_t offset = 0;
    std::string_view text;
    std::span<Member> members;

    /// find: the value of the first member named name of an object; nullptr when there is
    /// none or this is no object. Never fails.
    [[nodiscard]] const Value* find(std::string_view name) const noexcept;
    /// string: the content of the member named name when it is a string; nothing when it is
    /// missing or holds anything else. Never fails.
    [[nodiscard]] std::optional<std::string_view> string(std::string_view name) const noexcept;
};

/// integerOf: the value of a number written as an integer that fits 64 bits; nothing for
/// anything else (a fraction, an exponent, another kind). Never fails.
std::optional<std::int64_t> integerOf(const Value& value) noexcept;

/// Member: an object's member, or an array's item with an empty name.
struct Member {
    std::string_view name;
    Value value;
};

/// Storage: the text, the unescaped strings and the members that a document's values view;
/// opaque.
class Storage;

/// Place: a point of the text: its offset (octets from 0), line and column (both from 1,
/// lines counted at line feeds, columns in octets).
struct Place {
    std::size_t offset = 0;
    std::size_t line = 1;
    std::size_t column = 1;
};

/// ReadError: where the text stopped reading as JSON, and why ("unclosed string", "nested
/// deeper than 64 levels", "text after the JSON value").
struct ReadError {
    Place place;
    std::string what;
};

/// Document: what a text read as JSON: its root value (a null when nothing read) and, when the
/// text is not whole JSON, the error where reading stopped. Every value read before the error is
/// kept; the values the error broke off inside are marked incomplete.
struct Document {
    std::shared_ptr<const Storage> storage;
    Value root;
    std::optional<ReadError> error;
};

/// maximumDepth: how deep arrays and objects may nest: the vector files nest six levels deep at
/// most, and the bound keeps a hostile file from exhausting the stack.
inline constexpr std::size_t maximumDepth = 64;

/// parse: the text read as one JSON value (RFC 8259, UTF-8). Never throws beyond allocation:
/// what does not read is the document's error.
Document parse(std::string text);

/// placeAt: the place of an offset into text (clamped to its end). Never fails.
Place placeAt(std::string_view text, std::size_t offset) noexcept;

/// storedText: the text a storage holds, as parse was given it. Never fails.
std::string_view storedText(const Storage& storage) noexcept;

/// LineCounter: the lines of offsets into one text given in increasing order, each found by
/// counting the line feeds since the one before, so that a pass over a file costs one scan.
class LineCounter {
public:
    explicit LineCounter(std::string_view text) noexcept : text_(text) {}
    /// lineAt: the line (from 1) of offset, which must not be below the one given before;
    /// clamped to the text's end. Never fails.
    std::size_t lineAt(std::size_t offset) noexcept;

private:
    std::string_view text_;
    std::size_t offset_ = 0;
    std::size_t line_ = 1;
};

} // namespace Test::Json
