#pragma once
// Text from the code under test (exception messages, file names, vector fields) may hold any
// bytes; these make it safe for a terminal and for XML without hiding what it held.

#include <string>
#include <string_view>

namespace zorvan::testing::detail {

/// visibleText: the text as valid UTF-8 with no control characters: each byte that is not
/// part of a well-formed UTF-8 character, and each control character other than line feed
/// and tab (escape and DEL included, C1 controls too), becomes "\xNN" (a backslash is left
/// alone). Never fails.
std::string visibleText(std::string_view text);

/// xmlText: visibleText with '&', '<', '>' and '"' as XML entities, for element text and
/// attribute values. Never fails.
std::string xmlText(std::string_view text);

} // namespace zorvan::testing::detail
