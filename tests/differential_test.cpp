// The differential suites: how cases are drawn and shrunk, and broken implementations written
// after real bug reports, each of which passes the published vectors' paths it never reaches and
// is caught against OpenSSL with a small shrunk case.

#include "../src/Test/DifferentialCases.hpp"
#include "keccak_sponge.hpp"

#include <Test/Differential.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iostream>
#include <numeric>
#include <set>

namespace {

namespace openssl = zorvan::openssl;
namespace cases = ::Test::Differential::detail;
using cases::Case;
using cases::Shape;
using zorvan::Bytes;
using zorvan::IV;
using zorvan::LazyBytes;
using zorvan::testing::LeafOutcome;
using zorvan::testing::LeafStatus;

Shape hashShape(std::size_t block) {
    Shape shape;
    shape.edges = {block};
    shape.lengthFieldOctets = block / 8;
    shape.mostMessage = 3 * block + 8;
    return shape;
}

TEST(DifferentialCases, LengthsHitEveryBoundary) {
    const auto lengths = cases::boundaryLengths(hashShape(64));
    for (const std::size_t expected :
         {0U, 1U, 55U, 56U, 57U, 63U, 64U, 65U, 119U, 120U, 121U, 127U, 128U, 129U}) {
        EXPECT_TRUE(std::ranges::binary_search(lengths, expected)) << expected;
    }
    const auto wide = cases::boundaryLengths(hashShape(128));
    for (const std::size_t expected : {111U, 112U, 113U, 239U, 240U, 241U}) {
        EXPECT_TRUE(std::ranges::binary_search(wide, expected)) << expected;
    }
    Shape sha3 = hashShape(136);
    EXPECT_TRUE(std::ranges::binary_search(cases::boundaryLengths(sha3), 135U));
    Shape blocks;
    blocks.edges = {16};
    blocks.messageUnit = 16;
    blocks.mostMessage = 80;
    EXPECT_EQ(cases::boundaryLengths(blocks), (std::vector<std::size_t>{0, 16, 32, 48}));
}

// Chunks must cover the message exactly and never be empty, in drawn and in shrunk cases alike.
void expectChunksCover(const Case& input) {
    EXPECT_EQ(std::accumulate(input.chunks.begin(), input.chunks.end(), std::size_t{0}),
              input.message.size());
    EXPECT_EQ(std::ranges::count(input.chunks, 0U), 0);
}

TEST(DifferentialCases, DrawnAndShrunkCasesKeepTheirShape) {
    Shape shape;
    shape.keyLengths = {16};
    shape.ivOctets = 16;
    shape.edges = {16};
    shape.messageUnit = 16;
    shape.mostMessage = 80;
    std::size_t nearCarry = 0;
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
        zorvan::testing::Gen gen(seed);
        const Case drawn = cases::drawCase(shape, gen);
        ASSERT_EQ(drawn.key.size(), 16U);
        ASSERT_EQ(drawn.iv.size(), 16U);
        ASSERT_EQ(drawn.message.size() % 16, 0U);
        expectChunksCover(drawn);
        nearCarry += drawn.iv[8] == 0xff && drawn.iv[14] == 0xff ? 1U : 0U;
        for (const Case& smaller : cases::smallerCases(shape, drawn)) {
            EXPECT_EQ(smaller.message.size() % 16, 0U);
            EXPECT_EQ(smaller.key.size(), 16U);
            expectChunksCover(smaller);
            EXPECT_NE(smaller, drawn);
        }
    }
    // Counter carries are drawn often enough to be found in a default run.
    EXPECT_GT(nearCarry, 20U);
}

