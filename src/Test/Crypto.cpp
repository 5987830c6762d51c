#include <Test/Crypto.hpp>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace Test::Crypto {

namespace {
constexpr std::uint64_t maxExtraOctets = 4096;
constexpr std::uint64_t maxChunks = 10;
} // namespace

zorvan::Bytes arbitraryBytes(zorvan::testing::Gen& gen) {
    zorvan::testing::Gen lengthPart = gen.split();
    zorvan::testing::Gen contentsPart = gen.split();
    const auto length = static_cast<std::size_t>(lengthPart.uniform(maxExtraOctets)) + 1;
    return zorvan::Bytes::create(
        length, [&](std::span<std::uint8_t> octets) { contentsPart.fill(octets); });
}

zorvan::LazyBytes arbitraryLazyBytes(zorvan::testing::Gen& gen) {
    zorvan::testing::Gen countPart = gen.split();
    zorvan::testing::Gen chunksPart = gen.split();
    std::vector<zorvan::Bytes> chunks(static_cast<std::size_t>(countPart.uniform(maxChunks)));
    for (zorvan::Bytes& chunk : chunks) {
        chunk = arbitraryBytes(chunksPart);
    }
    return zorvan::LazyBytes::fromChunks(std::move(chunks));
}

zorvan::Bytes keyMaterial(const zorvan::Bytes& seed, std::size_t keyLengthBits) {
    const std::size_t length = keyLengthBits / 8;
    std::vector<std::uint8_t> material;
    material.reserve(length);
    while (material.size() < length) {
        const std::size_t fromSeed = std::min(seed.size(), length - material.size());
        material.insert(material.end(), seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(fromSeed));
        if (material.size() < length) {
            material.push_back(0);
        }
    }
    return zorvan::Bytes(material);
}

void requireWholeOctetBlocks(std::size_t blockSizeBits) {
    if (blockSizeBits < 8) {
        throw std::invalid_argument("a block size of " + std::to_string(blockSizeBits) +
                                    " bits is below one octet: the block-cipher properties "
                                    "need blocks of at least 8 bits");
    }
}

zorvan::LazyBytes wholeBlocks(const zorvan::LazyBytes& message, std::size_t blockSizeBits) {
    requireWholeOctetBlocks(blockSizeBits);
    const std::uint64_t block = blockSizeBits / 8;
    return message.take(message.length() - message.length() % block);
}

} // namespace Test::Crypto
