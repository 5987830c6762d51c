#include <zorvan/mac.hpp>

#include <algorithm>
#include <cstdint>

namespace zorvan::detail {

bool tagMatches(const Bytes& fullTag, const Bytes& tag) noexcept {
    if (tag.size() > fullTag.size() || tag.size() < std::min(minimumTagOctets, fullTag.size())) {
        return false;
    }
    // Every octet is compared, so the time taken does not say where a forgery went wrong.
    std::uint8_t difference = 0;
    for (std::size_t i = 0; i < tag.size(); ++i) {
        difference |= static_cast<std::uint8_t>(fullTag[i] ^ tag[i]);
    }
    return difference == 0;
}

} // namespace zorvan::detail
