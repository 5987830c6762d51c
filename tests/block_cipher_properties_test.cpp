#include <Test/Crypto.hpp>

#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <set>

namespace {

namespace crypto = ::Test::Crypto;
using zorvan::Bytes;
using zorvan::IV;
using zorvan::LazyBytes;

// The faults a toy cipher can be built with; each should fail exactly one property.
enum class Fault { none, cbcDecryptKeepsIV, ctrLazyRestartsCounter, ecbDecryptWrong, padLost };

// A small invertible 64-bit block cipher: enough to exercise every mode and law.
template <Fault fault> class Toy {
public:
    static std::size_t blockSize() { return 64; }
    static std::size_t keyLength() { return 64; }
    static std::optional<Toy> buildKey(const Bytes& material) {
        if (material.size() != 8) {
            return std::nullopt;
        }
        std::uint64_t key = 0;
        std::memcpy(&key, material.data(), 8);
        return Toy(key);
    }
    Bytes encryptBlock(const Bytes& blocks) const {
        return eachBlock(blocks,
                         [this](std::uint64_t x) { return std::rotl(x ^ key_, 13) + key_; });
    }
    Bytes decryptBlock(const Bytes& blocks) const {
        return eachBlock(blocks,
                         [this](std::uint64_t x) { return std::rotr(x - key_, 13) ^ key_; });
    }

    Bytes unEcb(const Bytes& data) const requires(fault == Fault::ecbDecryptWrong) {
        return encryptBlock(data);
    }
    std::pair<Bytes, IV<Toy>> unCbc(const IV<Toy>& iv, const Bytes& data) const
        requires(fault == Fault::cbcDecryptKeepsIV) {
        return {zorvan::detail::cbcDecrypt(*this, iv, data).first, iv};
    }
    // Its chunked decryption carries the IV correctly between chunks but reports the same wrong
    // next IV, so chunked and contiguous agree and only the identity law sees the fault.
    std::pair<LazyBytes, IV<Toy>> unCbcLazy(const IV<Toy>& iv, const LazyBytes& data) const
        requires(fault == Fault::cbcDecryptKeepsIV) {
        auto streamed = zorvan::detail::streamChunks<Toy>(
            iv, data, [this](const IV<Toy>& at, const Bytes& part) {
                return zorvan::detail::cbcDecrypt(*this, at, part);
            });
        return {std::move(streamed.first), iv};
    }
    std::pair<LazyBytes, IV<Toy>> ctrLazy(const IV<Toy>& iv, const LazyBytes& data) const
        requires(fault == Fault::ctrLazyRestartsCounter) {
        std::vector<Bytes> chunks;
        std::optional<IV<Toy>> next;
        for (const Bytes& chunk : data.toChunks()) {
            auto [output, after] = zorvan::ctr(*this, iv, chunk);
            chunks.push_back(std::move(output));
            next = std::move(after);
        }
        return {LazyBytes::fromChunks(std::move(chunks)), next.value_or(iv)};
    }
    Bytes ecb(const Bytes& data) const requires(fault == Fault::padLost) {
        return encryptBlock(data.take(data.size() - 8).concat(Bytes(std::vector<std::uint8_t>(8))));
    }

private:
    explicit Toy(std::uint64_t key) : key_(key) {}

    template <class Transform> static Bytes eachBlock(const Bytes& blocks, Transform transform) {
        std::vector<std::uint8_t> out(blocks.begin(), blocks.end());
        for (std::size_t at = 0; at + 8 <= out.size(); at += 8) {
            std::uint64_t x = 0;
            std::memcpy(&x, out.data() + at, 8);
            x = transform(x);
            std::memcpy(out.data() + at, &x, 8);
        }
        return Bytes(out);
    }

    std::uint64_t key_;
};

template <class K> std::set<std::string> failingLeaves() {
    const std::vector<zorvan::testing::Test> tests = crypto::makeBlockCipherPropTests<K>();
    std::set<std::string> failing;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        const auto outcome = zorvan::testing::runLeaf(leaf, {.seed = 11});
        if (outcome.status != zorvan::testing::LeafStatus::passed) {
            failing.insert(leaf.name);
        }
    }
    return failing;
}

