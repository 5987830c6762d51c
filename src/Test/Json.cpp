#include <Test/Json.hpp>

#include <Test/KatFiles.hpp>

#include <simdjson.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <memory_resource>
#include <type_traits>

namespace Test::Json {

static_assert(KatFiles::spareCapacity >= simdjson::SIMDJSON_PADDING);

// The text with the padding simdjson reads past its end, and one arena, freed with the storage,
// for the strings whose escapes had to be resolved and for every array's and object's members;
// the values of a document view both. A document holds some hundred thousand small arrays and
// objects: allocating and freeing each on its own cost more than reading it.
class Storage {
public:
    // A text read by KatFiles::readStored has the room already, and is not copied.
    // The vector files' members take from a twentieth of their text's octets (long hex
    // strings) to two and a half times them (short fields): the arena starts at an eighth and
    // grows by half each block, so that a few blocks serve either with little room unused.
    explicit Storage(std::string text)
        : text_(std::move(text)), arena_(text_.size() / 8 + sizeof(Member)) {
        text_.reserve(text_.size() + simdjson::SIMDJSON_PADDING);
    }

    [[nodiscard]] std::string_view text() const noexcept { return text_; }
    [[nodiscard]] simdjson::padded_string_view padded() const noexcept {
        return simdjson::padded_string_view(text_.data(), text_.size(), text_.capacity());
    }
    // Copies that live as long as the storage.
    std::string_view keep(std::string_view unescaped) {
        const std::span<const char> kept = inArena(std::span(unescaped));
        return {kept.data(), kept.size()};
    }
    std::span<Member> keep(std::span<const Member> members) { return inArena(members); }

private:
    template <class Item> std::span<Item> inArena(std::span<const Item> items) {
        static_assert(std::is_trivially_copyable_v<Item> && std::is_trivially_destructible_v<Item>,
                      "the arena never runs a destructor");
        if (items.empty()) {
            return {};
        }
        auto* kept = static_cast<Item*>(arena_.allocate(items.size_bytes(), alignof(Item)));
        std::uninitialized_copy(items.begin(), items.end(), kept);
        return {kept, items.size()};
    }

    std::string text_;
    std::pmr::monotonic_buffer_resource arena_;
};

namespace {

namespace od = simdjson::ondemand;

std::string describe(simdjson::error_code error) {
    switch (error) {
    case simdjson::EMPTY:
        return "no JSON value: the text is empty or white space";
    case simdjson::UTF8_ERROR:
        return "the text is not UTF-8";
    case simdjson::UNCLOSED_STRING:
        return "a string is never closed";
    case simdjson::UNESCAPED_CHARS:
        return "a string holds a control character that must be escaped";
    case simdjson::CAPACITY:
        return "the text is too large for the JSON reader";
    default:
        return simdjson::error_message(error);
    }
}

// The line feeds in text, counted in blocks whose count fits an octet and whose length is whole
// vectors: the compiler then counts sixteen octets at a time. (The vector files' lines are
// short, so a search for each line feed would cost a call per line.)
std::size_t lineFeeds(std::string_view text) noexcept {
    constexpr std::size_t block = std::size_t{15} * 16;
    std::size_t feeds = 0;
    for (std::size_t start = 0; start < text.size(); start += block) {
        const std::string_view part = text.substr(start, block);
        std::uint8_t inPart = 0;
        for (const char c : part) {
            inPart = static_cast<std::uint8_t>(inPart + (c == '\n' ? 1 : 0));
        }
        feeds += inPart;
    }
    return feeds;
}

bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// Skips the digits at the front of text; false when there are none.
bool skipDigits(std::string_view& text) noexcept {
    const std::size_t digits =
        static_cast<std::size_t>(std::ranges::find_if_not(text, isDigit) - text.begin());
    text.remove_prefix(digits);
    return digits != 0;
}

// Whether token is a number as RFC 8259 writes one, of any size.
bool isNumber(std::string_view token) noexcept {
    if (token.starts_with('-')) {
        token.remove_prefix(1);
    }
    if (token.starts_with('0')) {
        token.remove_prefix(1);
    } else if (!skipDigits(token)) {
        return false;
    }
    if (token.starts_with('.')) {
        token.remove_prefix(1);
        if (!skipDigits(token)) {
            return false;
        }
    }
    if (token.starts_with('e') || token.starts_with('E')) {
        token.remove_prefix(1);
        if (token.starts_with('+') || token.starts_with('-')) {
            token.remove_prefix(1);
        }
        if (!skipDigits(token)) {
            return false;
        }
    }
    return token.empty();
}

// The token of a value as the text writes it, with the white space after it.
simdjson::simdjson_result<std::string_view> rawToken(od::value& value) noexcept {
    return value.raw_json_token();
}
simdjson::simdjson_result<std::string_view> rawToken(od::document& document) noexcept {
    return document.raw_json_token();
}

// Reads one document into values, keeping every value read until the first error.
class Builder {
public:
    Builder(Storage& storage, od::document& document) noexcept
        : storage_(storage), document_(document), base_(storage.text().data()) {}

