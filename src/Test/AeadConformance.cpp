#include <Test/AeadConformance.hpp>

#include <Test/LawInputs.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace Test::AeadConformance {

namespace {

using Conformance::chunked;
using Conformance::drawBytes;
using Conformance::patterned;
using Conformance::randomCuts;
using zorvan::Bytes;
using zorvan::Sealed;
using zorvan::testing::assertEqual;
using zorvan::testing::Gen;
using zorvan::testing::testCase;
using zorvan::testing::TestGroup;
using zorvan::testing::testProperty;
using Tree = zorvan::testing::Test;
using Aead = std::shared_ptr<const Crypto::AeadView>;
using Key = std::shared_ptr<const Crypto::AeadKeyView>;

// The law names, each saying what broke when its leaf fails.
namespace names {
constexpr const char* roundTripGroup = "Seal and open laws";
constexpr const char* openUndoesSeal = "OpenUndoesSeal";
constexpr const char* emptyInputs = "EmptyInputs";
constexpr const char* everyNonceLength = "EveryNonceLength";
constexpr const char* everyTagLength = "EveryTagLength";
constexpr const char* forgeryGroup = "Forgery laws";
constexpr const char* flippedBit = "FlippedBitRefused";
constexpr const char* tagLength = "TruncatedOrExtendedTagRefused";
constexpr const char* refusalWritesNothing = "RefusalWritesNothing";
constexpr const char* chunkedGroup = "Chunked input laws";
constexpr const char* chunkedAgrees = "ChunkedEqualsOneCall";
constexpr const char* modeGroup = "Block cipher mode laws";
constexpr const char* nativeMatchesGeneric = "NativeModeMatchesGeneric";
constexpr const char* ccmLongAad = "CCMAssociatedDataLengths";
constexpr const char* counterWraps = "GCMCounterWrapsIn32Bits";
} // namespace names

constexpr std::size_t block = 16;

std::string octets(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " octet" : " octets");
}

// The lengths the laws try: around the 16- and 64-octet blocks of GHASH, CBC-MAC, ChaCha20 and
// Poly1305.
constexpr std::array<std::size_t, 12> textLengths{0, 1, 15, 16, 17, 31, 32, 33, 63, 64, 65, 129};
// The nonce and tag lengths asked of the type.
std::vector<std::size_t> probedNonceLengths() {
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= 32; ++length) {
        lengths.push_back(length);
    }
    for (const std::size_t length : std::array<std::size_t, 3>{48, 64, 128}) {
        lengths.push_back(length);
    }
    return lengths;
}

std::vector<std::size_t> claimed(const std::vector<std::size_t>& probed,
                                 bool (Crypto::AeadView::*accepts)(std::size_t) const,
                                 const Crypto::AeadView& view) {
    std::vector<std::size_t> lengths;
    for (const std::size_t length : probed) {
        if ((view.*accepts)(length)) {
            lengths.push_back(length);
        }
    }
    return lengths;
}

std::vector<std::size_t> nonceLengths(const Crypto::AeadView& view) {
    return claimed(probedNonceLengths(), &Crypto::AeadView::acceptsNonceLength, view);
}

std::vector<std::size_t> tagLengths(const Crypto::AeadView& view) {
    std::vector<std::size_t> probed;
    for (std::size_t length = 0; length <= 32; ++length) {
        probed.push_back(length);
    }
    return claimed(probed, &Crypto::AeadView::acceptsTagLength, view);
}

// The lengths most laws use: a 96-bit nonce where the type takes one, and its longest tag.
struct Shape {
    std::size_t nonce;
    std::size_t tag;
};

Shape usualShape(const Crypto::AeadView& view) {
    const std::vector<std::size_t> nonces = nonceLengths(view);
    const std::vector<std::size_t> tags = tagLengths(view);
    if (nonces.empty() || tags.empty()) {
        throw std::runtime_error("the type takes no nonce of up to 128 octets or no tag of up "
                                 "to 32 octets");
    }
    const bool twelve = std::ranges::find(nonces, 12) != nonces.end();
    return {twelve ? 12 : nonces.front(), tags.back()};
}

Key fixedKey(const Crypto::AeadView& view) {
    Key key = view.buildKey(patterned(view.keyLength() / 8, 11));
    if (!key) {
        throw std::runtime_error("buildKey refused the laws' fixed key of " +
                                 octets(view.keyLength() / 8));
    }
    return key;
}