TEST(BlockCipherProperties, GroupsHoldTheTenLeavesInOrder) {
    std::vector<std::string> paths;
    const auto tree = crypto::makeBlockCipherPropTests<Toy<Fault::none>>();
    for (const auto& leaf : zorvan::testing::flatten(tree)) {
        paths.push_back(leaf.path);
    }
    const std::string ident = "Block Cipher tests (ident)/";
    const std::string lazy = "Block Cipher tests (lazy/string bytestring equality)/";
    EXPECT_THAT(paths, ::testing::ElementsAre(ident + "ECBEncDecID", ident + "CBCEncDecID",
                                              ident + "CFBEncDecID", ident + "OFBEncDecID",
                                              ident + "CTREncDecID", lazy + "ECBStringLazyEq",
                                              lazy + "CBCStrictLazyEq", lazy + "CFBStrictLazyEq",
                                              lazy + "OFBStrictLazyEq", lazy + "CTRStrictLazyEq"));
}

TEST(BlockCipherProperties, ACorrectCipherPassesAndEachFaultFailsExactlyItsLeaf) {
    EXPECT_THAT(failingLeaves<Toy<Fault::none>>(), ::testing::IsEmpty());
    EXPECT_THAT(failingLeaves<Toy<Fault::cbcDecryptKeepsIV>>(),
                ::testing::ElementsAre("CBCEncDecID"));
    EXPECT_THAT(failingLeaves<Toy<Fault::ctrLazyRestartsCounter>>(),
                ::testing::ElementsAre("CTRStrictLazyEq"));
    EXPECT_THAT(failingLeaves<Toy<Fault::padLost>>(),
                ::testing::UnorderedElementsAre("ECBEncDecID", "ECBStringLazyEq"));
    // Chunked and contiguous decryption agree even when both are wrong.
    EXPECT_THAT(failingLeaves<Toy<Fault::ecbDecryptWrong>>(),
                ::testing::ElementsAre("ECBEncDecID"));
}

// A cipher whose key is never acceptable: every case is discarded and the properties give up.
struct RefusesEveryKey {
    static std::size_t blockSize() { return 64; }
    static std::size_t keyLength() { return 4; }
    static inline std::vector<Bytes> offered;
    static std::optional<RefusesEveryKey> buildKey(const Bytes& material) {
        offered.push_back(material);
        return std::nullopt;
    }
    Bytes encryptBlock(const Bytes& b) const { return b; }
    Bytes decryptBlock(const Bytes& b) const { return b; }
};

TEST(BlockCipherProperties, RefusedKeysDiscardCasesAndShortKeysGetEmptyMaterial) {
    EXPECT_EQ(failingLeaves<RefusesEveryKey>().size(), 10u);
    ASSERT_FALSE(RefusesEveryKey::offered.empty());
    for (const Bytes& material : RefusesEveryKey::offered) {
        ASSERT_TRUE(material.empty());
    }
}

struct QuarterOctetBlocks {
    static std::size_t blockSize() { return 4; }
    static std::size_t keyLength() { return 8; }
    static std::optional<QuarterOctetBlocks> buildKey(const Bytes&) { return QuarterOctetBlocks{}; }
    Bytes encryptBlock(const Bytes& b) const { return b; }
    Bytes decryptBlock(const Bytes& b) const { return b; }
};

TEST(BlockCipherProperties, BlocksBelowOneOctetAreRefusedWhenBuilding) {
    EXPECT_THAT([] { crypto::makeBlockCipherPropTests<QuarterOctetBlocks>(); },
                ::testing::ThrowsMessage<std::invalid_argument>(::testing::HasSubstr("4 bits")));
}

TEST(KeyMaterial, RepeatsTheSeedWithAZeroOctetAndCutsToTheKeyLength) {
    EXPECT_EQ(crypto::keyMaterial(Bytes{1, 2, 3, 4, 5}, 128),
              (Bytes{1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4}));
    const Bytes twenty(std::vector<std::uint8_t>(20, 9));
    EXPECT_EQ(crypto::keyMaterial(twenty, 128), twenty.take(16));
    EXPECT_TRUE(crypto::keyMaterial(twenty, 7).empty());
}

