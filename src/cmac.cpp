#include <zorvan/cmac.hpp>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::detail {

namespace {

// R of SP 800-38B: the low octet of the reduction polynomial for the block length.
std::uint8_t reductionConstant(std::size_t blockOctets) {
    switch (blockOctets) {
    case 16:
        return 0x87;
    case 8:
        return 0x1b;
    default:
        throw std::invalid_argument("CMAC is defined on blocks of 8 or 16 octets, not " +
                                    std::to_string(blockOctets));
    }
}

// The chaining value of CMAC: the cipher applied to each block XORed into it, the last block
// held back until the message ends, since its mask depends on whether it is whole.
class Chain {
public:
    explicit Chain(const KeyBlocks& key) : key_(key), block_(key.blockOctets), state_(block_) {
        reductionConstant(block_);
    }

    void absorb(std::span<const std::uint8_t> octets) {
        for (const std::uint8_t octet : octets) {
            if (filled_ == block_) {
                encryptState();
            }
            state_[filled_++] ^= octet;
        }
    }

    // The tag: the held-back block masked with K1 when whole, padded with 10...0 and masked
    // with K2 otherwise (the empty message too).
    Bytes finish() {
        const CmacSubkeys subkeys = cmacSubkeys(key_);
        const Bytes& mask = filled_ == block_ ? subkeys.k1 : subkeys.k2;
        if (filled_ < block_) {
            state_[filled_] ^= 0x80;
        }
        xorOctets(state_, state_, mask.view());
        return key_.encrypt(key_.key, Bytes(state_));
    }

private:
    void encryptState() {
        const Bytes encrypted = key_.encrypt(key_.key, Bytes(state_));
        if (encrypted.size() != block_) {
            throw std::logic_error("the cipher gave " + std::to_string(encrypted.size()) +
                                   " octets for a block of " + std::to_string(block_));
        }
        std::copy_n(encrypted.begin(), block_, state_.begin());
        filled_ = 0;
    }

    const KeyBlocks& key_;
    std::size_t block_;
    std::vector<std::uint8_t> state_;
    std::size_t filled_ = 0;
};

} // namespace

Bytes doubleSubkey(const Bytes& block) {
    const std::uint8_t constant = reductionConstant(block.size());
    return Bytes::create(block.size(), [&](std::span<std::uint8_t> doubled) {
        for (std::size_t i = 0; i < block.size(); ++i) {
            const std::uint8_t carry = i + 1 < block.size() ? block[i + 1] >> 7 : 0;
            doubled[i] = static_cast<std::uint8_t>(block[i] << 1 | carry);
        }
        if ((block[0] & 0x80) != 0) {
            doubled.back() ^= constant;
        }
    });
}

CmacSubkeys cmacSubkeys(const KeyBlocks& key) {
    Bytes k1 =
        doubleSubkey(key.encrypt(key.key, Bytes(std::vector<std::uint8_t>(key.blockOctets))));
    Bytes k2 = doubleSubkey(k1);
    return {std::move(k1), std::move(k2)};
}

Bytes runCmac(const KeyBlocks& key, const LazyBytes& message) {
    Chain chain(key);
    for (const Bytes& chunk : message.toChunks()) {
        chain.absorb(chunk.view());
    }
    return chain.finish();
}

} // namespace zorvan::detail
