#include "outcome_wire.hpp"

#include <concepts>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <vector>

namespace zorvan::testing::detail {

namespace {

// Numbers go in this machine's own representation: both ends are the same program.
static_assert(std::is_same_v<std::size_t, std::uint64_t>, "sizes are written as 64-bit numbers");

// The fields of each part of an outcome, in the order they cross the pipe.
constexpr auto fieldsOf(const VectorField*) {
    return std::tuple{&VectorField::name, &VectorField::value};
}
constexpr auto fieldsOf(const VectorOrigin*) {
    return std::tuple{&VectorOrigin::file, &VectorOrigin::line, &VectorOrigin::number,
                      &VectorOrigin::fields};
}
constexpr auto fieldsOf(const PrintedValue*) {
    return std::tuple{&PrintedValue::role, &PrintedValue::text};
}
constexpr auto fieldsOf(const ByteDifference*) {
    return std::tuple{&ByteDifference::component,   &ByteDifference::position,
                      &ByteDifference::firstOctet,  &ByteDifference::secondOctet,
                      &ByteDifference::firstLength, &ByteDifference::secondLength};
}
constexpr auto fieldsOf(const CheckLocation*) {
    return std::tuple{&CheckLocation::file, &CheckLocation::line};
}
constexpr auto fieldsOf(const FailedCheck*) {
    return std::tuple{&FailedCheck::message,    &FailedCheck::first,  &FailedCheck::second,
                      &FailedCheck::difference, &FailedCheck::origin, &FailedCheck::location};
}
constexpr auto fieldsOf(const DrawnArgument*) {
    return std::tuple{&DrawnArgument::name, &DrawnArgument::value};
}
constexpr auto fieldsOf(const FalsifiedCase*) {
    return std::tuple{&FalsifiedCase::seed, &FalsifiedCase::number, &FalsifiedCase::arguments,
                      &FalsifiedCase::error};
}
constexpr auto fieldsOf(const LeafOutcome*) {
    return std::tuple{&LeafOutcome::status, &LeafOutcome::seconds, &LeafOutcome::message,
                      &LeafOutcome::check, &LeafOutcome::falsified};
}

template <class T>
concept Part = requires {
    fieldsOf(static_cast<const T*>(nullptr));
};

// Visits each field of a part, const for writing and mutable for reading.
template <class T, class Visit> void eachField(T& part, const Visit& visit) {
    std::apply([&](auto... member) { (visit(part.*member), ...); },
               fieldsOf(static_cast<const std::remove_const_t<T>*>(nullptr)));
}

// The largest value of each enumeration, so that a read one beyond it is refused.
constexpr ByteDifference::Component largest(ByteDifference::Component) {
    return ByteDifference::Component::second;
}
constexpr LeafStatus largest(LeafStatus) {
    return LeafStatus::skipped;
}

template <class T>
concept Number = std::is_arithmetic_v<T>;
template <class T>
concept Enumeration = std::is_enum_v<T>;

class Writer {
public:
    void put(Number auto value) {
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void put(Enumeration auto value) {
        put(static_cast<std::underlying_type_t<decltype(value)>>(value));
    }
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
    template <class Struct>
    requires std::is_class_v<Struct>
    void put(const Struct& part) {
        eachField(part, [&](const auto& field) { put(field); });
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

    void get(Number auto& value) {
        if (take(sizeof value)) {
            std::memcpy(&value, taken_.data(), sizeof value);
        }
    }
    template <Enumeration E> void get(E& value) {
        std::underlying_type_t<E> number{};
        get(number);
        ok_ = ok_ && number <= static_cast<std::underlying_type_t<E>>(largest(E{}));
        value = static_cast<E>(number);
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
    template <class Struct>
    requires std::is_class_v<Struct>
    void get(Struct& part) {
        eachField(part, [&](auto& field) { get(field); });
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
    writer.put(outcome);
    return writer.take();
}

std::optional<LeafOutcome> decodeOutcome(std::string_view bytes) {
    Reader reader(bytes);
    LeafOutcome outcome;
    reader.get(outcome);
    if (!reader.ok() || !reader.atEnd()) {
        return std::nullopt;
    }
    return outcome;
}

} // namespace zorvan::testing::detail
