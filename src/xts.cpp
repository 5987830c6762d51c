#include <zorvan/xts.hpp>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::detail {

namespace {

using Block = std::array<std::uint8_t, xtsBlockOctets>;

void requireXtsInputs(const KeyBlocks& dataKey, const KeyBlocks& tweakKey, const Bytes& tweak,
                      const Bytes& dataUnit) {
    if (dataKey.blockOctets != xtsBlockOctets || tweakKey.blockOctets != xtsBlockOctets) {
        throw std::invalid_argument("XTS needs a cipher of 16-octet blocks, not " +
                                    std::to_string(dataKey.blockOctets) + "-octet ones");
    }
    if (tweak.size() != xtsBlockOctets) {
        throw std::invalid_argument("an XTS tweak is 16 octets, not " +
                                    std::to_string(tweak.size()));
    }
    if (dataUnit.size() < xtsBlockOctets) {
        throw std::invalid_argument("an XTS data unit of " + std::to_string(dataUnit.size()) +
                                    " octets is shorter than one 16-octet block");
    }
}

// The blocks in through the cipher, each whitened before and after with its tweak: the tweaks
// are laid out first, so that the cipher gets all blocks in one call.
void whitenedBlocks(const KeyBlocks& key, bool decrypt, std::span<const std::uint8_t> in,
                    std::span<const std::uint8_t> tweaks, std::span<std::uint8_t> out) {
    std::vector<std::uint8_t> whitened(in.size());
    xorOctets(whitened, in, tweaks);
    const Bytes processed = (decrypt ? key.decrypt : key.encrypt)(key.key, Bytes(whitened));
    xorOctets(out, processed.view(), tweaks);
}

} // namespace

void multiplyByAlpha(std::span<std::uint8_t, xtsBlockOctets> tweak) noexcept {
    std::uint8_t carry = 0;
    for (std::uint8_t& octet : tweak) {
        const auto next = static_cast<std::uint8_t>(octet >> 7);
        octet = static_cast<std::uint8_t>(octet << 1 | carry);
        carry = next;
    }
    if (carry != 0) {
        tweak[0] ^= 0x87;
    }
}

Bytes runXts(const KeyBlocks& dataKey, const KeyBlocks& tweakKey, const Bytes& tweak,
             const Bytes& dataUnit, bool decrypt) {
    requireXtsInputs(dataKey, tweakKey, tweak, dataUnit);
    const std::size_t tail = dataUnit.size() % xtsBlockOctets;
    // With a partial last block, the last whole block is stolen from, so it is not in the run.
    const std::size_t runBlocks = dataUnit.size() / xtsBlockOctets - (tail == 0 ? 0 : 1);
    // The tweak of every block the cipher sees: with stealing, one more than the run.
    const std::size_t tweakCount = runBlocks + (tail == 0 ? 0 : 2);
    std::vector<std::uint8_t> tweaks(tweakCount * xtsBlockOctets);
    copyOctets(tweakKey.encrypt(tweakKey.key, tweak).view(), tweaks.data());
    for (std::size_t block = 1; block < tweakCount; ++block) {
        const auto next = std::span(tweaks).subspan(block * xtsBlockOctets).first<xtsBlockOctets>();
        copyOctets(std::span(tweaks).subspan((block - 1) * xtsBlockOctets, xtsBlockOctets),
                   next.data());
        multiplyByAlpha(next);
    }
    const std::size_t runOctets = runBlocks * xtsBlockOctets;
    return Bytes::create(dataUnit.size(), [&](std::span<std::uint8_t> out) {
        const std::span<const std::uint8_t> in = dataUnit.view();
        if (runOctets > 0) {
            whitenedBlocks(dataKey, decrypt, in.first(runOctets),
                           std::span(tweaks).first(runOctets), out.first(runOctets));
        }
        if (tail == 0) {
            return;
        }
        // Ciphertext stealing: the last whole block goes through the cipher under its tweak,
        // its first octets become the short last block, and the short block, filled up with
        // the rest, goes through under the next tweak into the last whole block's place. On
        // decryption the two tweaks are taken in the other order.
        const auto tweakAt = [&tweaks](std::size_t block) {
            return std::span<const std::uint8_t>(tweaks).subspan(block * xtsBlockOctets,
                                                                 xtsBlockOctets);
        };
        Block stolen{};
        whitenedBlocks(dataKey, decrypt, in.subspan(runOctets, xtsBlockOctets),
                       tweakAt(decrypt ? runBlocks + 1 : runBlocks), stolen);
        Block filled = stolen;
        copyOctets(in.subspan(runOctets + xtsBlockOctets), filled.data());
        copyOctets(std::span(stolen).first(tail), out.data() + runOctets + xtsBlockOctets);
        whitenedBlocks(dataKey, decrypt, filled, tweakAt(decrypt ? runBlocks : runBlocks + 1),
                       out.subspan(runOctets, xtsBlockOctets));
    });
}

} // namespace zorvan::detail
