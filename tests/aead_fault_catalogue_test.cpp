// The AEAD fault catalogue: GCM, CCM and ChaCha20-Poly1305 written out here a second time, each
// broken the way real implementations have been, and run through the library's AEAD suites.
// Every fault must fail a known-answer leaf or a law, and the test names which; the fault-free
// versions fail nothing.

#include <Test/AeadConformance.hpp>
#include <Test/CCM.hpp>
#include <Test/ChaCha20Poly1305.hpp>
#include <Test/GCM.hpp>

#include <zorvan/aead_modes.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace {

using zorvan::Bytes;
using zorvan::Sealed;
using Octets = std::vector<std::uint8_t>;

enum class Fault {
    none,
    openReleasesBeforeCheck, // open decrypts into the caller's buffer, then checks the tag
    tagComparedOverPrefix,   // open compares the first eight octets of the tag only
    ghashLengthsInOctets,    // GCM's length block counts octets instead of bits
    j0As96Bits,              // GCM takes any nonce as if it were 96 bits: N || 0^31 || 1
    inc32CarriesIntoNonce,   // GCM's counter carries from its low 32 bits into the nonce
    ccmFlagsTagLength,       // CCM's flags octet holds the tag length - 2, not (length - 2) / 2
    ccmAadLengthTwoOctets,   // CCM encodes every associated-data length in two octets
    poly1305NoFinalCarry,    // Poly1305 leaves out the carry before its final reduction
    lazyAadFirstChunkOnly,   // the chunked members authenticate the first chunk of the data only
};

