#include <Test/KatFiles.hpp>
#include <Test/MonteCarlo.hpp>
#include <Test/MonteCarloFiles.hpp>
#include <Test/SHA.hpp>
#include <Test/SHA3.hpp>
#include <Test/SHA512t.hpp>
#include <Test/ShaVectors.hpp>

#include "hash_suite_support.hpp"
#include "keccak_sponge.hpp"
#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <map>

namespace {

namespace monte = ::Test::MonteCarlo;
using hash_suites::failingNames;
using hash_suites::runUnitLeaves;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zorvan::Bytes;

// Every unit test of a builder's list passes, there is one per `recordLine` line of the
// named file(s) of folder (the parser is not trusted to count them), named from first to
// "<prefix><count>" when counted from 1.
void expectPassesWithOneTestPerRecord(const std::vector<zorvan::testing::Test>& tests,
                                      std::string_view folder,
                                      const std::vector<std::string>& fileNames,
                                      std::string_view recordLine, const std::string& firstName,
                                      const std::string& lastName) {
    const std::size_t records = hash_suites::countLines(
        folder,
        [&](const std::string& file) {
            return std::ranges::find(fileNames, file) != fileNames.end();
        },
        [&](const std::string& line, const std::string&) { return line.starts_with(recordLine); });
    ASSERT_GT(records, 0u) << firstName;
    const auto runs = runUnitLeaves(tests);
    ASSERT_EQ(runs.size(), records) << firstName;
    EXPECT_EQ(runs.front().name, firstName);
    EXPECT_EQ(runs.back().name, lastName);
    EXPECT_THAT(failingNames(runs), IsEmpty()) << firstName;
}

void expectMessageSuite(const std::vector<zorvan::testing::Test>& tests, std::string_view folder,
                        const std::string& label) {
    const auto files = ::Test::SHA::messageFileNames(label);
    const std::size_t records = hash_suites::countLines(
        folder,
        [&](const std::string& file) { return std::ranges::find(files, file) != files.end(); },
        [](const std::string& line, const std::string&) { return line.starts_with("Len ="); });
    expectPassesWithOneTestPerRecord(tests, folder, files, "Len =", "Nist" + label + "-1",
                                     "Nist" + label + "-" + std::to_string(records));
    EXPECT_EQ(tests.back().name(), ::Test::Crypto::names::hashGroup) << label;
}

// One library's SHA-3 and SHA-512/t digest types.
template <class Sha3_224, class Sha3_256, class Sha3_384, class Sha3_512, class Sha512_224,
          class Sha512_256>
struct NewDigests {
    using SHA3_224 = Sha3_224;
    using SHA3_256 = Sha3_256;
    using SHA3_384 = Sha3_384;
    using SHA3_512 = Sha3_512;
    using SHA512_224 = Sha512_224;
    using SHA512_256 = Sha512_256;
};
namespace openssl = zorvan::openssl;
namespace gcrypt = zorvan::gcrypt;
namespace nettle = zorvan::nettle;
using Libraries =
    ::testing::Types<NewDigests<openssl::SHA3_224, openssl::SHA3_256, openssl::SHA3_384,
                                openssl::SHA3_512, openssl::SHA512_224, openssl::SHA512_256>,
                     NewDigests<gcrypt::SHA3_224, gcrypt::SHA3_256, gcrypt::SHA3_384,
                                gcrypt::SHA3_512, gcrypt::SHA512_224, gcrypt::SHA512_256>,
                     NewDigests<nettle::SHA3_224, nettle::SHA3_256, nettle::SHA3_384,
                                nettle::SHA3_512, nettle::SHA512_224, nettle::SHA512_256>>;

template <class Library> class NewHashSuites : public ::testing::Test {};
TYPED_TEST_SUITE(NewHashSuites, Libraries, hash_suites::HashBackendNames);

TYPED_TEST(NewHashSuites, EveryMessageBuilderPassesWithOneTestPerRecordOfItsTwoFiles) {
    using L = TypeParam;
    namespace sha3 = ::Test::SHA3;
    namespace sha512t = ::Test::SHA512t;
    expectMessageSuite(sha3::makeSHA3_224Tests<typename L::SHA3_224>(), sha3::katDirectory,
                       "SHA3_224");
    expectMessageSuite(sha3::makeSHA3_256Tests<typename L::SHA3_256>(), sha3::katDirectory,
                       "SHA3_256");
    expectMessageSuite(sha3::makeSHA3_384Tests<typename L::SHA3_384>(), sha3::katDirectory,
                       "SHA3_384");
    expectMessageSuite(sha3::makeSHA3_512Tests<typename L::SHA3_512>(), sha3::katDirectory,
                       "SHA3_512");
    expectMessageSuite(sha512t::makeSHA512_224Tests<typename L::SHA512_224>(),
                       sha512t::katDirectory, "SHA512_224");
    expectMessageSuite(sha512t::makeSHA512_256Tests<typename L::SHA512_256>(),
                       sha512t::katDirectory, "SHA512_256");
}

void expectMonteSuite(const std::vector<zorvan::testing::Test>& tests, monte::Algorithm algorithm) {
    const std::string label(monte::labelOf(algorithm));
    expectPassesWithOneTestPerRecord(tests, monte::katDirectory, {label + "Monte.rsp"},
                                     "COUNT =", "Nist" + label + "Monte-0",
                                     "Nist" + label + "Monte-99");
}

// One library is enough to show that every Monte file reads and chains as NIST defines it;
// zorvan-check runs them all for every library.
TEST(MonteCarloSuite, EveryCheckpointOfEveryFilePassesStandingAlone) {
    using A = monte::Algorithm;
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA1>(A::sha1), A::sha1);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA224>(A::sha224), A::sha224);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA256>(A::sha256), A::sha256);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA384>(A::sha384), A::sha384);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA512>(A::sha512), A::sha512);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA512_224>(A::sha512_224), A::sha512_224);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA512_256>(A::sha512_256), A::sha512_256);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA3_224>(A::sha3_224), A::sha3_224);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA3_256>(A::sha3_256), A::sha3_256);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA3_384>(A::sha3_384), A::sha3_384);
    expectMonteSuite(monte::makeMonteCarloTests<nettle::SHA3_512>(A::sha3_512), A::sha3_512);
}

