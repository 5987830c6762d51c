#pragma once
// Test::Wycheproof::Acceptable: how the Wycheproof suites judge a test whose result is
// "acceptable" (a legitimate input some implementations refuse, such as a weak parameter).

#include <optional>
#include <string_view>

namespace Test::Wycheproof {

/// Acceptable: either (the default: the type may take the input or refuse it; what it takes must
/// still give the known answer), asValid (it must be taken, as a valid test is) or asInvalid
/// (it must be refused, as an invalid test is).
enum class Acceptable { either, asValid, asInvalid };

/// acceptableNamed: the policy named "either", "valid" or "invalid", or nothing. Never fails.
std::optional<Acceptable> acceptableNamed(std::string_view name) noexcept;

} // namespace Test::Wycheproof