Octets octetsOf(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

Octets padded(Octets octets) {
    octets.resize((octets.size() + 15) / 16 * 16);
    return octets;
}

// ---- GCM and CCM on OpenSSL's AES block, octet by octet

using Block = std::array<std::uint8_t, 16>;

// GF(2^128) in one 128-bit integer, the block's first octet its top.
__extension__ using Wide = unsigned __int128;

Wide wideOf(const Block& block) {
    Wide value = 0;
    for (const std::uint8_t octet : block) {
        value = value << 8 | octet;
    }
    return value;
}

Block gfMultiply(const Block& x, const Block& y) {
    const Wide reduction = static_cast<Wide>(0xe1) << 120;
    const Wide multiplier = wideOf(x);
    Wide product = 0;
    Wide v = wideOf(y);
    for (int bit = 127; bit >= 0; --bit) {
        if ((multiplier >> bit) & 1) {
            product ^= v;
        }
        v = (v & 1) != 0 ? (v >> 1) ^ reduction : v >> 1;
    }
    Block z{};
    for (std::size_t i = 16; i-- > 0; product >>= 8) {
        z[i] = static_cast<std::uint8_t>(product);
    }
    return z;
}

template <Fault F> class FaultyAes {
public:
    static constexpr std::size_t blockSize() { return 128; }
    static constexpr std::size_t keyLength() { return 128; }
    static std::optional<FaultyAes> buildKey(const Bytes& octets) {
        auto key = zorvan::openssl::AES128::buildKey(octets);
        return key ? std::optional(FaultyAes(std::move(*key))) : std::nullopt;
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const {
        return aes_.encryptBlock(blocks);
    }
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const {
        return aes_.decryptBlock(blocks);
    }

    [[nodiscard]] Sealed gcmSeal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                                 std::size_t tagOctets) const {
        const Octets ciphertext = gcmCrypt(nonce, octetsOf(plaintext));
        return {Bytes(ciphertext), Bytes(gcmTag(nonce, octetsOf(aad), ciphertext)).take(tagOctets)};
    }
    [[nodiscard]] bool gcmOpen(const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,
                               const Bytes& tag, std::size_t tagOctets,
                               std::span<std::uint8_t> plaintext) const {
        const Block expected = gcmTag(nonce, octetsOf(aad), octetsOf(ciphertext));
        return release(tag, tagOctets, Bytes(expected).take(tagOctets),
                       gcmCrypt(nonce, octetsOf(ciphertext)), plaintext);
    }
    [[nodiscard]] Sealed ccmSeal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                                 std::size_t tagOctets) const {
        const Octets stream = ccmStream(nonce, plaintext.size());
        return {
            Bytes(xorWith(octetsOf(plaintext), stream, 16)),
            Bytes(xorWith(ccmMac(nonce, octetsOf(aad), octetsOf(plaintext), tagOctets), stream, 0))
                .take(tagOctets)};
    }
    [[nodiscard]] bool ccmOpen(const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,
                               const Bytes& tag, std::size_t tagOctets,
                               std::span<std::uint8_t> plaintext) const {
        const Octets stream = ccmStream(nonce, ciphertext.size());
        const Octets recovered = xorWith(octetsOf(ciphertext), stream, 16);
        const Octets mac = ccmMac(nonce, octetsOf(aad), recovered, tagOctets);
        return release(tag, tagOctets, Bytes(xorWith(mac, stream, 0)).take(tagOctets), recovered,
                       plaintext);
    }

private:
    explicit FaultyAes(zorvan::openssl::AES128 aes) : aes_(std::move(aes)) {}

    Block encrypt(const Block& block) const {
        const Bytes out = aes_.encryptBlock(Bytes(block));
        Block result{};
        std::memcpy(result.data(), out.data(), 16);
        return result;
    }

    static Octets xorWith(Octets text, const Octets& stream, std::size_t offset) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] ^= stream[offset + i];
        }
        return text;
    }

    static bool release(const Bytes& tag, std::size_t tagOctets, const Bytes& expected,
                        const Octets& recovered, std::span<std::uint8_t> plaintext) {
        if (F == Fault::openReleasesBeforeCheck) {
            std::ranges::copy(recovered, plaintext.begin());
        }
        const std::size_t compared = F == Fault::tagComparedOverPrefix ? 8 : tagOctets;
        if (tag.size() != tagOctets && F != Fault::tagComparedOverPrefix) {
            return false;
        }
        if (tag.size() < compared || tag.take(compared) != expected.take(compared)) {
            return false;
        }
        std::ranges::copy(recovered, plaintext.begin());
        return true;
    }

    Block hashKey() const { return encrypt(Block{}); }

    Block ghash(const Octets& aad, const Octets& text) const {
        const Block h = hashKey();
        Block y{};
        const auto absorb = [&](const Octets& octets) {
            for (std::size_t i = 0; i < octets.size(); i += 16) {
                for (std::size_t j = 0; j < 16; ++j) {
                    y[j] ^= octets[i + j];
                }
                y = gfMultiply(y, h);
            }
        };
        absorb(padded(aad));
        absorb(padded(text));
        const std::uint64_t unit = F == Fault::ghashLengthsInOctets ? 1 : 8;
        Octets lengths(16);
        for (std::size_t i = 0; i < 8; ++i) {
            lengths[7 - i] = static_cast<std::uint8_t>(aad.size() * unit >> (8 * i));
            lengths[15 - i] = static_cast<std::uint8_t>(text.size() * unit >> (8 * i));
        }
        absorb(lengths);
        return y;
    }

    Block preCounter(const Bytes& nonce) const {
        Block j0{};
        if (nonce.size() == 12 || F == Fault::j0As96Bits) {
            std::memcpy(j0.data(), nonce.data(), std::min<std::size_t>(12, nonce.size()));
            j0[15] = 1;
            return j0;
        }
        return ghash({}, octetsOf(nonce));
    }

    static void step(Block& counter) {
        const std::size_t last = F == Fault::inc32CarriesIntoNonce ? 0 : 12;
        for (std::size_t i = 16; i-- > last;) {
            if (++counter[i] != 0) {
                return;
            }
        }
    }

    Octets gcmCrypt(const Bytes& nonce, Octets text) const {
        Block counter = preCounter(nonce);
        Block stream{};
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i % 16 == 0) {
                step(counter);
                stream = encrypt(counter);
            }
            text[i] ^= stream[i % 16];
        }
        return text;
    }

    Block gcmTag(const Bytes& nonce, const Octets& aad, const Octets& ciphertext) const {
        Block tag = ghash(aad, ciphertext);
        const Block mask = encrypt(preCounter(nonce));
        for (std::size_t i = 0; i < 16; ++i) {
            tag[i] ^= mask[i];
        }
        return tag;
    }

    Octets ccmStream(const Bytes& nonce, std::size_t length) const {
        Block counter{};
        counter[0] = static_cast<std::uint8_t>(14 - nonce.size());
        std::ranges::copy(nonce, counter.begin() + 1);
        Octets stream;
        for (std::size_t i = 0; i <= length / 16 + 1; ++i) {
            counter[15] = static_cast<std::uint8_t>(i);
            counter[14] = static_cast<std::uint8_t>(i >> 8);
            const Block block = encrypt(counter);
            stream.insert(stream.end(), block.begin(), block.end());
        }
        return stream;
    }

    Octets ccmMac(const Bytes& nonce, const Octets& aad, const Octets& payload,
                  std::size_t tagOctets) const {
        const std::size_t tagField =
            F == Fault::ccmFlagsTagLength ? tagOctets - 2 : (tagOctets - 2) / 2;
        Octets input(16);
        input[0] = static_cast<std::uint8_t>((aad.empty() ? 0 : 0x40) | (tagField << 3) |
                                             (14 - nonce.size()));
        std::ranges::copy(nonce, input.begin() + 1);
        for (std::size_t i = 15, length = payload.size(); i > nonce.size(); --i, length >>= 8) {
            input[i] = static_cast<std::uint8_t>(length);
        }
        if (!aad.empty()) {
            Octets header;
            if (aad.size() < 0xff00 || F == Fault::ccmAadLengthTwoOctets) {
                header = {static_cast<std::uint8_t>(aad.size() >> 8),
                          static_cast<std::uint8_t>(aad.size())};
            } else {
                header = {0xff, 0xfe};
                for (int shift = 24; shift >= 0; shift -= 8) {
                    header.push_back(static_cast<std::uint8_t>(aad.size() >> shift));
                }
            }
            header.insert(header.end(), aad.begin(), aad.end());
            const Octets block = padded(header);
            input.insert(input.end(), block.begin(), block.end());
        }
        const Octets body = padded(payload);
        input.insert(input.end(), body.begin(), body.end());
        Block chain{};
        for (std::size_t i = 0; i < input.size(); i += 16) {
            for (std::size_t j = 0; j < 16; ++j) {
                chain[j] ^= input[i + j];
            }
            chain = encrypt(chain);
        }
        return {chain.begin(), chain.end()};
    }

    zorvan::openssl::AES128 aes_;
};

