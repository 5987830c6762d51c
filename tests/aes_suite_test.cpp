// makeAESTests over the installed vectors with the three libraries' AES, and with AES broken one
// way at a time.

#include <Test/AES.hpp>
#include <Test/Crypto/hex.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

namespace {

namespace aes = ::Test::AES;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zorvan::Bytes;
using zorvan::IV;
using zorvan::LazyBytes;

const std::string identityGroup = ::Test::Crypto::names::identityGroup;
const std::string agreementGroup = ::Test::Crypto::names::agreementGroup;

// What running a whole suite gave: the names of its unit tests, and of the leaves that failed.
struct SuiteRun {
    std::vector<std::string> unitTests;
    std::set<std::string> failing;
};

SuiteRun runSuite(const std::vector<zorvan::testing::Test>& tests) {
    SuiteRun run;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        if (std::holds_alternative<zorvan::testing::UnitTest>(leaf.test->node())) {
            run.unitTests.push_back(leaf.name);
        }
        if (zorvan::testing::runLeaf(leaf, {.seed = 5}).status !=
            zorvan::testing::LeafStatus::passed) {
            run.failing.insert(leaf.name);
        }
    }
    return run;
}

template <class K> class AESSuite : public ::testing::Test {};

using Backends =
    ::testing::Types<zorvan::openssl::AES128, zorvan::openssl::AES192, zorvan::openssl::AES256,
                     zorvan::gcrypt::AES128, zorvan::gcrypt::AES192, zorvan::gcrypt::AES256,
                     zorvan::nettle::AES128, zorvan::nettle::AES192, zorvan::nettle::AES256>;
TYPED_TEST_SUITE(AESSuite, Backends);

// A key size takes the records of its own files only: per direction and mode, the GFSbox,
// KeySbox, VarKey, VarTxt and MMT records of data/Test/README.md, in two directions and four
// modes.
std::size_t installedTestsFor(std::size_t keyBits) {
    const std::map<std::size_t, std::size_t> recordsPerFileSet{{128, 7 + 21 + 128 + 128 + 10},
                                                               {192, 6 + 24 + 192 + 128 + 10},
                                                               {256, 5 + 16 + 256 + 128 + 10}};
    return recordsPerFileSet.at(keyBits) * 2 * 4;
}

TYPED_TEST(AESSuite, PassesEveryInstalledVectorOfItsKeySizeAndTheProperties) {
    const auto tests = aes::makeAESTests(
        *TypeParam::buildKey(Bytes(std::vector<std::uint8_t>(TypeParam::keyLength() / 8))));
    const SuiteRun run = runSuite(tests);
    EXPECT_EQ(run.unitTests.size(), installedTestsFor(TypeParam::keyLength()));
    EXPECT_THAT(run.failing, IsEmpty());
    ASSERT_GE(tests.size(), 2u);
    EXPECT_EQ(tests[tests.size() - 2].name(), identityGroup);
    EXPECT_EQ(tests.back().name(), agreementGroup);
    this->RecordProperty("unitTests", static_cast<int>(run.unitTests.size()));
}

// The faults AES-128 is broken with below; each names the leaves it must fail.
enum class Fault {
    cbcDecryptionKeepsIV,
    ctrLazyRestartsCounter,
    ofbNeverAdvances,
    ecbDecryptionEncrypts
};