    void root(Value& out) {
        od::json_type type{};
        if (const auto error = document_.type().get(type)) {
            return fail(error, 0);
        }
        if (type == od::json_type::object || type == od::json_type::array) {
            od::value value;
            if (const auto error = document_.get_value().get(value)) {
                return fail(error, 0);
            }
            read(value, out, 1);
            return;
        }
        out.offset = locate(document_);
        scalar(document_, type, out);
    }

    // Text that stands after the root value, once it is read whole.
    void rest() {
        const char* after = nullptr;
        if (!error_ && !document_.current_location().get(after)) {
            fail("text after the JSON value", offsetOf(after));
        }
    }

    std::optional<ReadError> takeError() && { return std::move(error_); }

private:
    std::size_t offsetOf(const char* location) const noexcept {
        return static_cast<std::size_t>(location - base_);
    }

    template <class Source> std::size_t locate(Source& source) noexcept {
        const char* location = nullptr;
        if (!source.current_location().get(location)) {
            furthest_ = std::max(furthest_, offsetOf(location));
        }
        return furthest_;
    }

    void fail(std::string what, std::size_t offset) {
        if (!error_) {
            error_ = ReadError{placeAt(storage_.text(), offset), std::move(what)};
        }
    }

    // Where the library stopped when it tells of a place past the last value that began,
    // else where that value begins.
    void fail(simdjson::error_code error, std::size_t valueOffset) {
        const char* location = nullptr;
        const bool known = !document_.current_location().get(location);
        const std::size_t last = std::max(valueOffset, furthest_);
        fail(describe(error), known ? std::max(offsetOf(location), last) : last);
    }

    // A string's content: a view of the text unless it holds escapes to resolve.
    template <class Source> bool string(Source& source, Value& out) {
        std::string_view token;
        if (const auto error = rawToken(source).get(token)) {
            fail(error, out.offset);
            return false;
        }
        // The token runs to the next structural character, so a whole string's closing quote
        // is its last one: only the content is scanned, once, for escapes.
        const std::size_t close = token.find_last_not_of(" \t\r\n");
        if (close != 0 && close != std::string_view::npos && token[close] == '"') {
            const std::string_view body = token.substr(1, close - 1);
            if (body.find('\\') == std::string_view::npos) {
                out.text = body;
                return true;
            }
        }
        std::string_view unescaped;
        if (const auto error = source.get_string().get(unescaped)) {
            fail(error, out.offset);
            return false;
        }
        out.text = storage_.keep(unescaped);
        return true;
    }

    // A scalar whose offset out already holds.
    template <class Source> void scalar(Source& source, od::json_type type, Value& out) {
        simdjson::error_code error = simdjson::SUCCESS;
        switch (type) {
        case od::json_type::string:
            out.kind = Kind::string;
            out.complete = string(source, out);
            return;
        case od::json_type::number: {
            out.kind = Kind::number;
            od::number number;
            std::string_view token;
            const simdjson::error_code parsed = source.get_number().get(number);
            error = rawToken(source).get(token);
            out.text = token.substr(0, token.find_last_not_of(" \t\r\n") + 1);
            // The library refuses an integer past 64 bits as it refuses a malformed number,
            // yet it is JSON all the same: its reader judges its range.
            if (!error && parsed && !isNumber(out.text)) {
                error = parsed;
            }
            break;
        }
        case od::json_type::boolean: {
            out.kind = Kind::boolean;
            bool truth = false;
            error = source.get_bool().get(truth);
            out.text = truth ? "true" : "false";
            break;
        }
        case od::json_type::null: {
            out.kind = Kind::null;
            bool null = false;
            error = source.is_null().get(null);
            if (!error && !null) {
                error = simdjson::N_ATOM_ERROR;
            }
            out.text = "null";
            break;
        }
        default:
            error = simdjson::INCORRECT_TYPE;
        }
        if (error) {
            out.complete = false;
            fail(error, out.offset);
        }
    }

    // Reads value into out; false once an error stops the reading.
    bool read(od::value& value, Value& out, std::size_t depth) {
        out.offset = locate(value);
        od::json_type type{};
        if (const auto error = value.type().get(type)) {
            out.complete = false;
            fail(error, out.offset);
            return false;
        }
        if (type != od::json_type::object && type != od::json_type::array) {
            scalar(value, type, out);
            return out.complete;
        }
        if (depth > maximumDepth) {
            out.complete = false;
            fail("nested deeper than " + std::to_string(maximumDepth) + " levels", out.offset);
            return false;
        }
        out.complete =
            type == od::json_type::object ? object(value, out, depth) : array(value, out, depth);
        return out.complete;
    }