// ---- ChaCha20-Poly1305 (RFC 8439)

std::uint32_t rotate(std::uint32_t value, int bits) {
    return value << bits | value >> (32 - bits);
}

std::uint32_t load32(const std::uint8_t* octets) {
    return std::uint32_t{octets[0]} | std::uint32_t{octets[1]} << 8 |
           std::uint32_t{octets[2]} << 16 | std::uint32_t{octets[3]} << 24;
}

std::array<std::uint8_t, 64> chachaBlock(const Bytes& key, std::uint32_t counter,
                                         const Bytes& nonce) {
    std::array<std::uint32_t, 16> state{0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};
    for (std::size_t i = 0; i < 8; ++i) {
        state[4 + i] = load32(key.data() + 4 * i);
    }
    state[12] = counter;
    for (std::size_t i = 0; i < 3; ++i) {
        state[13 + i] = load32(nonce.data() + 4 * i);
    }
    std::array<std::uint32_t, 16> x = state;
    const auto quarter = [&](std::size_t a, std::size_t b, std::size_t c, std::size_t d) {
        x[a] += x[b], x[d] = rotate(x[d] ^ x[a], 16);
        x[c] += x[d], x[b] = rotate(x[b] ^ x[c], 12);
        x[a] += x[b], x[d] = rotate(x[d] ^ x[a], 8);
        x[c] += x[d], x[b] = rotate(x[b] ^ x[c], 7);
    };
    for (int round = 0; round < 10; ++round) {
        quarter(0, 4, 8, 12), quarter(1, 5, 9, 13), quarter(2, 6, 10, 14), quarter(3, 7, 11, 15);
        quarter(0, 5, 10, 15), quarter(1, 6, 11, 12), quarter(2, 7, 8, 13), quarter(3, 4, 9, 14);
    }
    std::array<std::uint8_t, 64> out{};
    for (std::size_t i = 0; i < 16; ++i) {
        const std::uint32_t word = x[i] + state[i];
        for (std::size_t j = 0; j < 4; ++j) {
            out[4 * i + j] = static_cast<std::uint8_t>(word >> (8 * j));
        }
    }
    return out;
}