TEST(DifferentialCases, ShrinkingReachesTheSmallestFailingCase) {
    Shape shape;
    shape.keyLengths = {16};
    shape.edges = {16};
    shape.mostMessage = 80;
    Case failing;
    failing.key = Bytes(std::vector<std::uint8_t>(16, 0xa5));
    failing.message = Bytes(std::vector<std::uint8_t>(70, 0x3c));
    failing.chunks = {10, 20, 40};
    // Fails from 20 octets on whenever key octet 3 is set.
    const auto fails = [](const Case& input) {
        return input.message.size() >= 20 && input.key[3] != 0;
    };
    const auto shrunk = cases::shrinkCase(shape, failing, fails, 1000);
    EXPECT_EQ(shrunk.smallest.message, Bytes(std::vector<std::uint8_t>(20, 0)));
    EXPECT_EQ(shrunk.smallest.chunks, std::vector<std::size_t>{20});
    std::vector<std::uint8_t> key(16, 0);
    key[3] = 0xa5;
    EXPECT_EQ(shrunk.smallest.key, Bytes(key));
    EXPECT_GT(shrunk.steps, 0U);
    EXPECT_EQ(cases::shrinkCase(shape, failing, fails, 0).smallest, failing);
}

// ---- broken implementations, each after a real bug report

// A small AES of the tests' own, whose decryption key schedule can be made to run the inverse
// MixColumns over one round key too few (the equivalent inverse cipher's loop ends a round early).
class SmallAes {
public:
    SmallAes(const Bytes& key, bool decryptScheduleShort) {
        const std::size_t words = key.size() / 4;
        rounds_ = words + 6;
        std::vector<std::array<std::uint8_t, 4>> w(4 * (rounds_ + 1));
        for (std::size_t i = 0; i < words; ++i) {
            w[i] = {key[4 * i], key[4 * i + 1], key[4 * i + 2], key[4 * i + 3]};
        }
        std::uint8_t rcon = 1;
        for (std::size_t i = words; i < w.size(); ++i) {
            auto t = w[i - 1];
            if (i % words == 0) {
                t = {static_cast<std::uint8_t>(sbox()[t[1]] ^ rcon), sbox()[t[2]], sbox()[t[3]],
                     sbox()[t[0]]};
                rcon = times2(rcon);
            } else if (words > 6 && i % words == 4) {
                t = {sbox()[t[0]], sbox()[t[1]], sbox()[t[2]], sbox()[t[3]]};
            }
            for (std::size_t j = 0; j < 4; ++j) {
                w[i][j] = static_cast<std::uint8_t>(w[i - words][j] ^ t[j]);
            }
        }
        encryptKeys_.resize(rounds_ + 1);
        for (std::size_t r = 0; r <= rounds_; ++r) {
            for (std::size_t i = 0; i < 16; ++i) {
                encryptKeys_[r][i] = w[4 * r + i / 4][i % 4];
            }
        }
        decryptKeys_.assign(encryptKeys_.rbegin(), encryptKeys_.rend());
        const std::size_t mixedRounds = decryptScheduleShort ? rounds_ - 1 : rounds_;
        for (std::size_t r = 1; r < mixedRounds; ++r) {
            decryptKeys_[r] = invMixColumns(decryptKeys_[r]);
        }
    }

    using Block = std::array<std::uint8_t, 16>;

    [[nodiscard]] Block encrypt(Block state) const {
        addKey(state, encryptKeys_[0]);
        for (std::size_t r = 1; r <= rounds_; ++r) {
            Block shifted;
            for (std::size_t i = 0; i < 16; ++i) {
                shifted[i] = sbox()[state[(i + 4 * (i % 4)) % 16]];
            }
            state = r == rounds_ ? shifted : mixColumns(shifted);
            addKey(state, encryptKeys_[r]);
        }
        return state;
    }