    bool object(od::value& value, Value& out, std::size_t depth) {
        out.kind = Kind::object;
        od::object object;
        if (const auto error = value.get_object().get(object)) {
            fail(error, out.offset);
            return false;
        }
        return gather(out, depth, [&](std::vector<Member>& members) {
            for (auto next : object) {
                od::field field;
                if (const auto error = std::move(next).get(field)) {
                    fail(error, out.offset);
                    return false;
                }
                Member& member = members.emplace_back();
                if (!name(field, member)) {
                    return false;
                }
                od::value item = field.value();
                if (!read(item, member.value, depth + 1)) {
                    return false;
                }
            }
            return true;
        });
    }

    bool array(od::value& value, Value& out, std::size_t depth) {
        out.kind = Kind::array;
        od::array array;
        if (const auto error = value.get_array().get(array)) {
            fail(error, out.offset);
            return false;
        }
        return gather(out, depth, [&](std::vector<Member>& members) {
            for (auto next : array) {
                od::value item;
                Member& member = members.emplace_back();
                if (const auto error = next.get(item)) {
                    member.value.complete = false;
                    fail(error, out.offset);
                    return false;
                }
                if (!read(item, member.value, depth + 1)) {
                    return false;
                }
            }
            return true;
        });
    }

    // Reads a container's members with readMembers (false once an error stops it) and gives
    // them to out, whole or as far as they read: they gather first in a list per depth whose
    // room every container at that depth reuses, then move to the storage's arena in one piece.
    template <class ReadMembers>
    bool gather(Value& out, std::size_t depth, const ReadMembers& readMembers) {
        std::vector<Member>& members = pending_[depth];
        members.clear();
        const bool whole = readMembers(members);
        out.members = storage_.keep(members);
        return whole;
    }

    // A member's name: a view of the text unless it holds escapes to resolve.
    bool name(od::field& field, Member& member) {
        const char* raw = field.key().raw();
        const std::size_t length = std::strcspn(raw, "\"\\");
        if (raw[length] == '"') {
            member.name = std::string_view(raw, length);
            return true;
        }
        std::string_view unescaped;
        if (const auto error = field.unescaped_key().get(unescaped)) {
            member.value.complete = false;
            fail(error, offsetOf(raw));
            return false;
        }
        member.name = storage_.keep(unescaped);
        return true;
    }

    Storage& storage_;
    od::document& document_;
    const char* base_;
    std::vector<std::vector<Member>> pending_ = std::vector<std::vector<Member>>(maximumDepth + 1);
    std::size_t furthest_ = 0; // where the last value read began
    std::optional<ReadError> error_;
};

} // namespace

std::string_view kindName(Kind kind) noexcept {
    switch (kind) {
    case Kind::null:
        return "null";
    case Kind::boolean:
        return "a boolean";
    case Kind::number:
        return "a number";
    case Kind::string:
        return "a string";
    case Kind::array:
        return "an array";
    case Kind::object:
        return "an object";
    }
    return "a value";
}

const Value* Value::find(std::string_view name) const noexcept {
    if (kind != Kind::object) {
        return nullptr;
    }
    const auto found = std::ranges::find(members, name, &Member::name);
    return found == members.end() ? nullptr : &found->value;
}

std::optional<std::string_view> Value::string(std::string_view name) const noexcept {
    const Value* value = find(name);
    if (value == nullptr || value->kind != Kind::string) {
        return std::nullopt;
    }
    return value->text;
}

std::optional<std::int64_t> integerOf(const Value& value) noexcept {
    if (value.kind != Kind::number) {
        return std::nullopt;
    }
    std::int64_t integer = 0;
    const char* end = value.text.data() + value.text.size();
    const auto [stop, error] = std::from_chars(value.text.data(), end, integer);
    if (error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return integer;
}

Document parse(std::string text) {
    auto storage = std::make_shared<Storage>(std::move(text));
    Document document{storage, {}, std::nullopt};
    // One parser per thread: its buffers grow to the largest text read and are reused.
    thread_local od::parser parser;
    od::document json;
    if (const auto error = parser.iterate(storage->padded()).get(json)) {
        document.root.complete = false;
        document.error = ReadError{placeAt(storage->text(), 0), describe(error)};
        return document;
    }
    Builder builder(*storage, json);
    builder.root(document.root);
    builder.rest();
    document.error = std::move(builder).takeError();
    return document;
}

Place placeAt(std::string_view text, std::size_t offset) noexcept {
    offset = std::min(offset, text.size());
    LineCounter lines(text);
    const std::size_t line = lines.lineAt(offset);
    const std::size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
    const bool first = lineStart == std::string_view::npos || (offset == 0);
    return {offset, line, first ? offset + 1 : offset - lineStart};
}

std::string_view storedText(const Storage& storage) noexcept {
    return storage.text();
}

std::size_t LineCounter::lineAt(std::size_t offset) noexcept {
    offset = std::min(offset, text_.size());
    if (offset > offset_) {
        line_ += lineFeeds(text_.substr(offset_, offset - offset_));
        offset_ = offset;
    }
    return line_;
}

} // namespace Test::Json