TEST(MonteCarloFiles, EachCheckpointIsSeededByTheDigestBeforeItAndAGapBreaksTheChain) {
    const auto sections = monte::checkpoints(
        "SHA1", ::Test::ParseNistKATs::parseCategories(
                    monte::seedField, "[L = 20]\n\nSeed = 00\n\nCOUNT = 0\nMD = 11\n\nCOUNT = 1\n"
                                      "MD = 22\n\nCOUNT = 2\n\nCOUNT = 3\nMD = 44\n"));
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_THAT(sections[0].checkpoints,
                ElementsAre(monte::Checkpoint{"NistSHA1Monte-0", "00", "11"},
                            monte::Checkpoint{"NistSHA1Monte-1", "11", "22"}));
    ASSERT_TRUE(sections[0].broken);
    EXPECT_EQ(sections[0].broken->line, 13u);
    EXPECT_EQ(sections[0].broken->why, "a COUNT where its MD should stand");
}

TEST(MonteCarloFiles, EveryWayOutOfTheCountMdOrderBreaksTheChainWhereItStands) {
    const auto brokenAt = [](std::string_view body) {
        const auto sections =
            monte::checkpoints("SHA1", ::Test::ParseNistKATs::parseCategories(
                                           monte::seedField, "Seed = 00\n" + std::string(body)));
        return sections.at(0).broken
                   ? std::to_string(sections[0].broken->line) + " " + sections[0].broken->why
                   : "whole";
    };
    EXPECT_EQ(brokenAt("COUNT = 0\nMD = 11\n"), "whole");
    EXPECT_EQ(brokenAt("COUNT = 0\nMD = 11\nCOUNT = 1\n"), "4 a COUNT without its MD");
    EXPECT_EQ(brokenAt("MD = 11\n"), "2 an MD without its COUNT");
    EXPECT_EQ(brokenAt("COUNT = 0\nMDD = 11\n"), "3 unknown field: MDD");
}

TEST(MonteCarloFiles, AMissingFileFailsTheBuildNamingItAndABrokenChainFailsItsSuite) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_SHA_MONTE/SHA1Monte.rsp", "Seed = 00\nCOUNT = 0\nMD = 11\nCOUNT = 1\n");
    const auto runs =
        runUnitLeaves(monte::makeMonteCarloTests<nettle::SHA1>(monte::Algorithm::sha1));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].name, "SHA1Monte.rsp:4");
    EXPECT_THAT(runs[1].report, ::testing::HasSubstr("a COUNT without its MD: the checkpoints "
                                                     "after it cannot be seeded"));
    EXPECT_THAT([] { monte::makeMonteCarloTests<nettle::SHA256>(monte::Algorithm::sha256); },
                ::testing::ThrowsMessage<::Test::KatFiles::KatDirectoryError>(
                    ::testing::HasSubstr("KAT_SHA_MONTE/SHA256Monte.rsp")));
    EXPECT_THROW(::Test::SHA3::makeSHA3_256Tests<zorvan::nettle::SHA3_256>(),
                 ::Test::KatFiles::KatDirectoryError);
    EXPECT_THROW(monte::makeMonteCarloTests<nettle::SHA1>(static_cast<monte::Algorithm>(99)),
                 std::invalid_argument);
}

