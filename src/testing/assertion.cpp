#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace zorvan::testing {

namespace {

// Field texts up to this length are shown whole; longer ones by both ends, as Bytes prints
// long values, so that a long message does not bury the report.
constexpr std::size_t fieldShownInFull = 128;
constexpr std::size_t fieldShownAtEachEnd = 48;

std::string shortened(const std::string& value) {
    if (value.size() <= fieldShownInFull) {
        return value;
    }
    return value.substr(0, fieldShownAtEachEnd) + "..." +
           value.substr(value.size() - fieldShownAtEachEnd) + " (" + std::to_string(value.size()) +
           " characters)";
}

// The values' labels are padded to one width so that the values line up.
void writeValues(std::ostream& out, const Comparison& comparison) {
    const std::size_t width =
        std::max(comparison.roles.first.size(), comparison.roles.second.size()) + 1;
    const auto writeValue = [&](std::string_view role, const std::string& value) {
        out << "\n  " << std::left << std::setw(static_cast<int>(width))
            << (std::string(role) + ':') << ' ' << value;
    };
    writeValue(comparison.roles.first, comparison.first);
    writeValue(comparison.roles.second, comparison.second);
}

std::string report(const std::string& message, const Comparison& comparison,
                   const std::optional<VectorOrigin>& origin,
                   const std::source_location& location) {
    std::ostringstream out;
    out << message;
    writeValues(out, comparison);
    if (!comparison.difference.empty()) {
        out << "\n  " << comparison.difference;
    }
    if (origin) {
        out << "\n  " << describeOrigin(*origin, "  ");
    }
    out << "\n  at " << location.file_name() << ':' << location.line();
    return out.str();
}

std::string hexOctet(std::uint8_t octet) {
    std::ostringstream out;
    out << std::hex << std::setw(2) << std::setfill('0') << static_cast<unsigned>(octet);
    return out.str();
}

} // namespace

std::string describeOrigin(const VectorOrigin& origin, std::string_view indent) {
    std::string text = "vector: " + origin.file;
    if (origin.line > 0) {
        text +=
            ':' + std::to_string(origin.line) + " (record " + std::to_string(origin.number) + ')';
    } else {
        text += ", row " + std::to_string(origin.number);
    }
    for (const VectorField& field : origin.fields) {
        text.append("\n").append(indent).append(indent);
        text += field.name + " = " + shortened(field.value);
    }
    return text;
}

AssertionFailure::AssertionFailure(std::string message, Comparison comparison,
                                   std::optional<VectorOrigin> origin,
                                   std::source_location location)
    : std::runtime_error(report(message, comparison, origin, location)),
      message_(std::move(message)), comparison_(std::move(comparison)), origin_(std::move(origin)),
      location_(location) {}

std::string describeDifference(const Bytes& first, const Bytes& second) {
    const auto [inFirst, inSecond] =
        std::mismatch(first.begin(), first.end(), second.begin(), second.end());
    const auto position = static_cast<std::size_t>(inFirst - first.begin());
    std::ostringstream out;
    out << "first difference at octet " << position;
    if (inFirst != first.end() && inSecond != second.end()) {
        out << " (" << hexOctet(*inFirst) << " vs " << hexOctet(*inSecond) << ")";
    }
    out << "; lengths " << first.size() << " and " << second.size();
    return out.str();
}

std::string describeDifference(const std::pair<Bytes, Bytes>& first,
                               const std::pair<Bytes, Bytes>& second) {
    if (first.first != second.first) {
        return "first component: " + describeDifference(first.first, second.first);
    }
    return "second component: " + describeDifference(first.second, second.second);
}

} // namespace zorvan::testing
