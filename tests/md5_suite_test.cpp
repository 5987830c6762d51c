#include <Test/MD5.hpp>
#include <Test/Md5Vectors.hpp>

#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

namespace md5 = ::Test::MD5;
using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::openssl::MD5;
using zorvan::testing::LeafStatus;

struct Outcome {
    std::string path;
    LeafStatus status;
    std::string report;
};

template <class D> std::vector<Outcome> runSuite() {
    const std::vector<zorvan::testing::Test> tree = md5::makeMD5Tests<D>();
    std::vector<Outcome> outcomes;
    for (const auto& leaf : zorvan::testing::flatten(tree)) {
        const auto outcome = zorvan::testing::runLeaf(leaf, {.seed = 3});
        outcomes.push_back({leaf.path, outcome.status, outcome.report()});
    }
    return outcomes;
}

std::vector<std::string> failedReports(const std::vector<Outcome>& outcomes) {
    std::vector<std::string> reports;
    for (const Outcome& outcome : outcomes) {
        if (outcome.status != LeafStatus::passed) {
            reports.push_back(outcome.report.substr(0, outcome.report.find('\n')));
        }
    }
    return reports;
}

TEST(MD5Suite, OpenSSLPassesThePropertiesThenTheSevenVectors) {
    const std::vector<Outcome> outcomes = runSuite<MD5>();
    ASSERT_EQ(outcomes.size(), 12u);
    EXPECT_EQ(outcomes[0].path, "Cryptographic Digest Property Tests/LazyStrictEqual");
    for (std::size_t i = 5; i < 12; ++i) {
        EXPECT_EQ(outcomes[i].path, "MD5 KATs/md5KAT");
    }
    EXPECT_THAT(failedReports(outcomes), ::testing::IsEmpty());
}

TEST(MD5Suite, MessagesArriveInDoublingChunks) {
    const auto chunkSizes = [](std::size_t length) {
        std::vector<std::size_t> sizes;
        const LazyBytes packed =
            md5::packInDoublingChunks(Bytes(std::vector<std::uint8_t>(length)));
        for (const Bytes& chunk : packed.toChunks()) {
            sizes.push_back(chunk.size());
        }
        return sizes;
    };
    EXPECT_THAT(chunkSizes(0), ::testing::IsEmpty());
    EXPECT_THAT(chunkSizes(26), ::testing::ElementsAre(26));
    EXPECT_THAT(chunkSizes(62), ::testing::ElementsAre(32, 30));
    EXPECT_THAT(chunkSizes(80), ::testing::ElementsAre(32, 48));
    EXPECT_THAT(chunkSizes(200), ::testing::ElementsAre(32, 64, 104));
}

// MD5 from libcrypto wrapped with one fault.
enum class Fault { dropsLaterChunks, getNeedsSeventeenOctets };

template <Fault fault> class Broken {
public:
    static std::size_t outputLength() { return 128; }
    static std::size_t blockLength() { return 512; }
    class Context {
    public:
        void update(std::span<const std::uint8_t> octets) {
            // Chunk boundaries: everything after the first chunk is lost.
            if (fault != Fault::dropsLaterChunks || updates_++ == 0) {
                inner_.update(octets);
            }
        }
        Broken finalize() { return Broken(inner_.finalize()); }

    private:
        MD5::Context inner_;
        int updates_ = 0;
    };
    static Broken hashStrict(const Bytes& message) {
        return Broken(zorvan::hashStrict<MD5>(message));
    }
    [[nodiscard]] Bytes encode() const { return inner_.encode(); }
    static std::optional<Broken> get(const Bytes& bytes) {
        if (fault == Fault::getNeedsSeventeenOctets && bytes.size() < 17) {
            return std::nullopt;
        }
        const auto inner = MD5::get(bytes);
        return inner ? std::optional<Broken>(Broken(*inner)) : std::nullopt;
    }
    friend bool operator==(const Broken&, const Broken&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Broken& d) { return out << d.inner_; }

private:
    explicit Broken(MD5 inner) : inner_(std::move(inner)) {}
    MD5 inner_;
};

TEST(MD5Suite, AChunkBoundaryFaultFailsExactlyTheTwoChunkedVectors) {
    const std::vector<Outcome> outcomes = runSuite<Broken<Fault::dropsLaterChunks>>();
    // The property group sees it too; of the vectors only the two that arrive in two chunks.
    std::vector<std::string> failedVectors;
    for (std::size_t i = 5; i < outcomes.size(); ++i) {
        if (outcomes[i].status == LeafStatus::failed) {
            failedVectors.push_back(outcomes[i].report.substr(0, outcomes[i].report.find('\n')));
        }
    }
    EXPECT_THAT(failedVectors, ::testing::ElementsAre("md5KAT6", "md5KAT7"));
    EXPECT_EQ(outcomes[0].status, LeafStatus::failed);
}

TEST(MD5Suite, ADigestThatCannotBeReadErrsInEveryVectorWithTheFixedText) {
    const std::vector<Outcome> outcomes = runSuite<Broken<Fault::getNeedsSeventeenOctets>>();
    std::vector<std::string> expected(7, "error: Test/MD5:38:3-25|function fromRight");
    // GetPutHash reads back what encode wrote: 16 octets are too few for this digest.
    expected.insert(expected.begin(), "falsified after 0 passed cases");
    EXPECT_THAT(failedReports(outcomes), ::testing::ElementsAreArray(expected));
}

} // namespace
