#include <Test/CMAC.hpp>

#include <Test/Crypto.hpp>
#include <Test/LawInputs.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

namespace Test::CMAC {

namespace {

using Conformance::chunked;
using Conformance::drawBytes;
using Conformance::octets;
using Conformance::patterned;
using Conformance::randomCuts;
using zorvan::Bytes;
using zorvan::LazyBytes;
namespace testing = zorvan::testing;
using testing::assertEqual;
using testing::Gen;
using Tree = testing::Test;
using Mac = std::shared_ptr<const Crypto::MacView>;
using Key = std::shared_ptr<const Crypto::MacKeyView>;

// The law names, each saying what broke when its leaf fails.
namespace names {
constexpr const char* macGroup = "MAC laws";
constexpr const char* chunkings = "TagChunkingsAgree";
constexpr const char* truncatedTags = "TruncatedTagsVerify";
constexpr const char* keySizes = "KeySizesAsClaimed";
constexpr const char* cmacGroup = "CMAC subkey laws";
constexpr const char* emptyMessage = "CMACEmptyMessageUsesK2";
constexpr const char* wholeBlocks = "CMACWholeBlocksUseK1";
constexpr const char* partialBlocks = "CMACPartialBlocksUseK2";
constexpr const char* nativeMatchesGeneric = "CMACNativeMatchesGeneric";
} // namespace names

// The chunk length of the random chunkings: about a block of the common MACs.
constexpr std::size_t chunkScale = 16;

LazyBytes whole(const Bytes& message) {
    return LazyBytes::fromChunks({message});
}

std::size_t keyOctetsOf(const Crypto::MacView& mac) {
    return mac.keyLength() / 8;
}

Key fixedKey(const Crypto::MacView& mac) {
    Key key = mac.buildKey(Crypto::keyMaterial(patterned(7, 41), mac.keyLength()));
    if (!key) {
        throw std::runtime_error("buildKey refused the laws' fixed key of " +
                                 octets(keyOctetsOf(mac)));
    }
    return key;
}

Tree tagChunkings(const Mac& mac) {
    return testing::testProperty(names::chunkings, [mac](std::uint64_t seed) {
        Gen gen(seed);
        const Key key = mac->buildKey(drawBytes(gen, keyOctetsOf(*mac)));
        return testing::implies(key != nullptr, [&] {
            const Bytes message =
                drawBytes(gen, static_cast<std::size_t>(gen.uniform(6 * chunkScale)));
            const std::vector<std::size_t> cuts = randomCuts(gen, message.size(), chunkScale);
            assertEqual(std::string(names::chunkings) + ": " + octets(message.size()),
                        key->tag(whole(message)), key->tag(chunked(message, cuts)));
            return true;
        });
    });
}

Bytes withLastBitFlipped(const Bytes& tag) {
    return Bytes::create(tag.size(), [&](std::span<std::uint8_t> out) {
        std::ranges::copy(tag.view(), out.begin());
        out.back() ^= 1;
    });
}

// verifyTag takes the tag and each truncation down to 64 bits, refuses each of them with a bit
// changed, refuses shorter truncations (an empty tag above all), a longer tag, and the tag of
// another message.
Tree truncatedTags(const Mac& mac) {
    return testing::testCase(names::truncatedTags, [mac] {
        const Key key = fixedKey(*mac);
        const std::size_t full = mac->tagLength() / 8;
        const std::size_t shortest = std::min(zorvan::minimumTagOctets, full);
        for (const std::size_t length : {std::size_t{0}, std::size_t{1}, full, full + 1}) {
            const Bytes message = patterned(length, 42);
            const Bytes tag = key->tag(whole(message));
            const std::string where =
                std::string(names::truncatedTags) + ": a message of " + octets(length) + ", ";
            assertEqual(where + "the tag's length", full, tag.size());
            for (std::size_t kept = 0; kept <= full; ++kept) {
                const Bytes truncated = tag.take(kept);
                const bool accepted = kept >= shortest;
                assertEqual(where + "verifyTag of the tag cut to " + octets(kept), accepted,
                            key->verifyTag(whole(message), truncated));
                if (kept > 0) {
                    assertEqual(where + "verifyTag of the tag cut to " + octets(kept) +
                                    " with its last bit changed",
                                false,
                                key->verifyTag(whole(message), withLastBitFlipped(truncated)));
                }
            }
            assertEqual(where + "verifyTag of the tag with an octet more", false,
                        key->verifyTag(whole(message), tag.concat(Bytes{0})));
            assertEqual(where + "verifyTag of the tag for the message with an octet more", false,
                        key->verifyTag(whole(message.concat(Bytes{0})), tag));
        }
    });
}

// buildKey takes the key length the type claims, and refuses the lengths around it, none and
// twice it: a MAC that pads or cuts a key quietly is keyed with another key than the caller's.
Tree keySizes(const Mac& mac) {
    return testing::testCase(names::keySizes, [mac] {
        const std::size_t claimed = keyOctetsOf(*mac);
        assertEqual(std::string(names::keySizes) + ": buildKey of the claimed " + octets(claimed),
                    true, mac->buildKey(patterned(claimed, 43)) != nullptr);
        const std::set<std::size_t> others{0,           1,           claimed - 1,
                                           claimed + 1, claimed + 8, 2 * claimed};
        for (const std::size_t size : others) {
            if (size != claimed && size <= 2 * claimed) {
                assertEqual(std::string(names::keySizes) + ": buildKey of " + octets(size) +
                                " must refuse it",
                            true, mac->buildKey(patterned(size, 43)) == nullptr);
            }
        }
    });
}

// ---- CMAC

struct CipherMac {
    Key mac;
    std::shared_ptr<const Crypto::KeyView> cipher;
};

void requireCipher(const Crypto::MacKeyView& key) {
    if (!key.cipherKey()) {
        throw testing::TestSkipped("the MAC type is built on no block cipher");
    }
}

// The subkey a tag was masked with, read back from the tag: the last block's input to the cipher
// (the tag decrypted) XOR the last block as CMAC pads it XOR the chaining value of the blocks
// before it (their CBC-MAC under a zero IV).
Bytes subkeyUsed(const CipherMac& key, const Bytes& message) {
    const Crypto::KeyView& cipher = *key.cipher;
    const std::size_t block = cipher.blockOctets();
    const std::size_t lastStart = message.empty() ? 0 : (message.size() - 1) / block * block;
    const Bytes last = message.drop(lastStart);
    const Bytes zeroBlock{std::span<const std::uint8_t>(std::vector<std::uint8_t>(block))};
    const Bytes chaining =
        lastStart == 0
            ? zeroBlock
            : cipher.run(Crypto::CipherMode::cbc, false, zeroBlock, message.take(lastStart)).second;
    const Bytes input = cipher.decryptBlock(key.mac->tag(whole(message)));
    return Bytes::create(block, [&](std::span<std::uint8_t> mask) {
        std::ranges::fill(mask, 0);
        std::ranges::copy(last.view(), mask.begin());
        if (last.size() < block) {
            mask[last.size()] = 0x80;
        }
        zorvan::detail::xorOctets(mask, mask, chaining.view());
        zorvan::detail::xorOctets(mask, mask, input.view());
    });
}

// A CMAC law over random keys: check(name, key, subkeys, block) for each key the type builds.
template <class Check> Tree cmacProperty(const Mac& mac, const char* law, Check check) {
    return testing::testProperty(law, [mac, law, check](std::uint64_t seed) {
        Gen gen(seed);
        const Key key = mac->buildKey(drawBytes(gen, keyOctetsOf(*mac)));
        return testing::implies(key != nullptr, [&] {
            requireCipher(*key);
            const CipherMac cmac{key, key->cipherKey()};
            const zorvan::detail::CmacSubkeys subkeys =
                zorvan::detail::cmacSubkeys(Crypto::keyBlocksOf(*cmac.cipher));
            check(std::string(law), cmac, subkeys, cmac.cipher->blockOctets(), gen);
            return true;
        });
    });
}

void assertSubkey(const std::string& law, const CipherMac& key, const Bytes& message,
                  const Bytes& expected, const char* subkeyName) {
    assertEqual(law + ": the subkey that masks the last block of " + octets(message.size()) +
                    " must be " + subkeyName,
                expected, subkeyUsed(key, message));
}

Tree emptyMessage(const Mac& mac) {
    return cmacProperty(mac, names::emptyMessage,
                        [](const std::string& law, const CipherMac& key,
                           const zorvan::detail::CmacSubkeys& subkeys, std::size_t,
                           Gen&) { assertSubkey(law, key, Bytes(), subkeys.k2, "K2"); });
}

// One, two and three whole blocks: the last is masked with K1 and never padded.
Tree wholeBlocks(const Mac& mac) {
    return cmacProperty(
        mac, names::wholeBlocks,
        [](const std::string& law, const CipherMac& key, const zorvan::detail::CmacSubkeys& subkeys,
           std::size_t block, Gen& gen) {
            for (std::size_t blocks = 1; blocks <= 3; ++blocks) {
                assertSubkey(law, key, drawBytes(gen, blocks * block), subkeys.k1, "K1");
            }
        });
}

// A last block one octet long, and one octet short of whole, after none to two whole blocks:
// padded and masked with K2.
Tree partialBlocks(const Mac& mac) {
    return cmacProperty(
        mac, names::partialBlocks,
        [](const std::string& law, const CipherMac& key, const zorvan::detail::CmacSubkeys& subkeys,
           std::size_t block, Gen& gen) {
            for (std::size_t blocks = 0; blocks <= 2; ++blocks) {
                for (const std::size_t tail : {std::size_t{1}, block - 1}) {
                    assertSubkey(law, key, drawBytes(gen, blocks * block + tail), subkeys.k2, "K2");
                }
            }
        });
}

Tree nativeMatchesGeneric(const Mac& mac) {
    return cmacProperty(
        mac, names::nativeMatchesGeneric,
        [](const std::string& law, const CipherMac& key, const zorvan::detail::CmacSubkeys&,
           std::size_t block, Gen& gen) {
            if (!key.mac->ownsCmac()) {
                throw testing::TestSkipped("the cipher key type has no cmac of its own");
            }
            const Bytes message = drawBytes(gen, static_cast<std::size_t>(gen.uniform(6 * block)));
            assertEqual(law + ": " + octets(message.size()),
                        Crypto::genericCmac(*key.cipher, whole(message)),
                        key.mac->tag(chunked(message, randomCuts(gen, message.size(), block))));
        });
}

} // namespace

std::vector<zorvan::testing::Test> macConformanceTests(const Mac& mac) {
    return {
        testing::TestGroup{names::macGroup, {tagChunkings(mac), truncatedTags(mac), keySizes(mac)}},
        testing::TestGroup{
            names::cmacGroup,
            {emptyMessage(mac), wholeBlocks(mac), partialBlocks(mac), nativeMatchesGeneric(mac)}}};
}

} // namespace Test::CMAC
