#include <Test/Crypto.hpp>

#include <algorithm>
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

namespace {

// The value with the octets from begin to end set to zero.
zorvan::Bytes zeroed(const zorvan::Bytes& value, std::size_t begin, std::size_t end) {
    return zorvan::Bytes::create(value.size(), [&](std::span<std::uint8_t> octets) {
        std::copy(value.begin(), value.end(), octets.begin());
        std::fill(octets.begin() + static_cast<std::ptrdiff_t>(begin),
                  octets.begin() + static_cast<std::ptrdiff_t>(end), 0);
    });
}

bool allZero(std::span<const std::uint8_t> octets) {
    return std::all_of(octets.begin(), octets.end(), [](std::uint8_t octet) { return octet == 0; });
}

// Blocks of at least a 64th of the value, so that a long value gives few candidates.
constexpr std::size_t finestZeroedBlocks = 64;

} // namespace

std::vector<zorvan::Bytes> shrinkBytes(const zorvan::Bytes& value) {
    std::vector<zorvan::Bytes> smaller;
    for (const std::uint64_t length : zorvan::testing::smallerCounts(value.size(), 1)) {
        smaller.push_back(value.take(static_cast<std::size_t>(length)));
    }
    if (allZero(value.view())) {
        return smaller;
    }
    smaller.push_back(zeroed(value, 0, value.size()));
    const std::size_t finest = std::max<std::size_t>(1, value.size() / finestZeroedBlocks);
    for (std::size_t block = value.size() / 2; block >= finest; block /= 2) {
        for (std::size_t begin = 0; begin < value.size(); begin += block) {
            const std::size_t end = std::min(value.size(), begin + block);
            if (!allZero(value.view().subspan(begin, end - begin))) {
                smaller.push_back(zeroed(value, begin, end));
            }
        }
    }
    return smaller;
}

std::vector<zorvan::LazyBytes> shrinkLazyBytes(const zorvan::LazyBytes& value) {
    const std::vector<zorvan::Bytes>& chunks = value.toChunks();
    std::vector<zorvan::LazyBytes> smaller;
    for (std::size_t dropped = 0; dropped < chunks.size(); ++dropped) {
        std::vector<zorvan::Bytes> fewer = chunks;
        fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(dropped));
        smaller.push_back(zorvan::LazyBytes::fromChunks(std::move(fewer)));
    }
    for (const std::uint64_t length : zorvan::testing::smallerCounts(value.length())) {
        smaller.push_back(value.take(length));
    }
    const zorvan::Bytes joined = value.toStrict();
    if (chunks.size() > 1) {
        smaller.push_back(zorvan::LazyBytes::fromChunks({joined}));
    }
    if (!allZero(joined.view())) {
        std::vector<zorvan::Bytes> zeros;
        zeros.reserve(chunks.size());
        for (const zorvan::Bytes& chunk : chunks) {
            zeros.push_back(zeroed(chunk, 0, chunk.size()));
        }
        smaller.push_back(zorvan::LazyBytes::fromChunks(std::move(zeros)));
    }
    for (std::size_t halved = 0; halved < chunks.size(); ++halved) {
        if (chunks[halved].size() > 1) {
            std::vector<zorvan::Bytes> shorter = chunks;
            shorter[halved] = chunks[halved].take(chunks[halved].size() / 2);
            smaller.push_back(zorvan::LazyBytes::fromChunks(std::move(shorter)));
        }
    }
    return smaller;
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

namespace {

// The hash properties, over the view's digests and its own equality.
bool lazyStrictEqual(const HashView& hash, const zorvan::LazyBytes& message) {
    return hash.equal(hash.hash(message), hash.hashStrict(message.toStrict()));
}

bool digestLength(const HashView& hash, const zorvan::LazyBytes& message) {
    const std::size_t octets = hash.outputLength() / 8;
    return hash.encode(hash.hash(message)).size() == octets &&
           hash.encode(hash.hashStrict(message.toStrict())).size() == octets;
}

bool getPutHash(const HashView& hash, const zorvan::LazyBytes& message) {
    const Digest digest = hash.hashStrict(message.toStrict());
    const std::optional<Digest> readBack = hash.get(hash.encode(digest));
    return readBack.has_value() && hash.equal(*readBack, digest);
}

} // namespace

zorvan::testing::Test hashPropTests(const std::shared_ptr<const HashView>& hash) {
    using zorvan::LazyBytes;
    using zorvan::testing::testProperty;
    return zorvan::testing::TestGroup{
        names::hashGroup,
        {
            testProperty(
                names::lazyStrictEqual, {"message"},
                [hash](const LazyBytes& message) { return lazyStrictEqual(*hash, message); }),
            testProperty(names::digestLength, {"message"},
                         [hash](const LazyBytes& message) { return digestLength(*hash, message); }),
            testProperty(names::getPutHash, {"message"},
                         [hash](const LazyBytes& message) { return getPutHash(*hash, message); }),
            testProperty(names::blockLengthAligned,
                         [hash] { return hash->blockLength() % 8 == 0; }),
            testProperty(names::outputLengthAligned,
                         [hash] { return hash->outputLength() % 8 == 0; }),
        }};
}

