#include <zorvan/aead_modes.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::detail {

namespace {

constexpr std::size_t blockBytes = 16; // GCM and CCM run over 128-bit blocks
using Block = std::array<std::uint8_t, blockBytes>;

// ---- GF(2^128) as GCM numbers it: the first octet's top bit is the coefficient of x^0.

struct FieldElement {
    std::uint64_t high = 0; // octets 0 to 7, big-endian
    std::uint64_t low = 0;  // octets 8 to 15
};

std::uint64_t loadBigEndian(const std::uint8_t* octets) noexcept {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        value = value << 8 | octets[i];
    }
    return value;
}

void storeBigEndian(std::uint64_t value, std::uint8_t* octets) noexcept {
    for (std::size_t i = 8; i-- > 0;) {
        octets[i] = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

FieldElement elementOf(std::span<const std::uint8_t, blockBytes> block) noexcept {
    return {loadBigEndian(block.data()), loadBigEndian(block.data() + 8)};
}

Block blockOf(FieldElement element) noexcept {
    Block block{};
    storeBigEndian(element.high, block.data());
    storeBigEndian(element.low, block.data() + 8);
    return block;
}

// SP 800-38D algorithm 1, without branches on the operands' bits.
FieldElement multiply(FieldElement x, FieldElement y) noexcept {
    constexpr std::uint64_t reduction = 0xe100000000000000;
    FieldElement product;
    for (int bit = 0; bit < 128; ++bit) {
        const std::uint64_t word = bit < 64 ? x.high : x.low;
        const std::uint64_t take = 0 - ((word >> (63 - bit % 64)) & 1);
        product.high ^= y.high & take;
        product.low ^= y.low & take;
        const std::uint64_t carry = 0 - (y.low & 1);
        y.low = (y.low >> 1) | (y.high << 63);
        y.high = (y.high >> 1) ^ (reduction & carry);
    }
    return product;
}

// x^-1 = x^(2^128 - 2).
FieldElement inverse(FieldElement x) noexcept {
    FieldElement result{0x8000000000000000, 0}; // the field's one
    FieldElement power = x;
    for (int bit = 1; bit < 128; ++bit) {
        power = multiply(power, power); // x^(2^bit)
        result = multiply(result, power);
    }
    return result;
}

FieldElement added(FieldElement a, FieldElement b) noexcept {
    return {a.high ^ b.high, a.low ^ b.low};
}

// GHASH over several strings, each zero-padded to whole blocks, then the length block.
class Ghash {
public:
    explicit Ghash(FieldElement hashKey) noexcept : hashKey_(hashKey) {}

    void absorbPadded(std::span<const std::uint8_t> octets) {
        for (std::size_t offset = 0; offset < octets.size(); offset += blockBytes) {
            Block block{};
            copyOctets(octets.subspan(offset, std::min(blockBytes, octets.size() - offset)),
                       block.data());
            absorb(elementOf(block));
        }
    }
    // The lengths in bits, each in 64 bits.
    void absorbLengths(std::uint64_t firstOctets, std::uint64_t secondOctets) noexcept {
        absorb({firstOctets * 8, secondOctets * 8});
    }
    void absorb(FieldElement block) noexcept { state_ = multiply(added(state_, block), hashKey_); }
    [[nodiscard]] FieldElement value() const noexcept { return state_; }

private:
    FieldElement hashKey_;
    FieldElement state_;
};

void requireBlock(const KeyBlocks& key, const char* mode) {
    if (key.blockOctets != blockBytes) {
        throw std::invalid_argument(std::string(mode) +
                                    " runs over a 128-bit block cipher, not a " +
                                    std::to_string(key.blockOctets * 8) + "-bit one");
    }
}

Bytes encrypted(const KeyBlocks& key, std::span<const std::uint8_t> blocks) {
    return key.encrypt(key.key, Bytes(blocks));
}

// The keystream blocks of the counter blocks from `first`, as the mode steps its counter, for
// `length` octets: all encrypted in one call to the block function.
template <class Step>
Bytes keystream(const KeyBlocks& key, Block counter, std::size_t length, Step step) {
    const std::size_t blocks = (length + blockBytes - 1) / blockBytes;
    std::vector<std::uint8_t> counters(blocks * blockBytes);
    for (std::size_t i = 0; i < blocks; ++i) {
        copyOctets(counter, counters.data() + i * blockBytes);
        step(counter);
    }
    return blocks == 0 ? Bytes() : encrypted(key, counters);
}

Bytes xored(const Bytes& text, const Bytes& stream) {
    return Bytes::create(text.size(), [&](std::span<std::uint8_t> out) {
        xorOctets(out, text.view(), stream.view().first(text.size()));
    });
}

bool sameOctets(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) noexcept {
    std::uint8_t difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<std::uint8_t>(a[i] ^ b[i]);
    }
    return difference == 0;
}

// ---- GCM

// inc32: the low 32 bits of the block count on modulo 2^32; the nonce part never changes.
void increment32(Block& counter) noexcept {
    for (std::size_t i = blockBytes; i-- > blockBytes - 4;) {
        if (++counter[i] != 0) {
            return;
        }
    }
}

FieldElement hashKeyOf(const KeyBlocks& key) {
    const Block zero{};
    const Bytes hashKey = encrypted(key, zero);
    return elementOf(std::span<const std::uint8_t, blockBytes>(hashKey.data(), blockBytes));
}

// J0: the nonce and a counter of one for a 96-bit nonce, GHASH of the nonce otherwise.
Block preCounter(FieldElement hashKey, const Bytes& nonce) {
    if (nonce.size() == 12) {
        Block counter{};
        copyOctets(nonce.view(), counter.data());
        counter[15] = 1;
        return counter;
    }
    Ghash ghash(hashKey);
    ghash.absorbPadded(nonce.view());
    ghash.absorbLengths(0, nonce.size());
    return blockOf(ghash.value());
}

struct GcmRun {
    Block preCounter;
    Bytes stream; // from inc32(J0) on
};

GcmRun gcmRun(const KeyBlocks& key, FieldElement hashKey, const Bytes& nonce, std::size_t length) {
    GcmRun run{preCounter(hashKey, nonce), {}};
    Block first = run.preCounter;
    increment32(first);
    run.stream = keystream(key, first, length, increment32);
    return run;
}

Bytes gcmTag(const KeyBlocks& key, FieldElement hashKey, const Block& preCounter, const Bytes& aad,
             const Bytes& ciphertext, std::size_t tagOctets) {
    Ghash ghash(hashKey);
    ghash.absorbPadded(aad.view());
    ghash.absorbPadded(ciphertext.view());
    ghash.absorbLengths(aad.size(), ciphertext.size());
    const Block sum = blockOf(ghash.value());
    return xored(Bytes(sum), encrypted(key, preCounter)).take(tagOctets);
}

// ---- CCM

// The first block B0: flags (associated data present, the tag length, the length field's
// size), the nonce, and the payload length in the remaining octets.
Block ccmFirstBlock(const Bytes& nonce, std::size_t aadOctets, std::size_t payloadOctets,
                    std::size_t tagOctets) {
    const std::size_t lengthOctets = 15 - nonce.size();
    Block block{};
    block[0] = static_cast<std::uint8_t>((aadOctets > 0 ? 0x40 : 0) | ((tagOctets - 2) / 2) << 3 |
                                         (lengthOctets - 1));
    copyOctets(nonce.view(), block.data() + 1);
    std::uint64_t length = payloadOctets;
    for (std::size_t i = blockBytes; i-- > 1 + nonce.size();) {
        block[i] = static_cast<std::uint8_t>(length);
        length >>= 8;
    }
    return block;
}

// The associated data's length as CCM encodes it: two octets below 2^16 - 2^8, then 0xfffe and
// four octets below 2^32, else 0xffff and eight.
std::vector<std::uint8_t> ccmAadLength(std::uint64_t octets) {
    std::vector<std::uint8_t> encoded;
    std::size_t width = 2;
    if (octets >= 0xff00) {
        width = octets >> 32 == 0 ? 4 : 8;
        encoded = {0xff, static_cast<std::uint8_t>(width == 4 ? 0xfe : 0xff)};
    }
    for (std::size_t i = width; i-- > 0;) {
        encoded.push_back(static_cast<std::uint8_t>(octets >> (8 * i)));
    }
    return encoded;
}

// CBC-MAC over B0, the encoded associated data and the payload, each zero-padded to blocks.
Block ccmMac(const KeyBlocks& key, const Bytes& nonce, const Bytes& aad, const Bytes& payload,
             std::size_t tagOctets) {
    std::vector<std::uint8_t> input;
    const auto append = [&](std::span<const std::uint8_t> octets) {
        input.insert(input.end(), octets.begin(), octets.end());
        input.resize((input.size() + blockBytes - 1) / blockBytes * blockBytes);
    };
    const Block first = ccmFirstBlock(nonce, aad.size(), payload.size(), tagOctets);
    append(first);
    if (!aad.empty()) {
        std::vector<std::uint8_t> encoded = ccmAadLength(aad.size());
        encoded.insert(encoded.end(), aad.begin(), aad.end());
        append(encoded);
    }
    append(payload.view());
    Block chain{};
    for (std::size_t offset = 0; offset < input.size(); offset += blockBytes) {
        xorOctets(chain, chain, std::span(input).subspan(offset, blockBytes));
        copyOctets(encrypted(key, chain).view().first(blockBytes), chain.data());
    }
    return chain;
}

// The counter block A_i: flags (the length field's size), the nonce, then i.
Block ccmCounter(const Bytes& nonce) {
    Block counter{};
    counter[0] = static_cast<std::uint8_t>(15 - nonce.size() - 1);
    copyOctets(nonce.view(), counter.data() + 1);
    return counter;
}

void incrementFull(Block& counter) noexcept {
    incrementBigEndian(counter);
}

bool ccmPayloadFits(const Bytes& nonce, std::size_t payloadOctets) noexcept {
    const std::size_t lengthOctets = 15 - nonce.size();
    return lengthOctets >= 8 ||
           static_cast<std::uint64_t>(payloadOctets) >> (8 * lengthOctets) == 0;
}

// The keystream A_0, A_1, ...: A_0's block masks the tag, the rest the payload.
Bytes ccmStream(const KeyBlocks& key, const Bytes& nonce, std::size_t payloadOctets) {
    return keystream(key, ccmCounter(nonce), payloadOctets + blockBytes, incrementFull);
}

Bytes ccmTag(const Block& mac, const Bytes& stream, std::size_t tagOctets) {
    // Octet by octet: a tag is at most one block, and GCC 12 at -O3 misreads the bounds of
    // xored's eight-octet steps over a tag cut from a block (-Wstringop-overflow).
    const std::span<const std::uint8_t> mask = stream.view();
    return Bytes::create(tagOctets, [&](std::span<std::uint8_t> tag) {
        for (std::size_t i = 0; i < tag.size(); ++i) {
            tag[i] = static_cast<std::uint8_t>(mac[i] ^ mask[i]);
        }
    });
}

void requireLengths(BlockCipherAead mode, const Bytes& nonce, std::size_t tagOctets) {
    if (!acceptsNonceLength(mode, nonce.size()) || !acceptsTagLength(mode, tagOctets)) {
        throw std::invalid_argument(std::string(mode == BlockCipherAead::gcm ? "GCM" : "CCM") +
                                    " takes no nonce of " + std::to_string(nonce.size()) +
                                    " octets with a tag of " + std::to_string(tagOctets) +
                                    " octets");
    }
}

} // namespace