// The sponge of FIPS 202 over keccak::permutation with the domain byte as a parameter: 0x06 is
// SHA-3; 0x01 is the original Keccak padding that some early implementations shipped.
template <std::size_t OutputBits, std::uint8_t DomainByte> class SpongeDigest {
public:
    static constexpr std::size_t rateOctets = 200 - 2 * OutputBits / 8;
    static std::size_t outputLength() { return OutputBits; }
    static std::size_t blockLength() { return rateOctets * 8; }

    class Context {
    public:
        void update(std::span<const std::uint8_t> octets) {
            message_.insert(message_.end(), octets.begin(), octets.end());
        }
        SpongeDigest finalize() {
            std::vector<std::uint8_t> padded = std::exchange(message_, {});
            padded.push_back(DomainByte);
            padded.resize((padded.size() + rateOctets - 1) / rateOctets * rateOctets);
            padded.back() |= 0x80;
            std::array<std::uint64_t, 25> state{};
            for (std::size_t block = 0; block < padded.size(); block += rateOctets) {
                for (std::size_t octet = 0; octet < rateOctets; ++octet) {
                    state[octet / 8] ^= std::uint64_t{padded[block + octet]} << (8 * (octet % 8));
                }
                state = keccak::permutation(state);
            }
            return SpongeDigest(Bytes::create(OutputBits / 8, [&](std::span<std::uint8_t> out) {
                for (std::size_t octet = 0; octet < out.size(); ++octet) {
                    out[octet] = static_cast<std::uint8_t>(state[octet / 8] >> (8 * (octet % 8)));
                }
            }));
        }

    private:
        std::vector<std::uint8_t> message_;
    };

    [[nodiscard]] Bytes encode() const { return octets_; }
    static std::optional<SpongeDigest> get(const Bytes& bytes) {
        return bytes.size() < OutputBits / 8
                   ? std::nullopt
                   : std::optional(SpongeDigest(bytes.take(OutputBits / 8)));
    }
    friend bool operator==(const SpongeDigest&, const SpongeDigest&) = default;
    friend std::ostream& operator<<(std::ostream& out, const SpongeDigest& digest) {
        return out << digest.octets_;
    }

private:
    explicit SpongeDigest(Bytes octets) : octets_(std::move(octets)) {}
    Bytes octets_;
};

std::vector<hash_suites::LeafRun> failedRuns(const std::vector<hash_suites::LeafRun>& runs) {
    std::vector<hash_suites::LeafRun> failed;
    std::ranges::copy_if(runs, std::back_inserter(failed),
                         [](const auto& run) { return !run.passed; });
    return failed;
}

TEST(SHA3SuiteFaults, TheKeccakPaddingByteFailsEveryKnownAnswerAndTheRightOnePassesThem) {
    const auto right = runUnitLeaves(::Test::SHA3::makeSHA3_256Tests<SpongeDigest<256, 0x06>>());
    EXPECT_THAT(failingNames(right), IsEmpty());
    const auto wrong = runUnitLeaves(::Test::SHA3::makeSHA3_256Tests<SpongeDigest<256, 0x01>>());
    EXPECT_EQ(failedRuns(wrong).size(), wrong.size());
    EXPECT_EQ(wrong.size(), right.size());
}

// SHA-512/224 is SHA-512 from its own initial values, cut to 224 bits; cutting SHA-512 is the
// classic shortcut.
struct SHA512InitialValues {
    static Bytes afterHashing(Bytes digest, std::size_t /*octetsFed*/) { return digest.take(28); }
    static std::vector<Bytes> chunksFed(const zorvan::LazyBytes& message) {
        return message.toChunks();
    }
    static Bytes afterMac(Bytes mac) { return mac.take(28); }
};

TEST(SHA512tSuiteFaults, SHA512sInitialValuesFailEveryKnownAnswer) {
    using Truncated = hash_suites::FaultyDigest<zorvan::openssl::SHA512, SHA512InitialValues>;
    const auto runs = runUnitLeaves(::Test::SHA512t::makeSHA512_224Tests<Truncated>());
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(failedRuns(runs).size(), runs.size());
}

// A digest that memoises its results by message length: right on the message files, which
// never repeat a length, but from the second step on a Monte chain gets the first step's
// digest back instead of the one it must chain.
struct Memo {
    std::map<std::size_t, Bytes> byLength;
};
Memo memo;

struct MemoisedByLength {
    static Bytes afterHashing(Bytes digest, std::size_t octetsFed) {
        return memo.byLength.try_emplace(octetsFed, std::move(digest)).first->second;
    }
    static std::vector<Bytes> chunksFed(const zorvan::LazyBytes& message) {
        return message.toChunks();
    }
    static Bytes afterMac(Bytes mac) { return mac; }
};

TEST(MonteCarloSuiteFaults, ADigestThatChainsAStaleResultFailsEveryCheckpoint) {
    using Stale = hash_suites::FaultyDigest<zorvan::nettle::SHA256, MemoisedByLength>;
    memo.byLength.clear();
    EXPECT_THAT(failingNames(runUnitLeaves(::Test::SHA::makeSHA256Tests<Stale>())), IsEmpty());
    memo.byLength.clear();
    const auto runs = runUnitLeaves(monte::makeMonteCarloTests<Stale>(monte::Algorithm::sha256));
    ASSERT_EQ(runs.size(), 100u);
    EXPECT_EQ(failedRuns(runs).size(), runs.size());
    EXPECT_THAT(runs[1].report,
                ::testing::AllOf(::testing::HasSubstr("\n  computed:     "),
                                 ::testing::HasSubstr("\n  vector: Test/KAT_SHA_MONTE/"
                                                      "SHA256Monte.rsp:13 (record 2)\n"
                                                      "    COUNT = 1\n    MD = ")));
}

} // namespace