namespace {

using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::testing::Result;

std::shared_ptr<const KeyView> keyFrom(const CipherView& cipher, const Bytes& seed) {
    return cipher.buildKey(keyMaterial(seed, cipher.keyLength()));
}

// Law of ECB's identity: decryption undoes encryption of the padded message.
Result ecbIdentity(const CipherView& cipher, const Bytes& keySeed, const Bytes& message) {
    const auto key = keyFrom(cipher, keySeed);
    return zorvan::testing::implies(key != nullptr, [&] {
        const Bytes padded = zorvan::detail::padESP(message, key->blockOctets());
        const Bytes ciphertext = key->run(CipherMode::ecb, false, {}, padded).first;
        const std::optional<Bytes> unpadded =
            zorvan::unpadESP(key->run(CipherMode::ecb, true, {}, ciphertext).first);
        return unpadded.has_value() && *unpadded == message;
    });
}

// Law of ECB's agreement: on whole blocks, chunked and contiguous input give the same output
// both ways; the decryptions run on the plaintext itself, read as ciphertext.
Result ecbAgreement(const CipherView& cipher, const Bytes& keySeed, const LazyBytes& message) {
    const auto key = keyFrom(cipher, keySeed);
    return zorvan::testing::implies(key != nullptr, [&] {
        const LazyBytes chunked = wholeBlocks(message, cipher.blockSize());
        const Bytes contiguous = chunked.toStrict();
        const auto agree = [&](bool decrypt) {
            return key->run(CipherMode::ecb, decrypt, {}, contiguous).first ==
                   key->runLazy(CipherMode::ecb, decrypt, {}, chunked).first.toStrict();
        };
        return agree(false) && agree(true);
    });
}

// Law of an IV mode's identity: decryption from the same IV gives back the padded message and
// the same next IV as encryption.
Result ivIdentity(const CipherView& cipher, CipherMode mode, const Bytes& keySeed,
                  const Bytes& ivBytes, const Bytes& message) {
    const auto key = keyFrom(cipher, keySeed);
    const std::optional<Bytes> iv = cipher.readIV(ivBytes);
    return zorvan::testing::implies(key != nullptr && iv.has_value(), [&] {
        const Bytes padded = zorvan::detail::padESP(message, key->blockOctets());
        const auto [ciphertext, ivAfterEncryption] = key->run(mode, false, *iv, padded);
        const auto [plaintext, ivAfterDecryption] = key->run(mode, true, *iv, ciphertext);
        return plaintext == padded && ivAfterDecryption == ivAfterEncryption;
    });
}

// Law of an IV mode's agreement: on whole blocks, chunked and contiguous input give the same
// output and next IV, both ways (chunk boundaries and the IV carried between chunks).
Result ivAgreement(const CipherView& cipher, CipherMode mode, const Bytes& keySeed,
                   const Bytes& ivBytes, const LazyBytes& message) {
    const auto key = keyFrom(cipher, keySeed);
    const std::optional<Bytes> iv = cipher.readIV(ivBytes);
    return zorvan::testing::implies(key != nullptr && iv.has_value(), [&] {
        const LazyBytes chunked = wholeBlocks(message, cipher.blockSize());
        const Bytes contiguous = chunked.toStrict();
        const auto agree = [&](bool decrypt) {
            const auto lazy = key->runLazy(mode, decrypt, *iv, chunked);
            const auto strict = key->run(mode, decrypt, *iv, contiguous);
            return lazy.first.toStrict() == strict.first && lazy.second == strict.second;
        };
        return agree(false) && agree(true);
    });
}

} // namespace

std::vector<zorvan::testing::Test>
blockCipherPropTests(const std::shared_ptr<const CipherView>& cipher) {
    using zorvan::testing::testProperty;
    requireWholeOctetBlocks(cipher->blockSize());
    struct IvMode {
        CipherMode mode;
        const char* identity;
        const char* agreement;
    };
    constexpr std::array<IvMode, 4> ivModes{{
        {CipherMode::cbc, "CBCEncDecID", "CBCStrictLazyEq"},
        {CipherMode::cfb, "CFBEncDecID", "CFBStrictLazyEq"},
        {CipherMode::ofb, "OFBEncDecID", "OFBStrictLazyEq"},
        {CipherMode::ctr, "CTREncDecID", "CTRStrictLazyEq"},
    }};
    std::vector<zorvan::testing::Test> identity{
        testProperty(names::ecbIdentity, {"keySeed", "message"},
                     [cipher](const Bytes& keySeed, const Bytes& message) {
                         return ecbIdentity(*cipher, keySeed, message);
                     })};
    std::vector<zorvan::testing::Test> agreement{
        testProperty(names::ecbAgreement, {"keySeed", "message"},
                     [cipher](const Bytes& keySeed, const LazyBytes& message) {
                         return ecbAgreement(*cipher, keySeed, message);
                     })};
    for (const IvMode& ivMode : ivModes) {
        const CipherMode mode = ivMode.mode;
        identity.push_back(testProperty(
            ivMode.identity, {"keySeed", "ivBytes", "message"},
            [cipher, mode](const Bytes& keySeed, const Bytes& ivBytes, const Bytes& message) {
                return ivIdentity(*cipher, mode, keySeed, ivBytes, message);
            }));
        agreement.push_back(testProperty(
            ivMode.agreement, {"keySeed", "ivBytes", "message"},
            [cipher, mode](const Bytes& keySeed, const Bytes& ivBytes, const LazyBytes& message) {
                return ivAgreement(*cipher, mode, keySeed, ivBytes, message);
            }));
    }
    return {zorvan::testing::TestGroup{names::identityGroup, std::move(identity)},
            zorvan::testing::TestGroup{names::agreementGroup, std::move(agreement)}};
}

} // namespace Test::Crypto
