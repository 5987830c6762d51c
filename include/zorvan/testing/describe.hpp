#pragma once
// describe: the printed form of a value in failure reports.

#include <zorvan/bytes.hpp>

#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace zorvan::testing {

template <class T> std::string describe(const T& value);

namespace detail {

template <class T> struct Describer {
    static std::string describe(const T& value) {
        if constexpr (requires(std::ostream & out) { out << value; }) {
            std::ostringstream out;
            out << value;
            return out.str();
        } else {
            return "<value without a printed form>";
        }
    }
};

// Octets are numbers: printed as characters they would put raw bytes into reports.
template <class Octet> struct OctetDescriber {
    static std::string describe(Octet value) { return std::to_string(static_cast<int>(value)); }
};
template <> struct Describer<unsigned char> : OctetDescriber<unsigned char> {};
template <> struct Describer<signed char> : OctetDescriber<signed char> {};

template <class A, class B> struct Describer<std::pair<A, B>> {
    static std::string describe(const std::pair<A, B>& value) {
        return std::string("(")
            .append(testing::describe(value.first))
            .append(", ")
            .append(testing::describe(value.second))
            .append(")");
    }
};

template <class T> struct Describer<std::optional<T>> {
    static std::string describe(const std::optional<T>& value) {
        return value ? "just " + testing::describe(*value) : "nothing";
    }
};

} // namespace detail

/// describe: operator<< where the type has one, octets (std::uint8_t, std::int8_t) as numbers,
/// pairs as "(a, b)", optionals as "just v" or "nothing". Never throws beyond what the value's own
/// printing throws.
template <class T> std::string describe(const T& value) {
    return detail::Describer<T>::describe(value);
}

} // namespace zorvan::testing