bool acceptsNonceLength(BlockCipherAead mode, std::size_t octets) noexcept {
    return mode == BlockCipherAead::gcm ? octets >= 1 : octets >= 7 && octets <= 13;
}

bool acceptsTagLength(BlockCipherAead mode, std::size_t octets) noexcept {
    if (mode == BlockCipherAead::gcm) {
        return octets == 4 || octets == 8 || (octets >= 12 && octets <= 16);
    }
    return octets >= 4 && octets <= 16 && octets % 2 == 0;
}

Sealed sealGeneric(BlockCipherAead mode, const KeyBlocks& key, const Bytes& nonce, const Bytes& aad,
                   const Bytes& plaintext, std::size_t tagOctets) {
    requireLengths(mode, nonce, tagOctets);
    if (mode == BlockCipherAead::gcm) {
        requireBlock(key, "GCM");
        const FieldElement hashKey = hashKeyOf(key);
        const GcmRun run = gcmRun(key, hashKey, nonce, plaintext.size());
        Bytes ciphertext = xored(plaintext, run.stream);
        Bytes tag = gcmTag(key, hashKey, run.preCounter, aad, ciphertext, tagOctets);
        return {std::move(ciphertext), std::move(tag)};
    }
    requireBlock(key, "CCM");
    if (!ccmPayloadFits(nonce, plaintext.size())) {
        throw std::invalid_argument("CCM with a nonce of " + std::to_string(nonce.size()) +
                                    " octets takes no payload of " +
                                    std::to_string(plaintext.size()) + " octets");
    }
    const Bytes stream = ccmStream(key, nonce, plaintext.size());
    const Block mac = ccmMac(key, nonce, aad, plaintext, tagOctets);
    return {xored(plaintext, stream.drop(blockBytes)), ccmTag(mac, stream, tagOctets)};
}

