#pragma once
// Keccak-f[1600] of FIPS 202 for the tests' own sponges (the SHA-3 digests of the Monte Carlo
// tests), and a SHAKE of the tests' own whose suffix octet and squeeze position are parameters,
// so that a test can build XOFs broken the ways real ones have been.

#include <zorvan/bytes.hpp>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace keccak {

/// permutation: Keccak-f[1600] of the state.
inline std::array<std::uint64_t, 25> permutation(std::array<std::uint64_t, 25> state) {
    constexpr std::array<std::uint64_t, 24> roundConstants{
        0x0000000000000001, 0x0000000000008082, 0x800000000000808a, 0x8000000080008000,
        0x000000000000808b, 0x0000000080000001, 0x8000000080008081, 0x8000000000008009,
        0x000000000000008a, 0x0000000000000088, 0x0000000080008009, 0x000000008000000a,
        0x000000008000808b, 0x800000000000008b, 0x8000000000008089, 0x8000000000008003,
        0x8000000000008002, 0x8000000000000080, 0x000000000000800a, 0x800000008000000a,
        0x8000000080008081, 0x8000000000008080, 0x0000000080000001, 0x8000000080008008};
    constexpr std::array<int, 25> rotations{0,  1,  62, 28, 27, 36, 44, 6,  55, 20, 3,  10, 43,
                                            25, 39, 41, 45, 15, 21, 8,  18, 2,  61, 56, 14};
    for (const std::uint64_t roundConstant : roundConstants) {
        std::array<std::uint64_t, 5> column{};
        for (std::size_t x = 0; x < 5; ++x) {
            column[x] = state[x] ^ state[x + 5] ^ state[x + 10] ^ state[x + 15] ^ state[x + 20];
        }
        for (std::size_t x = 0; x < 5; ++x) {
            const std::uint64_t theta = column[(x + 4) % 5] ^ std::rotl(column[(x + 1) % 5], 1);
            for (std::size_t y = 0; y < 25; y += 5) {
                state[x + y] ^= theta;
            }
        }
        std::array<std::uint64_t, 25> moved{};
        for (std::size_t x = 0; x < 5; ++x) {
            for (std::size_t y = 0; y < 5; ++y) {
                moved[y + 5 * ((2 * x + 3 * y) % 5)] =
                    std::rotl(state[x + 5 * y], rotations[x + 5 * y]);
            }
        }
        for (std::size_t y = 0; y < 25; y += 5) {
            for (std::size_t x = 0; x < 5; ++x) {
                state[x + y] = moved[x + y] ^ (~moved[(x + 1) % 5 + y] & moved[(x + 2) % 5 + y]);
            }
        }
        state[0] ^= roundConstant;
    }
    return state;
}

/// Sponge: Keccak[c] of rate `rate` octets with domain suffix `suffix` (0x1f for SHAKE, 0x06 for
/// SHA-3). With restartSqueeze, every squeeze call starts again from the first output block.
class Sponge {
public:
    Sponge(std::size_t rate, std::uint8_t suffix, bool restartSqueeze)
        : rate_(rate), suffix_(suffix), restartSqueeze_(restartSqueeze) {}

    void absorb(std::span<const std::uint8_t> octets) {
        for (const std::uint8_t octet : octets) {
            xorOctet(position_++, octet);
            if (position_ == rate_) {
                state_ = permutation(state_);
                position_ = 0;
            }
        }
    }

    zorvan::Bytes squeeze(std::size_t length) {
        if (!squeezing_) {
            xorOctet(position_, suffix_);
            xorOctet(rate_ - 1, 0x80);
            state_ = permutation(state_);
            firstBlock_ = state_;
            squeezing_ = true;
            position_ = 0;
        } else if (restartSqueeze_) {
            state_ = firstBlock_;
            position_ = 0;
        }
        return zorvan::Bytes::create(length, [&](std::span<std::uint8_t> out) {
            for (std::uint8_t& octet : out) {
                if (position_ == rate_) {
                    state_ = permutation(state_);
                    position_ = 0;
                }
                octet = static_cast<std::uint8_t>(state_[position_ / 8] >> (8 * (position_ % 8)));
                ++position_;
            }
        });
    }

private:
    void xorOctet(std::size_t at, std::uint8_t octet) {
        state_[at / 8] ^= std::uint64_t{octet} << (8 * (at % 8));
    }

    std::size_t rate_;
    std::uint8_t suffix_;
    bool restartSqueeze_;
    std::array<std::uint64_t, 25> state_{};
    std::array<std::uint64_t, 25> firstBlock_{};
    std::size_t position_ = 0;
    bool squeezing_ = false;
};

} // namespace keccak
