#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <string_view>

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

namespace {

// A check in the library's own code names its file from the library's source root, not from the
// machine it was built on, which means nothing where the library is installed. A build that
// names its sources relative to the build folder (as a compiler cache may: "../../src/...")
// gives the path below the folders it climbs.
std::string shownFile(std::string_view file) {
    constexpr std::string_view sourceRoot = ZORVAN_SOURCE_ROOT "/";
    if (file.starts_with(sourceRoot)) {
        return std::string(file.substr(sourceRoot.size()));
    }
    while (file.starts_with("../") || file.starts_with("./")) {
        file.remove_prefix(file.find('/') + 1);
    }
    return std::string(file);
}

FailedCheck makeCheck(const std::string& message, const Comparison& comparison,
                      const std::optional<VectorOrigin>& origin,
                      const std::source_location& location) {
    return {message,
            {std::string(comparison.roles.first), comparison.first},
            {std::string(comparison.roles.second), comparison.second},
            comparison.difference,
            origin,
            {shownFile(location.file_name()), location.line()}};
}

} // namespace

AssertionFailure::AssertionFailure(std::string message, Comparison comparison,
                                   std::optional<VectorOrigin> origin,
                                   std::source_location location)
    : std::runtime_error(describeCheck(makeCheck(message, comparison, origin, location))),
      message_(std::move(message)), comparison_(std::move(comparison)), origin_(std::move(origin)),
      location_(location) {}

FailedCheck AssertionFailure::check() const {
    return makeCheck(message_, comparison_, origin_, location_);
}

ByteDifference byteDifference(const Bytes& first, const Bytes& second) {
    const auto [inFirst, inSecond] =
        std::mismatch(first.begin(), first.end(), second.begin(), second.end());
    ByteDifference difference;
    difference.position = static_cast<std::size_t>(inFirst - first.begin());
    if (inFirst != first.end() && inSecond != second.end()) {
        difference.firstOctet = *inFirst;
        difference.secondOctet = *inSecond;
    }
    difference.firstLength = first.size();
    difference.secondLength = second.size();
    return difference;
}

ByteDifference byteDifference(const std::pair<Bytes, Bytes>& first,
                              const std::pair<Bytes, Bytes>& second) {
    const bool inFirst = first.first != second.first;
    ByteDifference difference = inFirst ? byteDifference(first.first, second.first)
                                        : byteDifference(first.second, second.second);
    difference.component =
        inFirst ? ByteDifference::Component::first : ByteDifference::Component::second;
    return difference;
}

} // namespace zorvan::testing