// Poly1305 in five 26-bit limbs; the block loop leaves the lowest limb unreduced, which the
// final carry settles.
template <Fault F> Octets poly1305(const std::uint8_t* key, const Octets& message) {
    constexpr std::uint64_t mask = 0x3ffffff;
    const std::uint64_t r0 = load32(key) & 0x3ffffff, r1 = (load32(key + 3) >> 2) & 0x3ffff03,
                        r2 = (load32(key + 6) >> 4) & 0x3ffc0ff,
                        r3 = (load32(key + 9) >> 6) & 0x3f03fff,
                        r4 = (load32(key + 12) >> 8) & 0x00fffff;
    std::uint64_t h0 = 0, h1 = 0, h2 = 0, h3 = 0, h4 = 0;
    for (std::size_t i = 0; i < message.size(); i += 16) {
        std::array<std::uint8_t, 17> block{};
        const std::size_t n = std::min<std::size_t>(16, message.size() - i);
        std::memcpy(block.data(), message.data() + i, n);
        block[n] = 1;
        h0 += load32(block.data()) & mask;
        h1 += (load32(block.data() + 3) >> 2) & mask;
        h2 += (load32(block.data() + 6) >> 4) & mask;
        h3 += (load32(block.data() + 9) >> 6) & mask;
        h4 += (load32(block.data() + 12) >> 8) | static_cast<std::uint64_t>(block[16]) << 24;
        const std::uint64_t d0 = h0 * r0 + h1 * r4 * 5 + h2 * r3 * 5 + h3 * r2 * 5 + h4 * r1 * 5;
        std::uint64_t d1 = h0 * r1 + h1 * r0 + h2 * r4 * 5 + h3 * r3 * 5 + h4 * r2 * 5;
        std::uint64_t d2 = h0 * r2 + h1 * r1 + h2 * r0 + h3 * r4 * 5 + h4 * r3 * 5;
        std::uint64_t d3 = h0 * r3 + h1 * r2 + h2 * r1 + h3 * r0 + h4 * r4 * 5;
        std::uint64_t d4 = h0 * r4 + h1 * r3 + h2 * r2 + h3 * r1 + h4 * r0;
        h0 = d0 & mask;
        d1 += d0 >> 26, h1 = d1 & mask;
        d2 += d1 >> 26, h2 = d2 & mask;
        d3 += d2 >> 26, h3 = d3 & mask;
        d4 += d3 >> 26, h4 = d4 & mask;
        h0 += (d4 >> 26) * 5;
    }
    if (F != Fault::poly1305NoFinalCarry) {
        h1 += h0 >> 26, h0 &= mask;
        h2 += h1 >> 26, h1 &= mask;
        h3 += h2 >> 26, h2 &= mask;
        h4 += h3 >> 26, h3 &= mask;
        h0 += (h4 >> 26) * 5, h4 &= mask;
        h1 += h0 >> 26, h0 &= mask;
    }
    // h - p where h >= p.
    std::uint64_t g0 = h0 + 5, g1 = h1 + (g0 >> 26), g2, g3, g4;
    g0 &= mask;
    g2 = h2 + (g1 >> 26), g1 &= mask;
    g3 = h3 + (g2 >> 26), g2 &= mask;
    g4 = h4 + (g3 >> 26), g3 &= mask;
    if (g4 >> 26 != 0) {
        h0 = g0, h1 = g1, h2 = g2, h3 = g3, h4 = g4 & mask;
    }
    const std::uint64_t low = h0 | h1 << 26 | h2 << 52;
    const std::uint64_t high = h2 >> 12 | h3 << 14 | h4 << 40;
    std::uint64_t s0 = 0, s1 = 0;
    std::memcpy(&s0, key + 16, 8);
    std::memcpy(&s1, key + 24, 8);
    const std::uint64_t t0 = low + s0;
    const std::uint64_t t1 = high + s1 + (t0 < low);
    Octets tag(16);
    std::memcpy(tag.data(), &t0, 8);
    std::memcpy(tag.data() + 8, &t1, 8);
    return tag;
}