// OpenSSL's AES-128 with one fault; every mode it does not override is the generic one, built
// on the library's block operations.
template <Fault fault> class FaultyAES128 {
public:
    using Correct = zorvan::openssl::AES128;
    using Iv = IV<FaultyAES128>;

    static std::size_t blockSize() { return Correct::blockSize(); }
    static std::size_t keyLength() { return Correct::keyLength(); }
    static std::optional<FaultyAES128> buildKey(const Bytes& material) {
        std::optional<Correct> key = Correct::buildKey(material);
        return key ? std::optional(FaultyAES128(std::move(*key))) : std::nullopt;
    }
    Bytes encryptBlock(const Bytes& blocks) const { return correct_.encryptBlock(blocks); }
    Bytes decryptBlock(const Bytes& blocks) const {
        return fault == Fault::ecbDecryptionEncrypts ? correct_.encryptBlock(blocks)
                                                     : correct_.decryptBlock(blocks);
    }

    // The library's CBC decryption, so the ECB fault does not reach CBC; the IV fault reports
    // the IV it started from instead of the last ciphertext block.
    std::pair<Bytes, Iv> unCbc(const Iv& iv, const Bytes& data) const
        requires(fault == Fault::ecbDecryptionEncrypts || fault == Fault::cbcDecryptionKeepsIV) {
        auto [plaintext, next] = zorvan::unCbc(correct_, toCorrect(iv), data);
        return {std::move(plaintext),
                fault == Fault::cbcDecryptionKeepsIV ? iv : fromCorrect(next)};
    }
    // Carries the IV between chunks rightly and reports the same wrong next IV as unCbc, so
    // chunked and contiguous agree and only the identity law sees the fault.
    std::pair<LazyBytes, Iv> unCbcLazy(const Iv& iv, const LazyBytes& data) const
        requires(fault == Fault::cbcDecryptionKeepsIV) {
        return {zorvan::unCbcLazy(correct_, toCorrect(iv), data).first, iv};
    }
    // Each chunk starts the counter from the IV again: the counter is not carried over.
    std::pair<LazyBytes, Iv> ctrLazy(const Iv& iv, const LazyBytes& data) const
        requires(fault == Fault::ctrLazyRestartsCounter) {
        std::vector<Bytes> chunks;
        for (const Bytes& chunk : data.toChunks()) {
            chunks.push_back(zorvan::ctr(*this, iv, chunk).first);
        }
        return {LazyBytes::fromChunks(std::move(chunks)),
                zorvan::ctr(*this, iv, data.toStrict()).second};
    }
    // An OFB register that never advances: every block is masked with the first keystream
    // block and the next IV is the one given. Right for one block, and self-consistent.
    std::pair<Bytes, Iv> ofb(const Iv& iv, const Bytes& data) const
        requires(fault == Fault::ofbNeverAdvances) {
        const Bytes keystream = encryptBlock(iv.encode());
        std::vector<std::uint8_t> output(data.begin(), data.end());
        for (std::size_t i = 0; i < output.size(); ++i) {
            output[i] ^= keystream[i % keystream.size()];
        }
        return {Bytes(output), iv};
    }
    std::pair<Bytes, Iv> unOfb(const Iv& iv, const Bytes& data) const
        requires(fault == Fault::ofbNeverAdvances) {
        return ofb(iv, data);
    }

private:
    explicit FaultyAES128(Correct correct) : correct_(std::move(correct)) {}
    static IV<Correct> toCorrect(const Iv& iv) { return *IV<Correct>::get(iv.encode()); }
    static Iv fromCorrect(const IV<Correct>& iv) { return *Iv::get(iv.encode()); }

    Correct correct_;
};

template <Fault fault> SuiteRun runFaulty() {
    return runSuite(aes::makeAESTests<FaultyAES128<fault>>());
}

std::set<std::string> unitTestsWhere(const SuiteRun& run, auto selected) {
    std::set<std::string> names;
    std::copy_if(run.unitTests.begin(), run.unitTests.end(), std::inserter(names, names.end()),
                 selected);
    return names;
}

