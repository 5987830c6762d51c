#include <Test/Crypto.hpp>

#include <array>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

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
    // The seed followed by one zero octet, repeated and cut to the key's length.
    const std::size_t unit = seed.size() + 1;
    return zorvan::Bytes::create(keyLengthBits / 8, [&](std::span<std::uint8_t> material) {
        for (std::size_t i = 0; i < material.size(); ++i) {
            const std::size_t place = i % unit;
            material[i] = place < seed.size() ? seed[place] : 0;
        }
    });
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

zorvan::testing::Test hashPropTests(std::shared_ptr<const HashLaws> laws) {
    using zorvan::LazyBytes;
    using zorvan::testing::testProperty;
    return zorvan::testing::TestGroup{
        names::hashGroup,
        {
            testProperty(
                names::lazyStrictEqual, {"message"},
                [laws](const LazyBytes& message) { return laws->lazyStrictEqual(message); }),
            testProperty(names::digestLength, {"message"},
                         [laws](const LazyBytes& message) { return laws->digestLength(message); }),
            testProperty(names::getPutHash, {"message"},
                         [laws](const LazyBytes& message) { return laws->getPutHash(message); }),
            testProperty(names::blockLengthAligned, [laws] { return laws->blockLengthAligned(); }),
            testProperty(names::outputLengthAligned,
                         [laws] { return laws->outputLengthAligned(); }),
        }};
}

std::vector<zorvan::testing::Test> blockCipherPropTests(std::shared_ptr<const CipherLaws> laws) {
    using zorvan::Bytes;
    using zorvan::LazyBytes;
    using zorvan::testing::testProperty;
    struct ModeNames {
        const char* identity;
        const char* agreement;
    };
    // In the order of detail::ivModes.
    constexpr std::array<ModeNames, 4> ivModeNames{{
        {"CBCEncDecID", "CBCStrictLazyEq"},
        {"CFBEncDecID", "CFBStrictLazyEq"},
        {"OFBEncDecID", "OFBStrictLazyEq"},
        {"CTREncDecID", "CTRStrictLazyEq"},
    }};
    std::vector<zorvan::testing::Test> identity{
        testProperty(names::ecbIdentity, {"keySeed", "message"},
                     [laws](const Bytes& keySeed, const Bytes& message) {
                         return laws->ecbIdentity(keySeed, message);
                     })};
    std::vector<zorvan::testing::Test> agreement{
        testProperty(names::ecbAgreement, {"keySeed", "message"},
                     [laws](const Bytes& keySeed, const LazyBytes& message) {
                         return laws->ecbAgreement(keySeed, message);
                     })};
    for (std::size_t mode = 0; mode < ivModeNames.size(); ++mode) {
        identity.push_back(testProperty(
            ivModeNames[mode].identity, {"keySeed", "ivBytes", "message"},
            [laws, mode](const Bytes& keySeed, const Bytes& ivBytes, const Bytes& message) {
                return laws->ivIdentity(mode, keySeed, ivBytes, message);
            }));
        agreement.push_back(testProperty(
            ivModeNames[mode].agreement, {"keySeed", "ivBytes", "message"},
            [laws, mode](const Bytes& keySeed, const Bytes& ivBytes, const LazyBytes& message) {
                return laws->ivAgreement(mode, keySeed, ivBytes, message);
            }));
    }
    return {zorvan::testing::TestGroup{names::identityGroup, std::move(identity)},
            zorvan::testing::TestGroup{names::agreementGroup, std::move(agreement)}};
}

} // namespace Test::Crypto
