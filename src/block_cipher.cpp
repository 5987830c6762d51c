#include <zorvan/block_cipher.hpp>

namespace zorvan {

std::optional<Bytes> unpadESP(const Bytes& padded) {
    if (padded.empty()) {
        return std::nullopt;
    }
    const std::size_t padLength = padded[padded.size() - 1];
    if (padLength + 1 > padded.size()) {
        return std::nullopt;
    }
    const std::size_t messageLength = padded.size() - 1 - padLength;
    for (std::size_t i = 0; i < padLength; ++i) {
        if (padded[messageLength + i] != static_cast<std::uint8_t>(i + 1)) {
            return std::nullopt;
        }
    }
    return padded.take(messageLength);
}

namespace detail {

void throwPartialBlock(const char* mode, std::size_t length, std::size_t block) {
    throw std::invalid_argument(std::string(mode) + " input of " + std::to_string(length) +
                                " octets is not a whole number of " + std::to_string(block) +
                                "-octet blocks");
}

} // namespace detail
} // namespace zorvan