TEST(AESSuiteFaults, EachFaultFailsExactlyTheLeavesThatNameIt) {
    EXPECT_THAT(runFaulty<Fault::cbcDecryptionKeepsIV>().failing, ElementsAre("CBCEncDecID"));
    EXPECT_THAT(runFaulty<Fault::ctrLazyRestartsCounter>().failing, ElementsAre("CTRStrictLazyEq"));

    std::set<std::string> multiBlockOFB;
    for (const char* direction : {"e", "d"}) {
        for (int count = 1; count <= 9; ++count) {
            multiBlockOFB.insert("OFBMMT128-" + std::string(direction) + ".rsp-" +
                                 std::to_string(count));
        }
    }
    EXPECT_EQ(runFaulty<Fault::ofbNeverAdvances>().failing, multiBlockOFB);

    const SuiteRun ecb = runFaulty<Fault::ecbDecryptionEncrypts>();
    std::set<std::string> ecbDecryption = unitTestsWhere(ecb, [](const std::string& name) {
        return name.starts_with("ECB") && name.find("-d.rsp-") != std::string::npos;
    });
    EXPECT_EQ(ecbDecryption.size(), 294u);
    ecbDecryption.insert("ECBEncDecID");
    EXPECT_EQ(ecb.failing, ecbDecryption);
}

constexpr std::string_view cbcVector = "COUNT = 0\n"
                                       "KEY = 1f8e4973953f3fb0bd6b16662e9a3c17\n"
                                       "IV = 2fe2b333ceda8f98f4a99b40d2cd34a8\n"
                                       "PLAINTEXT = 45cf12964fc824ab76616ae2f4bf0822\n"
                                       "CIPHERTEXT = 0f61c4d44c5147c03c195ad7e2cc12b2\n";

TEST(AESSuiteFiles, AFileWithoutSectionsLeavesTheNextFilesRecordsToItself) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_AES/ECBempty-d.rsp", "# no section\n");
    data.write("Test/KAT_AES/CBCMMT128-e.rsp",
               "[ENCRYPT]\n" + std::string(cbcVector) +
                   "COUNT = 1\nKEY = 00000000000000000000000000000000\n"
                   "IV = 00000000000000000000000000000000\nPLAINTEXT = zz\nCIPHERTEXT = 00\n");
    const SuiteRun run = runSuite(aes::makeAESTests<zorvan::openssl::AES128>());
    EXPECT_THAT(run.unitTests, ElementsAre("CBCMMT128-e.rsp-0", "CBCMMT128-e.rsp-1"));
    // Malformed hex in an input fails its own test only, when it runs.
    EXPECT_THAT(run.failing, ElementsAre("CBCMMT128-e.rsp-1"));
}

// The failing leaf each record stands as, in its place, and the first words of why it fails.
std::vector<std::pair<std::string, std::string>>
failures(const std::vector<zorvan::testing::Test>& tests) {
    std::vector<std::pair<std::string, std::string>> found;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        const auto outcome = zorvan::testing::runLeaf(leaf, {.seed = 5});
        if (outcome.status == zorvan::testing::LeafStatus::failed &&
            std::holds_alternative<zorvan::testing::UnitTest>(leaf.test->node())) {
            found.emplace_back(leaf.name, outcome.message);
        }
    }
    return found;
}

TEST(AESSuiteFiles, ARecordWithAShortIVFailsBeforeItsKeyIsRead) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_AES/CBCshort-e.rsp", "COUNT = 0\nKEY = not hex\nIV = 0011\n"
                                              "PLAINTEXT = 00\nCIPHERTEXT = 00\n" +
                                                  std::string(cbcVector));
    const auto tests = aes::makeAESTests<zorvan::openssl::AES128>();
    EXPECT_THAT(runSuite(tests).unitTests, ElementsAre("CBCshort-e.rsp:1", "CBCshort-e.rsp-0"));
    EXPECT_THAT(failures(tests),
                ElementsAre(std::pair<std::string, std::string>(
                    "CBCshort-e.rsp:1", "error: Test/KAT_AES/CBCshort-e.rsp:1: an IV of 2 octets; "
                                        "AES's is its block, 16 octets")));
    // With an IV the cipher takes, the malformed key fails the builder, naming where it stands;
    // of two malformed records, the first.
    data.write("Test/KAT_AES/CBCshort-e.rsp", "COUNT = 0\nKEY = not hex\n"
                                              "IV = 00000000000000000000000000000000\n"
                                              "PLAINTEXT = 00\nCIPHERTEXT = 00\n"
                                              "COUNT = 1\nKEY = 00\nIV = 0\n"
                                              "PLAINTEXT = 00\nCIPHERTEXT = 00\n");
    EXPECT_THAT([] { aes::makeAESTests<zorvan::openssl::AES128>(); },
                ::testing::ThrowsMessage<::Test::Crypto::HexDecodingError>(
                    ::testing::StartsWith("Test/KAT_AES/CBCshort-e.rsp:1: KEY: ")));
}