bool openGeneric(BlockCipherAead mode, const KeyBlocks& key, const Bytes& nonce, const Bytes& aad,
                 const Bytes& ciphertext, const Bytes& tag, std::size_t tagOctets,
                 std::span<std::uint8_t> plaintext) {
    if (plaintext.size() != ciphertext.size()) {
        throw std::invalid_argument("open writes " + std::to_string(ciphertext.size()) +
                                    " octets of plaintext into a buffer of " +
                                    std::to_string(plaintext.size()));
    }
    if (!acceptsNonceLength(mode, nonce.size()) || !acceptsTagLength(mode, tagOctets) ||
        tag.size() != tagOctets) {
        return false;
    }
    if (mode == BlockCipherAead::gcm) {
        requireBlock(key, "GCM");
        const FieldElement hashKey = hashKeyOf(key);
        const GcmRun run = gcmRun(key, hashKey, nonce, ciphertext.size());
        if (!sameOctets(gcmTag(key, hashKey, run.preCounter, aad, ciphertext, tagOctets).view(),
                        tag.view())) {
            return false;
        }
        xorOctets(plaintext, ciphertext.view(), run.stream.view().first(ciphertext.size()));
        return true;
    }
    requireBlock(key, "CCM");
    if (!ccmPayloadFits(nonce, ciphertext.size())) {
        return false;
    }
    const Bytes stream = ccmStream(key, nonce, ciphertext.size());
    // CCM authenticates the plaintext: it is recovered aside and released only after the check.
    const Bytes recovered = xored(ciphertext, stream.drop(blockBytes));
    const Block mac = ccmMac(key, nonce, aad, recovered, tagOctets);
    if (!sameOctets(ccmTag(mac, stream, tagOctets).view(), tag.view())) {
        return false;
    }
    copyOctets(recovered.view(), plaintext.data());
    return true;
}

Bytes gcmNonceForCounter(const KeyBlocks& key, const Bytes& counter) {
    requireBlock(key, "GCM");
    if (counter.size() != blockBytes) {
        throw std::invalid_argument("a GCM counter block is 16 octets");
    }
    // J0 = ((N·H) + L)·H for a one-block nonce N and its length block L, so
    // N = (J0·H^-1 + L)·H^-1.
    const FieldElement hashKey = hashKeyOf(key);
    const FieldElement inverted = inverse(hashKey);
    const FieldElement target =
        elementOf(std::span<const std::uint8_t, blockBytes>(counter.data(), blockBytes));
    const FieldElement lengths{0, blockBytes * 8};
    return Bytes(blockOf(multiply(added(multiply(target, inverted), lengths), inverted)));
}

} // namespace zorvan::detail