template <Fault F> class FaultyChaCha20Poly1305 {
public:
    static std::size_t keyLength() { return 256; }
    static bool acceptsNonceLength(std::size_t octets) { return octets == 12; }
    static bool acceptsTagLength(std::size_t octets) { return octets == 16; }
    static std::optional<FaultyChaCha20Poly1305> buildKey(const Bytes& key) {
        return key.size() == 32 ? std::optional(FaultyChaCha20Poly1305(key)) : std::nullopt;
    }
    [[nodiscard]] Sealed seal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                              std::size_t) const {
        const Octets ciphertext = crypt(nonce, octetsOf(plaintext));
        return {Bytes(ciphertext), Bytes(tag(nonce, octetsOf(aad), ciphertext))};
    }
    [[nodiscard]] bool open(const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,
                            const Bytes& tagGiven, std::size_t tagOctets,
                            std::span<std::uint8_t> plaintext) const {
        if (nonce.size() != 12 || tagOctets != 16 || tagGiven.size() != 16 ||
            Bytes(tag(nonce, octetsOf(aad), octetsOf(ciphertext))) != tagGiven) {
            return false;
        }
        std::ranges::copy(crypt(nonce, octetsOf(ciphertext)), plaintext.begin());
        return true;
    }

    // Chunked members, as a streaming library has them.
    [[nodiscard]] Sealed sealLazy(const Bytes& nonce, const zorvan::LazyBytes& aad,
                                  const zorvan::LazyBytes& plaintext, std::size_t tagOctets) const {
        return seal(nonce, joined(aad), plaintext.toStrict(), tagOctets);
    }
    [[nodiscard]] bool openLazy(const Bytes& nonce, const zorvan::LazyBytes& aad,
                                const zorvan::LazyBytes& ciphertext, const Bytes& tagGiven,
                                std::size_t tagOctets, std::span<std::uint8_t> plaintext) const {
        return open(nonce, joined(aad), ciphertext.toStrict(), tagGiven, tagOctets, plaintext);
    }

private:
    explicit FaultyChaCha20Poly1305(Bytes key) : key_(std::move(key)) {}

    static Bytes joined(const zorvan::LazyBytes& chunks) {
        if (F == Fault::lazyAadFirstChunkOnly && !chunks.empty()) {
            return chunks.toChunks().front();
        }
        return chunks.toStrict();
    }

    Octets crypt(const Bytes& nonce, Octets text) const {
        std::array<std::uint8_t, 64> stream{};
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i % 64 == 0) {
                stream = chachaBlock(key_, static_cast<std::uint32_t>(1 + i / 64), nonce);
            }
            text[i] ^= stream[i % 64];
        }
        return text;
    }

    Octets tag(const Bytes& nonce, const Octets& aad, const Octets& ciphertext) const {
        const std::array<std::uint8_t, 64> polyKey = chachaBlock(key_, 0, nonce);
        Octets message = padded(aad);
        const Octets body = padded(ciphertext);
        message.insert(message.end(), body.begin(), body.end());
        for (const std::uint64_t length : {aad.size(), ciphertext.size()}) {
            for (std::size_t i = 0; i < 8; ++i) {
                message.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
            }
        }
        return poly1305<F>(polyKey.data(), message);
    }

    Bytes key_;
};

// ---- running the suites

// The failing leaves of a tree: the first failing known answer (the rest would repeat it) and
// every failing law.
std::set<std::string> failing(const std::vector<zorvan::testing::Test>& tree) {
    std::set<std::string> paths;
    bool knownAnswerFailed = false;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tree)) {
        const bool law = leaf.path.find(" laws/") != std::string::npos;
        if (!law && knownAnswerFailed) {
            continue;
        }
        if (zorvan::testing::runLeaf(leaf, {.seed = 5, .cases = 40}).status ==
            zorvan::testing::LeafStatus::failed) {
            paths.insert(leaf.path);
            knownAnswerFailed = knownAnswerFailed || !law;
        }
    }
    return paths;
}

template <Fault F> std::set<std::string> gcmFault() {
    return failing(::Test::GCM::makeGCMTests<zorvan::GCM<FaultyAes<F>>>());
}
template <Fault F> std::set<std::string> ccmFault() {
    return failing(::Test::CCM::makeCCMTests<zorvan::CCM<FaultyAes<F>>>());
}
template <Fault F> std::set<std::string> chachaFault() {
    return failing(
        ::Test::ChaCha20Poly1305::makeChaCha20Poly1305Tests<FaultyChaCha20Poly1305<F>>());
}

