// A block cipher adapter that supplies only its block functions: Feistel64, a toy 64-bit
// Feistel cipher under a 128-bit key. The zorvan modes (ECB, CBC, CFB, OFB, CTR, strict and
// chunked) are the generic ones built on encryptBlock and decryptBlock; the property groups
// check that each mode's decryption undoes its encryption and that chunked and contiguous
// input agree. Feistel64 is no secure cipher; your adapter has the same five members.

#include <Test/Crypto.hpp>
#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/testing/main.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

class Feistel64 {
public:
    static constexpr std::size_t blockSize() { return 64; }  // bits
    static constexpr std::size_t keyLength() { return 128; } // bits: buildKey is given 16 octets

    // Any other length is refused: the suites then skip or discard what needed the key.
    static std::optional<Feistel64> buildKey(const zorvan::Bytes& key) {
        if (key.size() != keyLength() / 8) {
            return std::nullopt;
        }
        std::array<std::uint32_t, rounds> roundKeys{};
        for (std::size_t round = 0; round < rounds; ++round) {
            const std::size_t word = round % 4 * 4;
            roundKeys[round] =
                readWord(key.view().subspan(word, 4)) + static_cast<std::uint32_t>(round);
        }
        return Feistel64(roundKeys);
    }

    // One or several whole blocks, as the modes hand them over.
    [[nodiscard]] zorvan::Bytes encryptBlock(const zorvan::Bytes& blocks) const {
        return eachBlock(blocks, false);
    }
    [[nodiscard]] zorvan::Bytes decryptBlock(const zorvan::Bytes& blocks) const {
        return eachBlock(blocks, true);
    }

private:
    static constexpr std::size_t rounds = 8;

    explicit Feistel64(std::array<std::uint32_t, rounds> roundKeys) : roundKeys_(roundKeys) {}

    static std::uint32_t readWord(std::span<const std::uint8_t> octets) {
        return std::uint32_t{octets[0]} << 24 | std::uint32_t{octets[1]} << 16 |
               std::uint32_t{octets[2]} << 8 | octets[3];
    }
    static void writeWord(std::uint32_t word, std::span<std::uint8_t> octets) {
        for (std::size_t i = 0; i < 4; ++i) {
            octets[i] = static_cast<std::uint8_t>(word >> (24 - 8 * i));
        }
    }
    static std::uint32_t mix(std::uint32_t half, std::uint32_t roundKey) {
        const std::uint32_t x = (half ^ roundKey) * 0x9e3779b1u;
        return x ^ (x >> 15);
    }

    [[nodiscard]] zorvan::Bytes eachBlock(const zorvan::Bytes& blocks, bool decrypt) const {
        return zorvan::Bytes::create(blocks.size(), [&](std::span<std::uint8_t> out) {
            for (std::size_t start = 0; start + 8 <= blocks.size(); start += 8) {
                std::uint32_t left = readWord(blocks.view().subspan(start, 4));
                std::uint32_t right = readWord(blocks.view().subspan(start + 4, 4));
                for (std::size_t step = 0; step < rounds; ++step) {
                    const std::size_t round = decrypt ? rounds - 1 - step : step;
                    if (decrypt) {
                        std::swap(left, right);
                        left ^= mix(right, roundKeys_[round]);
                    } else {
                        left ^= mix(right, roundKeys_[round]);
                        std::swap(left, right);
                    }
                }
                writeWord(left, out.subspan(start, 4));
                writeWord(right, out.subspan(start + 4, 4));
            }
        });
    }

    std::array<std::uint32_t, rounds> roundKeys_;
};

static_assert(zorvan::BlockCipher<Feistel64>);

int main(int argc, char** argv) {
    return zorvan::testing::main(
        argc, argv, [] { return Test::Crypto::makeBlockCipherPropTests<Feistel64>(); });
}