TEST(AESSuiteFiles, OtherKeySizesAreLeftToTheirTypesAndEverythingElseFails) {
    const TemporaryDataDirectory data;
    data.makeFolder("Test/KAT_AES/CBCfolder-e.rsp");
    const std::string block(32, '0');
    data.write("Test/KAT_AES/CBCkeys-e.rsp",
               "COUNT = 7\nKEY = " + std::string(48, '0') + "\nIV = " + block +
                   "\nPLAINTEXT = 00\nCIPHERTEXT = 00\n" + std::string(cbcVector) +
                   "COUNT = 8\nKEY = " + std::string(34, '0') + "\nIV = " + block +
                   "\nPLAINTEXT = 00\nCIPHERTEXT = 00\n"
                   "COUNT = 9\nKEY = " +
                   block + "\nIV = " + block + "\nPLAINTEXT = 00\nCIPHERTXT = 00\n");
    data.write("Test/KAT_AES/CFB8MMT128-e.rsp", std::string(cbcVector));
    data.write("Test/KAT_AES/README", std::string(cbcVector));
    const auto tests = aes::makeAESTests<zorvan::openssl::AES128>();
    EXPECT_THAT(failures(tests),
                ::testing::UnorderedElementsAre(
                    std::pair<std::string, std::string>(
                        "CBCkeys-e.rsp:11", "error: Test/KAT_AES/CBCkeys-e.rsp:11: a KEY of 17 "
                                            "octets, no AES key size (16, 24, 32 octets)"),
                    std::pair<std::string, std::string>(
                        "CBCkeys-e.rsp:16",
                        "error: Test/KAT_AES/CBCkeys-e.rsp:16: missing field: CIPHERTEXT; "
                        "unknown field: CIPHERTXT"),
                    ::testing::Pair("README:1", ::testing::HasSubstr("names no mode"))));
    EXPECT_THAT(runSuite(tests).unitTests, ::testing::Contains("CBCkeys-e.rsp-0"));

    // No file gives AES-256 a test: it must not pass on its properties alone.
    const auto none = aes::makeAESTests<zorvan::openssl::AES256>();
    ASSERT_EQ(none.size(), 6u);
    EXPECT_EQ(none[3].name(), "KAT_AES");
    EXPECT_EQ(none[4].name(), identityGroup);
    EXPECT_EQ(none[5].name(), agreementGroup);
}

// AES-192 that refuses every key of its own size: nothing of it may pass.
struct RefusingAES192 {
    static std::size_t blockSize() { return 128; }
    static std::size_t keyLength() { return 192; }
    static std::optional<RefusingAES192> buildKey(const Bytes&) { return std::nullopt; }
    Bytes encryptBlock(const Bytes& blocks) const { return blocks; }
    Bytes decryptBlock(const Bytes& blocks) const { return blocks; }
};

TEST(AESSuiteFiles, ATypeThatRefusesKeysOfItsOwnSizeFailsEachOfThoseRecords) {
    const SuiteRun run = runSuite(aes::makeAESTests<RefusingAES192>());
    // Each 192-bit record, the folder that gave no test, and each property leaf.
    EXPECT_EQ(run.unitTests.size(), installedTestsFor(192) + 1);
    EXPECT_EQ(run.failing.size(), installedTestsFor(192) + 1 + 10);
    const auto reports = failures(aes::makeAESTests<RefusingAES192>());
    EXPECT_THAT(reports.front().second,
                ::testing::EndsWith("buildKey refused key: 24 octets, the type's own key length"));
}

} // namespace