bool any(const std::set<std::string>& paths, const std::string& part) {
    return std::ranges::any_of(
        paths, [&](const std::string& path) { return path.find(part) != std::string::npos; });
}

void report(const std::string& fault, const std::set<std::string>& caught) {
    std::cout << fault << ":";
    for (const std::string& path : caught) {
        std::cout << "\n    " << path;
    }
    std::cout << "\n";
}

TEST(AeadFaultCatalogue, FaultFreeVersionsFailNothing) {
    EXPECT_THAT(gcmFault<Fault::none>(), ::testing::IsEmpty());
    EXPECT_THAT(ccmFault<Fault::none>(), ::testing::IsEmpty());
    EXPECT_THAT(chachaFault<Fault::none>(), ::testing::IsEmpty());
}

TEST(AeadFaultCatalogue, ReleasingBeforeTheCheckFailsTheFailRecordsAndTheRefusalLaw) {
    const std::set<std::string> caught = gcmFault<Fault::openReleasesBeforeCheck>();
    report("openReleasesBeforeCheck", caught);
    EXPECT_TRUE(any(caught, "gcmDecrypt"));
    EXPECT_TRUE(any(caught, "RefusalWritesNothing"));
    EXPECT_TRUE(any(caught, "FlippedBitRefused"));
}

TEST(AeadFaultCatalogue, APrefixComparisonFailsTheForgeryLaws) {
    const std::set<std::string> caught = gcmFault<Fault::tagComparedOverPrefix>();
    report("tagComparedOverPrefix", caught);
    EXPECT_TRUE(any(caught, "TruncatedOrExtendedTagRefused"));
    EXPECT_TRUE(any(caught, "FlippedBitRefused"));
}

TEST(AeadFaultCatalogue, GcmFaultsFailKnownAnswersOrTheirLaw) {
    const std::set<std::string> lengths = gcmFault<Fault::ghashLengthsInOctets>();
    report("ghashLengthsInOctets", lengths);
    EXPECT_TRUE(any(lengths, "gcmEncryptExtIV128.rsp-"));
    EXPECT_TRUE(any(lengths, "NativeModeMatchesGeneric"));
    const std::set<std::string> j0 = gcmFault<Fault::j0As96Bits>();
    report("j0As96Bits", j0);
    EXPECT_TRUE(any(j0, "gcmEncryptExtIV128.rsp-"));
    EXPECT_TRUE(any(j0, "EveryNonceLength"));
    const std::set<std::string> carry = gcmFault<Fault::inc32CarriesIntoNonce>();
    report("inc32CarriesIntoNonce", carry);
    EXPECT_THAT(carry, ::testing::Contains(::testing::HasSubstr("GCMCounterWrapsIn32Bits")));
}

TEST(AeadFaultCatalogue, CcmFaultsFailKnownAnswersOrTheirLaw) {
    const std::set<std::string> flags = ccmFault<Fault::ccmFlagsTagLength>();
    report("ccmFlagsTagLength", flags);
    EXPECT_TRUE(any(flags, "VTT128.rsp-") || any(flags, "VADT128.rsp-"));
    const std::set<std::string> aadLength = ccmFault<Fault::ccmAadLengthTwoOctets>();
    report("ccmAadLengthTwoOctets", aadLength);
    EXPECT_THAT(aadLength,
                ::testing::ElementsAre(::testing::HasSubstr("CCMAssociatedDataLengths")));
}

TEST(AeadFaultCatalogue, ChunkedMembersReadingTheFirstChunkFailTheChunkedLaw) {
    const std::set<std::string> caught = chachaFault<Fault::lazyAadFirstChunkOnly>();
    report("lazyAadFirstChunkOnly", caught);
    EXPECT_THAT(caught, ::testing::ElementsAre(::testing::HasSubstr("ChunkedEqualsOneCall")));
}

TEST(AeadFaultCatalogue, Poly1305WithoutItsFinalCarryFailsTheKnownAnswers) {
    const std::set<std::string> caught = chachaFault<Fault::poly1305NoFinalCarry>();
    report("poly1305NoFinalCarry", caught);
    EXPECT_TRUE(any(caught, "boringssl.txt-") || any(caught, "openssl.txt-"));
}

} // namespace
