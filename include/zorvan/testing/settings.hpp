#pragma once
// Reading the runner's numbers from the command line or the environment, with one set of checks
// and messages for the ready main and the GoogleTest adapter.

#include <zorvan/testing/runner.hpp>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zorvan::testing {

/// readNumber: the unsigned 64-bit decimal number that text holds, and nothing else. Throws
/// UsageError "OPTION needs a whole number, not 'TEXT'" otherwise, option naming the option
/// or variable read.
std::uint64_t readNumber(std::string_view option, std::string_view text);

/// readPositive: readNumber for a count above 0. Throws UsageError as readNumber does, and
/// "OPTION needs a number above 0" for 0.
std::size_t readPositive(std::string_view option, std::string_view text);

/// readTimeout: readPositive for a number of seconds up to maximumLeafTimeout. Throws
/// UsageError as readPositive does, and "OPTION N is more than M seconds, the most this runner
/// allows" above it.
std::chrono::seconds readTimeout(std::string_view option, std::string_view text);

/// freshSeed: a seed from the system's random source, for runs not given one. Throws what
/// std::random_device throws when there is no random source.
std::uint64_t freshSeed();

/// checkSettingsFromEnvironment: the seed in ZORVAN_SEED (freshSeed when unset) and the cases
/// in ZORVAN_CASES (100 when unset), read as readNumber and readPositive read them. Throws
/// UsageError naming the variable and its value.
CheckSettings checkSettingsFromEnvironment();

/// leafTimeoutFromEnvironment: the time one leaf may run, from ZORVAN_TIMEOUT as readTimeout
/// reads it (defaultLeafTimeout when unset). Throws UsageError naming the variable and its value.
std::chrono::seconds leafTimeoutFromEnvironment();

} // namespace zorvan::testing