TEST(WholeBlocks, CutsToWholeBlocksKeepingChunkBoundaries) {
    const auto filled = [](std::size_t n) { return Bytes(std::vector<std::uint8_t>(n, 1)); };
    const LazyBytes message = LazyBytes::fromChunks({filled(10), filled(20), filled(7)});
    const LazyBytes cut = crypto::wholeBlocks(message, 128);
    ASSERT_EQ(cut.toChunks().size(), 3u);
    EXPECT_EQ(cut.toChunks()[2].size(), 2u);
    EXPECT_EQ(cut.length(), 32u);
    EXPECT_TRUE(crypto::wholeBlocks(LazyBytes::fromChunks({filled(5), filled(10)}), 128).empty());
}

// The view streams chunked modes itself for a type without its own chunked members; it must give
// what zorvan's lazy defaults give, chunk boundaries, empty chunks and short last blocks
// included, and the type's own member where it has one.
TEST(CipherView, ChunkedModesAgreeWithZorvansOwnLazyOperations) {
    using Correct = Toy<Fault::none>;
    using Restarting = Toy<Fault::ctrLazyRestartsCounter>;
    using crypto::CipherMode;
    const Bytes keyOctets{1, 2, 3, 4, 5, 6, 7, 8};
    const Bytes ivOctets{9, 8, 7, 6, 5, 4, 3, 2};
    const Bytes whole = Bytes::create(29, [](std::span<std::uint8_t> octets) {
        for (std::size_t i = 0; i < octets.size(); ++i) {
            octets[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
    });
    const LazyBytes chunked =
        LazyBytes::fromChunks({whole.take(3), Bytes{}, whole.slice(3, 13), whole.drop(16)});
    const LazyBytes blocksOnly = LazyBytes::fromChunks({whole.take(8), whole.slice(8, 16)});
    const Correct key = *Correct::buildKey(keyOctets);
    const auto view = crypto::keyView(key);
    const IV<Correct> iv = *IV<Correct>::get(ivOctets);
    const auto same = [&](auto lazy, CipherMode mode, bool decrypt, const LazyBytes& input) {
        const auto [output, next] = lazy(key, iv, input);
        const auto viewed = view->runLazy(mode, decrypt, ivOctets, input);
        EXPECT_EQ(viewed.first, output) << static_cast<int>(mode) << decrypt;
        EXPECT_EQ(viewed.second, next.encode()) << static_cast<int>(mode) << decrypt;
    };
    same(zorvan::cbcLazy<Correct>, CipherMode::cbc, false, blocksOnly);
    same(zorvan::unCbcLazy<Correct>, CipherMode::cbc, true, blocksOnly);
    same(zorvan::cfbLazy<Correct>, CipherMode::cfb, false, chunked);
    same(zorvan::unCfbLazy<Correct>, CipherMode::cfb, true, chunked);
    same(zorvan::ofbLazy<Correct>, CipherMode::ofb, false, chunked);
    same(zorvan::ctrLazy<Correct>, CipherMode::ctr, false, chunked);
    EXPECT_EQ(view->runLazy(CipherMode::ecb, false, {}, blocksOnly).first,
              zorvan::ecbLazy(key, blocksOnly));
    // A type's own chunked member is what the view runs, faults and all.
    const Restarting restarting = *Restarting::buildKey(keyOctets);
    EXPECT_EQ(crypto::keyView(restarting)->runLazy(CipherMode::ctr, false, ivOctets, chunked).first,
              zorvan::ctrLazy(restarting, *IV<Restarting>::get(ivOctets), chunked).first);
    EXPECT_NE(crypto::keyView(restarting)->runLazy(CipherMode::ctr, false, ivOctets, chunked).first,
              view->runLazy(CipherMode::ctr, false, ivOctets, chunked).first);
}

TEST(IVGet, ReadsTheFirstBlockFromCopiesAndFromTemporariesAlike) {
    using ToyIV = IV<Toy<Fault::none>>;
    const Bytes nine{1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (const Bytes& octets : {nine, nine.take(8), nine.take(7)}) {
        const auto copied = ToyIV::get(octets);
        const auto taken = ToyIV::get(Bytes(octets));
        ASSERT_EQ(copied.has_value(), octets.size() >= 8);
        ASSERT_EQ(taken, copied);
        if (copied) {
            EXPECT_EQ(copied->encode(), nine.take(8));
            EXPECT_EQ(ToyIV(*copied).encode(), nine.take(8)); // a temporary hands its octets over
        }
    }
}

} // namespace