// A buffer with a pattern in it, which a refused open must leave as it is.
std::vector<std::uint8_t> callerBuffer(std::size_t length) {
    const Bytes pattern = patterned(length, 99);
    return {pattern.begin(), pattern.end()};
}

std::optional<Bytes> openedBy(const Crypto::AeadKeyView& key, const Bytes& nonce, const Bytes& aad,
                              const Sealed& sealed, std::size_t tagOctets,
                              const std::string& where) {
    std::vector<std::uint8_t> buffer = callerBuffer(sealed.ciphertext.size());
    if (key.open(nonce, aad, sealed.ciphertext, sealed.tag, tagOctets, buffer)) {
        return Bytes(buffer);
    }
    assertEqual(where + ": a refused open leaves the caller's buffer as it was",
                Bytes(callerBuffer(sealed.ciphertext.size())), Bytes(buffer));
    return std::nullopt;
}

void assertRoundTrip(const Crypto::AeadKeyView& key, const Bytes& nonce, const Bytes& aad,
                     const Bytes& plaintext, std::size_t tagOctets, const std::string& where) {
    const Sealed sealed = key.seal(nonce, aad, plaintext, tagOctets);
    assertEqual(where + ", ciphertext length", plaintext.size(), sealed.ciphertext.size());
    assertEqual(where + ", tag length", tagOctets, sealed.tag.size());
    assertEqual(where + ", open gives the plaintext back", std::optional(plaintext),
                openedBy(key, nonce, aad, sealed, tagOctets, where));
}

void assertRefused(const Crypto::AeadKeyView& key, const Bytes& nonce, const Bytes& aad,
                   const Sealed& sealed, std::size_t tagOctets, const std::string& where) {
    assertEqual(where + " must be refused", std::optional<Bytes>(),
                openedBy(key, nonce, aad, sealed, tagOctets, where));
}

// A law on the fixed key with the usual lengths: check gets the key and the shape.
template <class Check> Tree lawCase(const Aead& aead, const char* law, Check check) {
    return testCase(law, [aead, law, check] {
        const Crypto::AeadView& view = *aead;
        check(std::string(law), *fixedKey(view), usualShape(view));
    });
}

Tree openUndoesSeal(const Aead& aead) {
    return lawCase(aead, names::openUndoesSeal,
                   [](const std::string& law, const Crypto::AeadKeyView& key, Shape shape) {
                       const Bytes nonce = patterned(shape.nonce, 1);
                       for (const std::size_t aadLength : textLengths) {
                           for (const std::size_t length : textLengths) {
                               assertRoundTrip(key, nonce, patterned(aadLength, 2),
                                               patterned(length, 3), shape.tag,
                                               law + ": associated data of " + octets(aadLength) +
                                                   ", plaintext of " + octets(length));
                           }
                       }
                   });
}

Tree emptyInputs(const Aead& aead) {
    return lawCase(aead, names::emptyInputs,
                   [](const std::string& law, const Crypto::AeadKeyView& key, Shape shape) {
                       const Bytes nonce = patterned(shape.nonce, 4);
                       assertRoundTrip(key, nonce, Bytes(), Bytes(), shape.tag, law);
                       // With nothing to encrypt the tag alone carries the authentication.
                       const Sealed sealed = key.seal(nonce, Bytes(), Bytes(), shape.tag);
                       assertRefused(key, nonce, patterned(1, 5), sealed, shape.tag,
                                     law + ": the empty message's tag under other associated data");
                       assertRefused(key, patterned(shape.nonce, 6), Bytes(), sealed, shape.tag,
                                     law + ": the empty message's tag under another nonce");
                   });
}

// Every nonce length the type claims seals and opens, and every octet of the nonce counts: a
// nonce changed in any one octet gives another ciphertext and tag.
Tree everyNonceLength(const Aead& aead) {
    return lawCase(
        aead, names::everyNonceLength,
        [aead](const std::string& law, const Crypto::AeadKeyView& key, Shape shape) {
            const Bytes aad = patterned(20, 7);
            const Bytes plaintext = patterned(3 * block + 5, 8);
            for (const std::size_t length : nonceLengths(*aead)) {
                const Bytes nonce = patterned(length, 9);
                const std::string where = law + ": a nonce of " + octets(length);
                assertRoundTrip(key, nonce, aad, plaintext, shape.tag, where);
                const Sealed sealed = key.seal(nonce, aad, plaintext, shape.tag);
                for (std::size_t i = 0; i < length; ++i) {
                    const Bytes changed = Bytes::create(length, [&](auto out) {
                        std::ranges::copy(nonce, out.begin());
                        out[i] ^= 0x01;
                    });
                    const std::string octet = where + " changed in octet " + std::to_string(i);
                    const bool differs = key.seal(changed, aad, plaintext, shape.tag) != sealed;
                    assertEqual(octet + " gives another ciphertext or tag", true, differs);
                }
            }
        });
}

