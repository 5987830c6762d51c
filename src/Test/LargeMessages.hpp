#pragma once
// Test::LargeMessages: the messages of large data tests (gigabytes described by a short content
// repeated), fed to a hash piece by piece from one buffer, so that memory stays a few MiB
// whatever their length.

#include <Test/Crypto/HashView.hpp>

#include <cstddef>
#include <cstdint>
#include <span>

namespace Test::LargeMessages {

/// pieceTarget: about how many octets each piece holds: enough that the type's per-call cost
/// vanishes, few enough to stay in cache.
inline constexpr std::size_t pieceTarget = std::size_t{1} << 20;

/// feedRepeating: the message of totalOctets octets that is content repeated (the last repeat
/// cut short where totalOctets ends inside it), handed to sink in pieces of about pieceTarget
/// octets, each starting at a whole repeat; nothing for an empty content or message. Throws
/// what sink throws, and std::bad_alloc.
void feedRepeating(std::span<const std::uint8_t> content, std::uint64_t totalOctets,
                   const Crypto::HashView::PieceSink& sink);

} // namespace Test::LargeMessages
