#include "LargeMessages.hpp"

#include <algorithm>
#include <vector>

namespace Test::LargeMessages {

void feedRepeating(std::span<const std::uint8_t> content, std::uint64_t totalOctets,
                   const Crypto::HashView::PieceSink& sink) {
    if (content.empty() || totalOctets == 0) {
        return;
    }
    // Whole repeats only, so that every piece starts where the content does.
    const std::size_t repeats = std::max<std::size_t>(1, pieceTarget / content.size());
    std::vector<std::uint8_t> piece(repeats * content.size());
    for (auto start = piece.begin(); start != piece.end(); start += std::ssize(content)) {
        std::ranges::copy(content, start);
    }
    for (std::uint64_t left = totalOctets; left > 0;) {
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(left, piece.size()));
        sink(std::span<const std::uint8_t>(piece).first(size));
        left -= size;
    }
}

} // namespace Test::LargeMessages
