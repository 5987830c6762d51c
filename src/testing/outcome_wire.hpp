#pragma once
// A leaf's outcome as bytes, so that it crosses the pipe from the child process that ran the
// leaf whole: status, time, message, failed check, origin and falsified case.

#include <zorvan/testing/outcome.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace zorvan::testing::detail {

/// encodeOutcome: the outcome as bytes that decodeOutcome reads back into an equal outcome,
/// in the same program. Never fails beyond allocation.
std::string encodeOutcome(const LeafOutcome& outcome);

/// decodeOutcome: the outcome that encodeOutcome made these bytes from; nothing when they are
/// cut short, run on, or hold a value out of range.
std::optional<LeafOutcome> decodeOutcome(std::string_view bytes);

} // namespace zorvan::testing::detail
