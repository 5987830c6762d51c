#pragma once
// Helpers the backend tests share: hex vectors and reproducible random inputs.

#include <zorvan/bytes.hpp>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace zorvan {

/// PrintTo: GoogleTest shows Bytes in hex, as operator<< does, not as a list of characters.
inline void PrintTo(const Bytes& bytes, std::ostream* out) {
    *out << bytes;
}

} // namespace zorvan

namespace zorvan::backend_tests {

/// fromHex: the octets of an even-length hex text; throws std::invalid_argument otherwise.
inline Bytes fromHex(std::string_view hex) {
    const auto nibble = [](char digit) -> std::uint8_t {
        if (digit >= '0' && digit <= '9') {
            return static_cast<std::uint8_t>(digit - '0');
        }
        if (digit >= 'a' && digit <= 'f') {
            return static_cast<std::uint8_t>(digit - 'a' + 10);
        }
        if (digit >= 'A' && digit <= 'F') {
            return static_cast<std::uint8_t>(digit - 'A' + 10);
        }
        throw std::invalid_argument("not a hex digit");
    };
    if (hex.size() % 2 != 0) {
        throw std::invalid_argument("odd-length hex");
    }
    std::vector<std::uint8_t> octets;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        octets.push_back(static_cast<std::uint8_t>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
    }
    return Bytes(std::move(octets));
}

/// Random: a seeded source of octet strings, so a failure reproduces run after run.
class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    std::size_t below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(engine_);
    }

    Bytes bytes(std::size_t length) {
        std::vector<std::uint8_t> octets(length);
        for (auto& octet : octets) {
            octet = static_cast<std::uint8_t>(below(256));
        }
        return Bytes(std::move(octets));
    }

    /// chunked: the octets cut at random points, so chunk boundaries fall mid-block too.
    LazyBytes chunked(const Bytes& whole) {
        std::vector<Bytes> chunks;
        for (std::size_t start = 0; start < whole.size();) {
            const std::size_t length = 1 + below(40);
            chunks.push_back(whole.drop(start).take(length));
            start += length;
        }
        return LazyBytes::fromChunks(std::move(chunks));
    }

private:
    std::mt19937 engine_;
};

} // namespace zorvan::backend_tests