Tree everyTagLength(const Aead& aead) {
    return lawCase(aead, names::everyTagLength,
                   [aead](const std::string& law, const Crypto::AeadKeyView& key, Shape shape) {
                       const Bytes nonce = patterned(shape.nonce, 10);
                       for (const std::size_t tag : tagLengths(*aead)) {
                           assertRoundTrip(key, nonce, patterned(9, 11), patterned(2 * block, 12),
                                           tag, law + ": a tag of " + octets(tag));
                       }
                   });
}

Bytes flipped(const Bytes& bytes, std::size_t bit) {
    return Bytes::create(bytes.size(), [&](std::span<std::uint8_t> out) {
        std::ranges::copy(bytes, out.begin());
        out[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    });
}

// One bit flipped anywhere in the ciphertext, the tag, the associated data or the nonce.
Tree flippedBit(const Aead& aead) {
    return testProperty(names::flippedBit, {"seed"}, [aead](std::uint64_t seed) {
        const Crypto::AeadView& view = *aead;
        const Key key = fixedKey(view);
        const Shape shape = usualShape(view);
        Gen gen(seed);
        const Bytes nonce = drawBytes(gen, shape.nonce);
        const Bytes aad = drawBytes(gen, 1 + gen.uniform(3 * block));
        const Bytes plaintext = drawBytes(gen, 1 + gen.uniform(4 * block));
        const Sealed sealed = key->seal(nonce, aad, plaintext, shape.tag);
        const auto bitOf = [&](const Bytes& bytes) { return gen.uniform(bytes.size() * 8 - 1); };
        const std::string law = names::flippedBit;
        assertRefused(*key, nonce, aad,
                      {flipped(sealed.ciphertext, bitOf(sealed.ciphertext)), sealed.tag}, shape.tag,
                      law + ": a ciphertext bit flipped");
        assertRefused(*key, nonce, aad, {sealed.ciphertext, flipped(sealed.tag, bitOf(sealed.tag))},
                      shape.tag, law + ": a tag bit flipped");
        assertRefused(*key, nonce, flipped(aad, bitOf(aad)), sealed, shape.tag,
                      law + ": an associated data bit flipped");
        assertRefused(*key, flipped(nonce, bitOf(nonce)), aad, sealed, shape.tag,
                      law + ": a nonce bit flipped");
        return true;
    });
}

// A tag one octet short, or with one octet more, is no tag of the length asked for, even where
// its octets are the right tag's (a comparison over the shorter length accepts it).
Tree truncatedOrExtendedTag(const Aead& aead) {
    return lawCase(
        aead, names::tagLength,
        [](const std::string& law, const Crypto::AeadKeyView& key, Shape shape) {
            const Bytes nonce = patterned(shape.nonce, 13);
            const Bytes aad = patterned(7, 14);
            const Sealed sealed = key.seal(nonce, aad, patterned(40, 15), shape.tag);
            assertRefused(key, nonce, aad, {sealed.ciphertext, sealed.tag.take(shape.tag - 1)},
                          shape.tag, law + ": the tag without its last octet");
            assertRefused(key, nonce, aad, {sealed.ciphertext, sealed.tag.concat(Bytes{0})},
                          shape.tag, law + ": the tag with an octet more");
            for (std::size_t kept = 0; kept + 1 < shape.tag; kept += 4) {
                assertRefused(key, nonce, aad,
                              {sealed.ciphertext,
                               sealed.tag.take(kept).concat(patterned(shape.tag - kept, 16))},
                              shape.tag,
                              law + ": the tag right in its first " + octets(kept) + " only");
            }
        });
}

// The plaintext of a refused open never reaches the caller, whatever its length.
Tree refusalWritesNothing(const Aead& aead) {
    return lawCase(
        aead, names::refusalWritesNothing,
        [](const std::string& law, const Crypto::AeadKeyView& key, Shape shape) {
            const Bytes nonce = patterned(shape.nonce, 17);
            for (const std::size_t length : textLengths) {
                const Sealed sealed = key.seal(nonce, Bytes(), patterned(length, 18), shape.tag);
                assertRefused(key, nonce, Bytes(), {sealed.ciphertext, flipped(sealed.tag, 0)},
                              shape.tag, law + ": " + octets(length) + " under a wrong tag");
            }
        });
}

Tree chunkedAgrees(const Aead& aead) {
    return testProperty(names::chunkedAgrees, {"seed"}, [aead](std::uint64_t seed) {
        const Crypto::AeadView& view = *aead;
        if (!view.ownsLazy()) {
            throw zorvan::testing::TestSkipped("the type takes no chunked input of its own");
        }
        const Key key = fixedKey(view);
        const Shape shape = usualShape(view);
        Gen gen(seed);
        const Bytes nonce = drawBytes(gen, shape.nonce);
        const Bytes aad = drawBytes(gen, gen.uniform(5 * block));
        const Bytes plaintext = drawBytes(gen, gen.uniform(8 * block));
        const Sealed sealed = key->seal(nonce, aad, plaintext, shape.tag);
        const std::string law = names::chunkedAgrees;
        assertEqual(law + ": sealLazy", sealed,
                    key->sealLazy(nonce, chunked(aad, randomCuts(gen, aad.size(), block)),
                                  chunked(plaintext, randomCuts(gen, plaintext.size(), block)),
                                  shape.tag));
        const auto lazyOpen = [&](const Bytes& tag) {
            std::vector<std::uint8_t> buffer = callerBuffer(plaintext.size());
            const bool accepted =
                key->openLazy(nonce, chunked(aad, randomCuts(gen, aad.size(), block)),
                              chunked(sealed.ciphertext, randomCuts(gen, plaintext.size(), block)),
                              tag, shape.tag, buffer);
            return std::pair{accepted, Bytes(buffer)};
        };
        assertEqual(law + ": openLazy", std::pair{true, plaintext}, lazyOpen(sealed.tag));
        assertEqual(law + ": openLazy under a wrong tag",
                    std::pair{false, Bytes(callerBuffer(plaintext.size()))},
                    lazyOpen(flipped(sealed.tag, 3)));
        return true;
    });
}

// ---- GCM and CCM over a block cipher

std::shared_ptr<const Crypto::KeyView> blockCipherOf(const Crypto::AeadKeyView& key) {
    std::shared_ptr<const Crypto::KeyView> cipher = key.blockCipher();
    if (!cipher) {
        throw std::runtime_error("the type names a block cipher mode but gives no block cipher");
    }
    return cipher;
}

void assertMatchesGeneric(const Crypto::AeadKeyView& key, zorvan::BlockCipherAead mode,
                          const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                          std::size_t tagOctets, const std::string& where) {
    const Sealed generic =
        Crypto::sealGeneric(mode, *blockCipherOf(key), nonce, aad, plaintext, tagOctets);
    assertEqual(where + ", seal", generic, key.seal(nonce, aad, plaintext, tagOctets));
    assertEqual(where + ", open", std::optional(plaintext),
                openedBy(key, nonce, aad, generic, tagOctets, where));
}

// Skips unless the type runs a mode of its own over the block cipher it names.
zorvan::BlockCipherAead requireNativeMode(const Crypto::AeadView& view) {
    const std::optional<zorvan::BlockCipherAead> mode = view.blockCipherMode();
    if (!mode) {
        throw zorvan::testing::TestSkipped("the type runs no GCM or CCM over a block cipher");
    }
    if (!view.nativeMode()) {
        throw zorvan::testing::TestSkipped("the block cipher has no mode of its own: the "
                                           "generic one is what runs");
    }
    return *mode;
}

Tree nativeMatchesGeneric(const Aead& aead) {
    return testProperty(names::nativeMatchesGeneric, {"seed"}, [aead](std::uint64_t seed) {
        const Crypto::AeadView& view = *aead;
        const zorvan::BlockCipherAead mode = requireNativeMode(view);
        const Key key = fixedKey(view);
        Gen gen(seed);
        const std::vector<std::size_t> nonces = nonceLengths(view);
        const std::vector<std::size_t> tags = tagLengths(view);
        const std::size_t nonce = nonces[gen.uniform(nonces.size() - 1)];
        const std::size_t tag = tags[gen.uniform(tags.size() - 1)];
        assertMatchesGeneric(*key, mode, drawBytes(gen, nonce), drawBytes(gen, gen.uniform(80)),
                             drawBytes(gen, gen.uniform(100)), tag,
                             std::string(names::nativeMatchesGeneric) + ": a nonce of " +
                                 octets(nonce) + ", a tag of " + octets(tag));
        return true;
    });
}

// CCM writes the associated data's length in two octets below 65280 and in six from there.
Tree ccmLongAad(const Aead& aead) {
    return testCase(names::ccmLongAad, [aead] {
        const Crypto::AeadView& view = *aead;
        if (view.blockCipherMode() != zorvan::BlockCipherAead::ccm) {
            throw zorvan::testing::TestSkipped("the type runs no CCM over a block cipher");
        }
        requireNativeMode(view);
        const Key key = fixedKey(view);
        const Shape shape = usualShape(view);
        for (const std::size_t length :
             {std::size_t{65279}, std::size_t{65280}, std::size_t{65281}}) {
            assertMatchesGeneric(*key, zorvan::BlockCipherAead::ccm, patterned(shape.nonce, 19),
                                 patterned(length, 20), patterned(33, 21), shape.tag,
                                 std::string(names::ccmLongAad) + ": associated data of " +
                                     octets(length));
        }
    });
}

// From a pre-counter block whose low 32 bits are 0xfffffffd the counter goes through 2^32 - 1
// to 0 and 1, and the 96 bits above it never change.
Tree counterWraps(const Aead& aead) {
    return testCase(names::counterWraps, [aead] {
        const Crypto::AeadView& view = *aead;
        if (view.blockCipherMode() != zorvan::BlockCipherAead::gcm ||
            !view.acceptsNonceLength(block)) {
            throw zorvan::testing::TestSkipped(
                "the type runs no GCM over a block cipher with 16-octet nonces");
        }
        const Key key = fixedKey(view);
        const std::shared_ptr<const Crypto::KeyView> cipher = blockCipherOf(*key);
        const Bytes upper = patterned(12, 22);
        const auto counterBlock = [&](std::uint32_t low) {
            return upper.concat(
                Bytes{static_cast<std::uint8_t>(low >> 24), static_cast<std::uint8_t>(low >> 16),
                      static_cast<std::uint8_t>(low >> 8), static_cast<std::uint8_t>(low)});
        };
        const Bytes nonce = zorvan::detail::gcmNonceForCounter(Crypto::keyBlocksOf(*cipher),
                                                               counterBlock(0xfffffffd));
        Bytes counters;
        for (const std::uint32_t low : {0xfffffffeu, 0xffffffffu, 0u, 1u}) {
            counters = counters.concat(counterBlock(low));
        }
        const Bytes plaintext = patterned(4 * block, 23);
        const Bytes keystream = cipher->encryptBlock(counters);
        const Bytes expected = Bytes::create(plaintext.size(), [&](std::span<std::uint8_t> out) {
            zorvan::detail::xorOctets(out, plaintext.view(), keystream.view());
        });
        const std::size_t tag = usualShape(view).tag;
        const Sealed sealed = key->seal(nonce, Bytes(), plaintext, tag);
        assertEqual(std::string(names::counterWraps) +
                        ": the ciphertext of four blocks from counter 0xfffffffe",
                    expected, sealed.ciphertext);
        assertEqual(std::string(names::counterWraps) + ": open", std::optional(plaintext),
                    openedBy(*key, nonce, Bytes(), sealed, tag, names::counterWraps));
    });
}

} // namespace

std::vector<Tree> aeadConformanceTests(const Aead& aead) {
    return {TestGroup{names::roundTripGroup,
                      {openUndoesSeal(aead), emptyInputs(aead), everyNonceLength(aead),
                       everyTagLength(aead)}},
            TestGroup{names::forgeryGroup,
                      {flippedBit(aead), truncatedOrExtendedTag(aead), refusalWritesNothing(aead)}},
            TestGroup{names::chunkedGroup, {chunkedAgrees(aead)}},
            TestGroup{names::modeGroup,
                      {nativeMatchesGeneric(aead), ccmLongAad(aead), counterWraps(aead)}}};
}

std::vector<Tree> knownAnswersThenLaws(std::vector<Tree> knownAnswers, const Aead& aead) {
    for (Tree& group : aeadConformanceTests(aead)) {
        knownAnswers.push_back(std::move(group));
    }
    return knownAnswers;
}

} // namespace Test::AeadConformance
