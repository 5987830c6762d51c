#include <Test/Crypto.hpp>

#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace {

namespace crypto = ::Test::Crypto;
namespace openssl = zorvan::openssl;
using zorvan::Bytes;
using zorvan::LazyBytes;

template <class D> std::set<std::string> failingLeaves() {
    const std::vector<zorvan::testing::Test> tree{crypto::makeHashPropTests<D>()};
    const auto leaves = zorvan::testing::flatten(tree);
    EXPECT_EQ(leaves.size(), 5u);
    std::set<std::string> failing;
    for (const zorvan::testing::Leaf& leaf : leaves) {
        if (zorvan::testing::runLeaf(leaf, {.seed = 5}).status !=
            zorvan::testing::LeafStatus::passed) {
            failing.insert(leaf.name);
        }
    }
    return failing;
}

template <class D> class HashPropertiesOfOpenSSL : public ::testing::Test {};
using OpenSSLDigests = ::testing::Types<openssl::MD5, openssl::SHA1, openssl::SHA224,
                                        openssl::SHA256, openssl::SHA384, openssl::SHA512>;
TYPED_TEST_SUITE(HashPropertiesOfOpenSSL, OpenSSLDigests);

TYPED_TEST(HashPropertiesOfOpenSSL, EveryPropertyHolds) {
    EXPECT_THAT(failingLeaves<TypeParam>(), ::testing::IsEmpty());
}

TEST(HashProperties, GroupNamesItsFiveLeavesInOrder) {
    std::vector<std::string> paths;
    const std::vector<zorvan::testing::Test> tree{crypto::makeHashPropTests<openssl::MD5>()};
    for (const auto& leaf : zorvan::testing::flatten(tree)) {
        paths.push_back(leaf.path);
    }
    const std::string group = "Cryptographic Digest Property Tests/";
    EXPECT_THAT(paths,
                ::testing::ElementsAre(group + "LazyStrictEqual", group + "DigestLen",
                                       group + "GetPutHash", group + "BlockLengthIsByteAligned",
                                       group + "OutputLengthIsByteAligned"));
}

enum class Fault {
    chunkedDiffers,
    encodesOneOctetTooMany,
    getNeedsMore,
    blockLength1020,
    blockLengthThrows
};

// SHA-256 from libcrypto with one fault.
template <Fault fault> class Broken {
public:
    static std::size_t outputLength() { return 256; }
    static std::size_t blockLength() {
        if (fault == Fault::blockLengthThrows) {
            throw std::runtime_error("no block length");
        }
        return fault == Fault::blockLength1020 ? 1020 : 512;
    }

    class Context {
    public:
        void update(std::span<const std::uint8_t> octets) { inner_.update(octets); }
        Broken finalize() { return Broken(inner_.finalize()); }

    private:
        openssl::SHA256::Context inner_;
    };

    static Broken hash(const LazyBytes& message) requires(fault == Fault::chunkedDiffers) {
        // Chunk boundaries leak into the digest.
        Context context;
        for (const Bytes& chunk : message.toChunks()) {
            context.update(chunk.view());
            context.update(Bytes{0}.view());
        }
        return context.finalize();
    }

    [[nodiscard]] Bytes encode() const {
        return fault == Fault::encodesOneOctetTooMany ? inner_.encode().concat(Bytes{0})
                                                      : inner_.encode();
    }
    static std::optional<Broken> get(const Bytes& bytes) {
        if (fault == Fault::getNeedsMore && bytes.size() < 33) {
            return std::nullopt;
        }
        const auto inner = openssl::SHA256::get(bytes);
        return inner ? std::optional<Broken>(Broken(*inner)) : std::nullopt;
    }
    friend bool operator==(const Broken&, const Broken&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Broken& d) { return out << d.inner_; }

private:
    explicit Broken(openssl::SHA256 inner) : inner_(std::move(inner)) {}
    openssl::SHA256 inner_;
};

TEST(HashProperties, EachFaultFailsExactlyTheLeafThatNamesIt) {
    EXPECT_THAT(failingLeaves<Broken<Fault::chunkedDiffers>>(),
                ::testing::ElementsAre("LazyStrictEqual"));
    EXPECT_THAT(failingLeaves<Broken<Fault::encodesOneOctetTooMany>>(),
                ::testing::ElementsAre("DigestLen"));
    EXPECT_THAT(failingLeaves<Broken<Fault::getNeedsMore>>(), ::testing::ElementsAre("GetPutHash"));
    EXPECT_THAT(failingLeaves<Broken<Fault::blockLength1020>>(),
                ::testing::ElementsAre("BlockLengthIsByteAligned"));
    // Building the tree runs nothing of the digest: a throwing length fails its leaf alone.
    EXPECT_THAT(failingLeaves<Broken<Fault::blockLengthThrows>>(),
                ::testing::ElementsAre("BlockLengthIsByteAligned"));
}

TEST(HashProperties, TheEmptyChunkedMessageHashesAsEmptyBytes) {
    EXPECT_EQ(zorvan::hash<openssl::SHA256>(LazyBytes{}),
              zorvan::hashStrict<openssl::SHA256>(Bytes{}));
}

} // namespace
