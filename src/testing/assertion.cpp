#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace zorvan::testing {

namespace {

std::string report(const std::string& message, const std::string& expected,
                   const std::string& actual, const std::string& difference,
                   const std::source_location& location) {
    std::ostringstream out;
    out << message << "\n  expected: " << expected << "\n  actual:   " << actual;
    if (!difference.empty()) {
        out << "\n  " << difference;
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

AssertionFailure::AssertionFailure(std::string message, std::string expected, std::string actual,
                                   std::string difference, std::source_location location)
    : std::runtime_error(report(message, expected, actual, difference, location)),
      message_(std::move(message)), expected_(std::move(expected)), actual_(std::move(actual)),
      location_(location) {}

std::string describeDifference(const Bytes& expected, const Bytes& actual) {
    const auto [inExpected, inActual] =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto position = static_cast<std::size_t>(inExpected - expected.begin());
    std::ostringstream out;
    out << "first difference at octet " << position;
    if (inExpected != expected.end() && inActual != actual.end()) {
        out << " (" << hexOctet(*inExpected) << " vs " << hexOctet(*inActual) << ")";
    }
    out << "; lengths " << expected.size() << " and " << actual.size();
    return out.str();
}

std::string describeDifference(const std::pair<Bytes, Bytes>& expected,
                               const std::pair<Bytes, Bytes>& actual) {
    if (expected.first != actual.first) {
        return "first component: " + describeDifference(expected.first, actual.first);
    }
    return "second component: " + describeDifference(expected.second, actual.second);
}

} // namespace zorvan::testing
