#include <zorvan/testing/settings.hpp>

#include <charconv>
#include <cstdlib>
#include <random>
#include <string>

namespace zorvan::testing {

std::uint64_t readNumber(std::string_view option, std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw UsageError(std::string(option) + " needs a whole number, not '" + std::string(text) +
                         "'");
    }
    return value;
}

std::size_t readPositive(std::string_view option, std::string_view text) {
    const std::uint64_t value = readNumber(option, text);
    if (value == 0) {
        throw UsageError(std::string(option) + " needs a number above 0");
    }
    return static_cast<std::size_t>(value);
}

std::chrono::seconds readTimeout(std::string_view option, std::string_view text) {
    const std::chrono::seconds timeout(readPositive(option, text));
    if (timeout > maximumLeafTimeout) {
        throw UsageError(std::string(option) + " " + std::to_string(timeout.count()) +
                         " is more than " + std::to_string(maximumLeafTimeout.count()) +
                         " seconds, the most this runner allows");
    }
    return timeout;
}

std::uint64_t freshSeed() {
    std::random_device entropy;
    return (std::uint64_t{entropy()} << 32) | entropy();
}

CheckSettings checkSettingsFromEnvironment() {
    CheckSettings settings;
    const char* seed = std::getenv("ZORVAN_SEED");
    settings.seed = seed != nullptr ? readNumber("ZORVAN_SEED", seed) : freshSeed();
    if (const char* cases = std::getenv("ZORVAN_CASES")) {
        settings.cases = readPositive("ZORVAN_CASES", cases);
    }
    return settings;
}

std::chrono::seconds leafTimeoutFromEnvironment() {
    const char* timeout = std::getenv("ZORVAN_TIMEOUT");
    return timeout != nullptr ? readTimeout("ZORVAN_TIMEOUT", timeout) : defaultLeafTimeout;
}

} // namespace zorvan::testing
