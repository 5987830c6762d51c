#pragma once
// Fnv1a32: the 32-bit FNV-1a hash adapted to zorvan::Hash, and the tests this example runs on it.
// FNV-1a is no cryptographic hash, but it is a real one and short enough to read at a glance:
// the adapter for your own digest type has the same members.

#include <Test/Crypto.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

class Fnv1a32 {
public:
    static constexpr std::size_t outputLength() { return 32; } // bits
    // FNV has no blocks; HMAC pads keys to this length.
    static constexpr std::size_t blockLength() { return 32; } // bits

    class Context {
    public:
        void update(std::span<const std::uint8_t> octets) {
            for (const std::uint8_t octet : octets) {
                state_ = (state_ ^ octet) * 16777619u; // the 32-bit FNV prime
            }
        }
        [[nodiscard]] Fnv1a32 finalize() const { return Fnv1a32{state_}; }

    private:
        std::uint32_t state_ = 2166136261u; // the 32-bit FNV offset basis
    };

    // The builders take a witness of the type; makeHashPropTests<Fnv1a32>() makes one this way.
    Fnv1a32() = default;

    /// encode: the four octets, most significant first, as FNV test vectors print them.
    [[nodiscard]] zorvan::Bytes encode() const {
        return {static_cast<std::uint8_t>(value_ >> 24), static_cast<std::uint8_t>(value_ >> 16),
                static_cast<std::uint8_t>(value_ >> 8), static_cast<std::uint8_t>(value_)};
    }

    /// get: the digest encoded in the first four octets; nothing when there are fewer.
    static std::optional<Fnv1a32> get(const zorvan::Bytes& octets) {
        if (octets.size() < 4) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = (value << 8) | octets[i];
        }
        return Fnv1a32{value};
    }

    friend bool operator==(const Fnv1a32&, const Fnv1a32&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Fnv1a32& digest) {
        return out << digest.encode();
    }

private:
    explicit Fnv1a32(std::uint32_t value) : value_(value) {}

    std::uint32_t value_ = 0;
};

/// fnv1aTests: the library's hash property group for Fnv1a32, then our own known answers
/// (from the FNV reference test vectors) beside it.
inline std::vector<zorvan::testing::Test> fnv1aTests() {
    using zorvan::Bytes;
    const auto knownAnswer = [](std::string name, std::string message, Bytes expected) {
        return zorvan::testing::testCase(std::move(name), [message, expected] {
            const Bytes actual = zorvan::hashStrict<Fnv1a32>(Bytes::fromText(message)).encode();
            zorvan::testing::assertEqual("FNV-1a of \"" + message + "\"", expected, actual);
        });
    };
    return {
        Test::Crypto::makeHashPropTests<Fnv1a32>(),
        zorvan::testing::TestGroup{"FNV-1a known answers",
                                   {knownAnswer("empty", "", {0x81, 0x1c, 0x9d, 0xc5}),
                                    knownAnswer("a", "a", {0xe4, 0x0c, 0x29, 0x2c}),
                                    knownAnswer("foobar", "foobar", {0xbf, 0x9c, 0xf9, 0x68})}},
    };
}
