#include "outcome_wire.hpp"

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace zorvan::check {

namespace {

using namespace zorvan::testing;

// Numbers go in this machine's own representation: both ends are the same program.
static_assert(std::is_same_v<std::size_t, std::uint64_t>, "sizes are written as 64-bit numbers");
class Writer {
public:
    template <class Number>
    requires std::is_arithmetic_v<Number>
    void put(Number value) { bytes_.append(reinterpret_cast<const char*>(&value), sizeof value); }
    void put(const std::string& text) {
        put(std::uint64_t{text.size()});
        bytes_ += text;
    }
    template <class Value> void put(const std::optional<Value>& value) {
        put(static_cast<std::uint8_t>(value.has_value()));
        if (value) {
            put(*value);
        }
    }
    template <class Value> void put(const std::vector<Value>& values) {
        put(std::uint64_t{values.size()});
        for (const Value& value : values) {
            put(value);
        }
    }
    void put(const VectorField& field) {
        put(field.name);
        put(field.value);
    }
    void put(const VectorOrigin& origin) {
        put(std::uint64_t{origin.line});
        put(std::uint64_t{origin.number});
        put(origin.file);
        put(origin.fields);
    }
    void put(const PrintedValue& value) {
        put(value.role);
        put(value.text);
    }
    void put(const ByteDifference& difference) {
        put(static_cast<std::uint8_t>(difference.component));
        put(std::uint64_t{difference.position});
        put(difference.firstOctet);
        put(difference.secondOctet);
        put(std::uint64_t{difference.firstLength});
        put(std::uint64_t{difference.secondLength});
    }
    void put(const FailedCheck& check) {
        put(check.message);
        put(check.first);
        put(check.second);
        put(check.difference);
        put(check.origin);
        put(check.location.file);
        put(check.location.line);
    }
    void put(const DrawnArgument& argument) {
        put(argument.name);
        put(argument.value);
    }
    void put(const FalsifiedCase& falsified) {
        put(falsified.seed);
        put(std::uint64_t{falsified.number});
        put(falsified.arguments);
        put(falsified.error);
    }

    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

// Reads what Writer wrote; any shortfall or value out of range makes the whole read fail.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] bool atEnd() const { return bytes_.empty(); }

    template <class Number>
    requires std::is_arithmetic_v<Number>
    void get(Number& value) {
        if (!take(sizeof value)) {
            return;
        }
        std::memcpy(&value, taken_.data(), sizeof value);
    }
    void get(std::string& text) {
        std::uint64_t length = 0;
        get(length);
        if (take(length)) {
            text.assign(taken_);
        }
    }
    template <class Value> void get(std::optional<Value>& value) {
        std::uint8_t present = 0;
        get(present);
        if (present > 1) {
            ok_ = false;
        } else if (present == 1) {
            get(value.emplace());
        }
    }
    template <class Value> void get(std::vector<Value>& values) {
        std::uint64_t count = 0;
        get(count);
        // Each element takes at least one byte, so a count beyond the bytes left is corrupt.
        if (count > bytes_.size()) {
            ok_ = false;
        }
        for (std::uint64_t i = 0; ok_ && i < count; ++i) {
            get(values.emplace_back());
        }
    }
    void get(VectorField& field) {
        get(field.name);
        get(field.value);
    }
    void get(VectorOrigin& origin) {
        get(origin.line);
        get(origin.number);
        get(origin.file);
        get(origin.fields);
    }
    void get(PrintedValue& value) {
        get(value.role);
        get(value.text);
    }
    void get(ByteDifference& difference) {
        std::uint8_t component = 0;
        get(component);
        ok_ = ok_ && component <= static_cast<std::uint8_t>(ByteDifference::Component::second);
        difference.component = static_cast<ByteDifference::Component>(component);
        get(difference.position);
        get(difference.firstOctet);
        get(difference.secondOctet);
        get(difference.firstLength);
        get(difference.secondLength);
    }
    void get(FailedCheck& check) {
        get(check.message);
        get(check.first);
        get(check.second);
        get(check.difference);
        get(check.origin);
        get(check.location.file);
        get(check.location.line);
    }
    void get(DrawnArgument& argument) {
        get(argument.name);
        get(argument.value);
    }
    void get(FalsifiedCase& falsified) {
        get(falsified.seed);
        get(falsified.number);
        get(falsified.arguments);
        get(falsified.error);
    }

private:
    bool take(std::uint64_t count) {
        if (!ok_ || count > bytes_.size()) {
            ok_ = false;
            return false;
        }
        taken_ = bytes_.substr(0, static_cast<std::size_t>(count));
        bytes_.remove_prefix(static_cast<std::size_t>(count));
        return true;
    }

    std::string_view bytes_;
    std::string_view taken_;
    bool ok_ = true;
};

} // namespace

std::string encodeOutcome(const LeafOutcome& outcome) {
    Writer writer;
    writer.put(static_cast<std::uint8_t>(outcome.status));
    writer.put(outcome.seconds);
    writer.put(outcome.message);
    writer.put(outcome.check);
    writer.put(outcome.falsified);
    return writer.take();
}

std::optional<LeafOutcome> decodeOutcome(std::string_view bytes) {
    Reader reader(bytes);
    LeafOutcome outcome;
    std::uint8_t status = 0;
    reader.get(status);
    reader.get(outcome.seconds);
    reader.get(outcome.message);
    reader.get(outcome.check);
    reader.get(outcome.falsified);
    if (!reader.ok() || !reader.atEnd() ||
        status > static_cast<std::uint8_t>(LeafStatus::skipped)) {
        return std::nullopt;
    }
    outcome.status = static_cast<LeafStatus>(status);
    return outcome;
}

} // namespace zorvan::check