    // The equivalent inverse cipher: its middle round keys must have been through the inverse
    // MixColumns.
    [[nodiscard]] Block decrypt(Block state) const {
        addKey(state, decryptKeys_[0]);
        for (std::size_t r = 1; r <= rounds_; ++r) {
            Block shifted;
            for (std::size_t i = 0; i < 16; ++i) {
                shifted[(i + 4 * (i % 4)) % 16] = inverseSbox()[state[i]];
            }
            state = r == rounds_ ? shifted : invMixColumns(shifted);
            addKey(state, decryptKeys_[r]);
        }
        return state;
    }

private:
    static std::uint8_t times2(std::uint8_t x) {
        return static_cast<std::uint8_t>((static_cast<unsigned>(x) << 1U) ^
                                         ((x & 0x80U) != 0 ? 0x1bU : 0U));
    }
    static std::uint8_t times(std::uint8_t x, std::uint8_t factor) {
        std::uint8_t product = 0;
        for (; factor != 0; factor >>= 1U, x = times2(x)) {
            product ^= (factor & 1U) != 0 ? x : 0;
        }
        return product;
    }
    static const std::array<std::uint8_t, 256>& sbox() {
        static const std::array<std::uint8_t, 256> table = [] {
            std::array<std::uint8_t, 256> s{};
            for (unsigned x = 0; x < 256; ++x) {
                std::uint8_t inverse = 0;
                for (unsigned y = 1; y < 256 && x != 0; ++y) {
                    if (times(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)) == 1) {
                        inverse = static_cast<std::uint8_t>(y);
                    }
                }
                unsigned b = inverse;
                b ^= (b << 1U) ^ (b << 2U) ^ (b << 3U) ^ (b << 4U);
                s[x] = static_cast<std::uint8_t>((b ^ (b >> 8U) ^ 0x63U) & 0xffU);
            }
            return s;
        }();
        return table;
    }
    static const std::array<std::uint8_t, 256>& inverseSbox() {
        static const std::array<std::uint8_t, 256> table = [] {
            std::array<std::uint8_t, 256> inverse{};
            for (unsigned x = 0; x < 256; ++x) {
                inverse[sbox()[x]] = static_cast<std::uint8_t>(x);
            }
            return inverse;
        }();
        return table;
    }
    static Block mixWith(const Block& state, const std::array<std::uint8_t, 4>& row) {
        Block mixed{};
        for (std::size_t c = 0; c < 4; ++c) {
            for (std::size_t i = 0; i < 4; ++i) {
                for (std::size_t j = 0; j < 4; ++j) {
                    mixed[4 * c + i] ^= times(state[4 * c + j], row[(j + 4 - i) % 4]);
                }
            }
        }
        return mixed;
    }
    static Block mixColumns(const Block& state) { return mixWith(state, {2, 3, 1, 1}); }
    static Block invMixColumns(const Block& state) { return mixWith(state, {14, 11, 13, 9}); }
    static void addKey(Block& state, const Block& key) {
        for (std::size_t i = 0; i < 16; ++i) {
            state[i] ^= key[i];
        }
    }

    std::size_t rounds_;
    std::vector<Block> encryptKeys_;
    std::vector<Block> decryptKeys_;
};

template <bool DecryptScheduleShort> class OwnAes128 {
public:
    static constexpr std::size_t blockSize() { return 128; }
    static constexpr std::size_t keyLength() { return 128; }
    static std::optional<OwnAes128> buildKey(const Bytes& key) {
        return key.size() < 16
                   ? std::nullopt
                   : std::optional(OwnAes128(SmallAes(key.take(16), DecryptScheduleShort)));
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const {
        return eachBlock(blocks, [&](const SmallAes::Block& block) { return aes_.encrypt(block); });
    }
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const {
        return eachBlock(blocks, [&](const SmallAes::Block& block) { return aes_.decrypt(block); });
    }

private:
    explicit OwnAes128(SmallAes aes) : aes_(std::move(aes)) {}
    template <class Operation> static Bytes eachBlock(const Bytes& blocks, Operation operation) {
        return Bytes::create(blocks.size(), [&](std::span<std::uint8_t> out) {
            for (std::size_t start = 0; start + 16 <= blocks.size(); start += 16) {
                SmallAes::Block block;
                std::copy_n(blocks.begin() + start, 16, block.begin());
                std::ranges::copy(operation(block),
                                  out.begin() + static_cast<std::ptrdiff_t>(start));
            }
        });
    }
    SmallAes aes_;
};

// Camellia-192 whose key schedule takes the 256-bit path: the last 64 bits of the key are padded
// with zeroes where Camellia-192 takes their complement.
class Camellia192On256Path {
public:
    static constexpr std::size_t blockSize() { return 128; }
    static constexpr std::size_t keyLength() { return 192; }
    static std::optional<Camellia192On256Path> buildKey(const Bytes& key) {
        if (key.size() < 24) {
            return std::nullopt;
        }
        auto inner = openssl::Camellia256::buildKey(
            key.take(24).concat(Bytes(std::vector<std::uint8_t>(8))));
        return inner ? std::optional(Camellia192On256Path(std::move(*inner))) : std::nullopt;
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const {
        return inner_.encryptBlock(blocks);
    }
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const {
        return inner_.decryptBlock(blocks);
    }

private:
    explicit Camellia192On256Path(openssl::Camellia256 inner) : inner_(std::move(inner)) {}
    openssl::Camellia256 inner_;
};

// AES-128 in CTR whose counter carries only within its low 64 bits (a 64-bit block counter
// beside a 64-bit nonce, where the mode counts over the whole block).
class AesCtrCarriesIn64Bits {
public:
    static constexpr std::size_t blockSize() { return 128; }
    static constexpr std::size_t keyLength() { return 128; }
    static std::optional<AesCtrCarriesIn64Bits> buildKey(const Bytes& key) {
        auto inner = openssl::AES128::buildKey(key);
        return inner ? std::optional(AesCtrCarriesIn64Bits(std::move(*inner))) : std::nullopt;
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const {
        return inner_.encryptBlock(blocks);
    }
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const {
        return inner_.decryptBlock(blocks);
    }

    std::pair<Bytes, IV<AesCtrCarriesIn64Bits>> ctr(const IV<AesCtrCarriesIn64Bits>& iv,
                                                    const Bytes& data) const {
        std::array<std::uint8_t, 16> counter{};
        std::ranges::copy(iv.encode(), counter.begin());
        Bytes output = Bytes::create(data.size(), [&](std::span<std::uint8_t> out) {
            for (std::size_t start = 0; start < data.size(); start += 16) {
                const Bytes keystream = inner_.encryptBlock(Bytes(counter));
                for (std::size_t i = start; i < std::min(data.size(), start + 16); ++i) {
                    out[i] = static_cast<std::uint8_t>(data[i] ^ keystream[i - start]);
                }
                for (std::size_t i = 16; i-- > 8 && ++counter[i] == 0;) {
                }
            }
        });
        return {std::move(output), *IV<AesCtrCarriesIn64Bits>::get(Bytes(counter))};
    }
    std::pair<Bytes, IV<AesCtrCarriesIn64Bits>> unCtr(const IV<AesCtrCarriesIn64Bits>& iv,
                                                      const Bytes& data) const {
        return ctr(iv, data);
    }

private:
    explicit AesCtrCarriesIn64Bits(openssl::AES128 inner) : inner_(std::move(inner)) {}
    openssl::AES128 inner_;
};

// A digest held as its octets, for the broken hashes below.
template <class Tag> class OctetDigest {
public:
    static std::size_t outputLength() { return Tag::outputOctets * 8; }
    static std::size_t blockLength() { return Tag::blockOctets * 8; }
    class Context {
    public:
        void update(std::span<const std::uint8_t> octets) {
            fed_.insert(fed_.end(), octets.begin(), octets.end());
        }
        OctetDigest finalize() {
            OctetDigest digest(Tag::digest(Bytes(fed_)));
            fed_.clear();
            return digest;
        }

    private:
        std::vector<std::uint8_t> fed_;
    };
    [[nodiscard]] Bytes encode() const { return octets_; }
    static std::optional<OctetDigest> get(const Bytes& octets) {
        return octets.size() < Tag::outputOctets
                   ? std::nullopt
                   : std::optional(OctetDigest(octets.take(Tag::outputOctets)));
    }
    friend bool operator==(const OctetDigest&, const OctetDigest&) = default;
    friend std::ostream& operator<<(std::ostream& out, const OctetDigest& digest) {
        return out << digest.octets_;
    }
    static OctetDigest hmacStrict(const Bytes& key, const Bytes& message) requires(Tag::ownsHmac) {
        return OctetDigest(Tag::hmac(key, message));
    }
    static OctetDigest hmac(const Bytes& key, const LazyBytes& message) requires(Tag::ownsHmac) {
        return OctetDigest(Tag::hmac(key, message.toStrict()));
    }

private:
    explicit OctetDigest(Bytes octets) : octets_(std::move(octets)) {}
    Bytes octets_;
};

// SHA3-256 whose padding is only wrong where it fits in one octet: a message one octet short of
// the rate gets the domain octet, a permutation, and the final bit in a block of its own.
struct Sha3PaddingAtRate {
    static constexpr std::size_t outputOctets = 32;
    static constexpr std::size_t blockOctets = 136;
    static constexpr bool ownsHmac = false;
    static Bytes digest(const Bytes& message) {
        const bool oneOctetLeft = message.size() % blockOctets == blockOctets - 1;
        keccak::Sponge sponge(blockOctets, oneOctetLeft ? 0x00 : 0x06, false);
        sponge.absorb(message.view());
        if (oneOctetLeft) {
            const std::vector<std::uint8_t> domainThenZeroes(blockOctets, 0);
            sponge.absorb(std::array<std::uint8_t, 1>{0x06});
            sponge.absorb(std::span(domainThenZeroes).first(blockOctets - 1));
        }
        return sponge.squeeze(outputOctets);
    }
};

// HMAC-SHA-256 that hashes a key of exactly one block ("at least a block" where FIPS 198 says
// "longer than a block").
struct HmacHashesBlockKey {
    static constexpr std::size_t outputOctets = 32;
    static constexpr std::size_t blockOctets = 64;
    static constexpr bool ownsHmac = true;
    static Bytes digest(const Bytes& message) {
        return zorvan::hashStrict<openssl::SHA256>(message).encode();
    }
    static Bytes hmac(const Bytes& key, const Bytes& message) {
        const Bytes used =
            key.size() == blockOctets ? zorvan::hashStrict<openssl::SHA256>(key).encode() : key;
        return zorvan::hmacStrict<openssl::SHA256>(used, message).encode();
    }
};

struct LeafRun {
    std::string name;
    LeafOutcome outcome;
};

std::vector<LeafRun> runEach(const std::vector<zorvan::testing::Test>& tests) {
    std::vector<LeafRun> runs;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        runs.push_back({leaf.path.substr(leaf.path.rfind('/') + 1),
                        zorvan::testing::runLeaf(leaf, {.seed = 11})});
    }
    return runs;
}

std::string argument(const LeafOutcome& outcome, const std::string& name) {
    for (const auto& drawn : outcome.falsified->arguments) {
        if (drawn.name == name) {
            return drawn.value;
        }
    }
    return {};
}

// The leaves named fail and no other; each failure's shrunk message is at most maxMessage
// octets. Prints the reports, which show the shrunk cases.
void expectCaught(const std::vector<zorvan::testing::Test>& tests,
                  const std::set<std::string>& failing, std::size_t maxMessage) {
    for (const LeafRun& run : runEach(tests)) {
        if (!failing.contains(run.name)) {
            EXPECT_EQ(run.outcome.status, LeafStatus::passed) << run.outcome.report();
            continue;
        }
        ASSERT_EQ(run.outcome.status, LeafStatus::failed) << run.name;
        ASSERT_TRUE(run.outcome.falsified.has_value());
        std::cout << run.name << ":\n" << run.outcome.report() << '\n';
        const std::string message = argument(run.outcome, "message");
        EXPECT_LE(message == "(empty)" ? 0 : message.size() / 2, maxMessage) << message;
    }
}

using ::Test::Differential::makeDifferentialTests;

TEST(DifferentialBroken, AesDecryptionKeyScheduleShortOfARound) {
    expectCaught(makeDifferentialTests<OwnAes128<true>, openssl::AES128>(),
                 {"ECBAgrees", "CBCAgrees"}, 32);
}

TEST(DifferentialBroken, OwnAesAgreesWhenItsScheduleIsRight) {
    expectCaught(makeDifferentialTests<OwnAes128<false>, openssl::AES128>(), {}, 0);
}

TEST(DifferentialBroken, Camellia192OnThe256BitPath) {
    expectCaught(makeDifferentialTests<Camellia192On256Path, openssl::Camellia192>(),
                 {"ECBAgrees", "CBCAgrees", "CFBAgrees", "OFBAgrees", "CTRAgrees"}, 32);
}

TEST(DifferentialBroken, CtrCounterCarriesIn64Bits) {
    expectCaught(makeDifferentialTests<AesCtrCarriesIn64Bits, openssl::AES128>(), {"CTRAgrees"},
                 32);
}

TEST(DifferentialBroken, Sha3PaddingWrongAtTheRate) {
    // The fault needs a message one octet short of the rate: it cannot shrink below that.
    expectCaught(makeDifferentialTests<OctetDigest<Sha3PaddingAtRate>, openssl::SHA3_256>(),
                 {"HashAgrees", "HMACAgrees"}, 135);
}

TEST(DifferentialBroken, HmacHashesAKeyOfOneBlock) {
    expectCaught(makeDifferentialTests<OctetDigest<HmacHashesBlockKey>, openssl::SHA256>(),
                 {"HMACAgrees"}, 0);
}

// AES-128 that refuses keys whose first octet is even, as a weak-key check gone wrong might.
class AesRefusingEvenFirstOctet {
public:
    static constexpr std::size_t blockSize() { return 128; }
    static constexpr std::size_t keyLength() { return 128; }
    static std::optional<AesRefusingEvenFirstOctet> buildKey(const Bytes& key) {
        auto inner = key.empty() || key[0] % 2 == 0 ? std::nullopt : openssl::AES128::buildKey(key);
        return inner ? std::optional(AesRefusingEvenFirstOctet(std::move(*inner))) : std::nullopt;
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const {
        return inner_.encryptBlock(blocks);
    }
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const {
        return inner_.decryptBlock(blocks);
    }

private:
    explicit AesRefusingEvenFirstOctet(openssl::AES128 inner) : inner_(std::move(inner)) {}
    openssl::AES128 inner_;
};

// A side that raises an error where the other gives a value disagrees, and the report says
// which raised what.
TEST(Differential, AnErrorOnOneSideIsADisagreement) {
    const auto runs = runEach(makeDifferentialTests<AesRefusingEvenFirstOctet, openssl::AES128>());
    ASSERT_FALSE(runs.empty());
    const LeafOutcome& ecb = runs.front().outcome;
    ASSERT_EQ(ecb.status, LeafStatus::failed);
    EXPECT_EQ(argument(ecb, "key"), std::string(32, '0'));
    EXPECT_NE(ecb.report().find("one side raised an error and the other did not"),
              std::string::npos)
        << ecb.report();
    EXPECT_NE(ecb.report().find("error: buildKey refuses the key"), std::string::npos);
}

TEST(Differential, KindsAndLengthsMustMatch) {
    EXPECT_THROW((makeDifferentialTests<openssl::SHA256, openssl::AES128>()),
                 std::invalid_argument);
    EXPECT_THROW((makeDifferentialTests<openssl::SHA256, openssl::SHA512>()),
                 std::invalid_argument);
    EXPECT_THROW((makeDifferentialTests<openssl::AES128, openssl::AES256>()),
                 std::invalid_argument);
}

} // namespace
