// The Wycheproof suites: the libraries' AEADs, CMAC and XTS pass every test of their key size;
// an AEAD that takes a modified tag, or writes before it refuses, fails the invalid tests; a
// damaged test fails naming its file and tcId; the acceptable policy decides acceptable tests.

#include <Test/RecordLedger.hpp>
#include <Test/Wycheproof.hpp>

#include <zorvan/backends/openssl.hpp>
#include <zorvan/backends/openssl_aead.hpp>
#include <zorvan/backends/sodium.hpp>
#include <zorvan/testing/runner.hpp>

#include "leaf_runs.hpp"
#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using ::Test::Wycheproof::Acceptable;
using zorvan::testing::LeafStatus;

struct Checked {
    std::vector<leaf_runs::LeafRun> runs;
    ::Test::RecordLedger::Ledger ledger;
};

template <class Build> Checked checked(const Build& build) {
    Checked result;
    {
        const ::Test::RecordLedger::Recording recording(result.ledger);
        result.runs = leaf_runs::runAll(build());
    }
    return result;
}

// Every leaf passed, every record of the file is a test or left to another type with its
// reason, and none was damaged.
void passesEveryTest(const Checked& checked, std::size_t testsInFile) {
    EXPECT_THAT(leaf_runs::pathsWith(checked.runs, LeafStatus::failed), ::testing::IsEmpty());
    EXPECT_EQ(checked.ledger.records(), testsInFile);
    EXPECT_TRUE(checked.ledger.failed.empty());
    EXPECT_EQ(checked.ledger.tests, checked.runs.size());
    EXPECT_GT(checked.runs.size(), 0U);
    EXPECT_TRUE(std::ranges::all_of(checked.runs, [](const leaf_runs::LeafRun& run) {
        return run.path.starts_with("tc") && run.path.find(' ') == std::string::npos;
    }));
}

TEST(WycheproofSuites, LibrariesPassEveryTestOfTheirKeySize) {
    using namespace ::Test::Wycheproof;
    passesEveryTest(
        checked([] { return makeWycheproofAeadTests<zorvan::openssl::AES128GCM>("AES-GCM"); }),
        316);
    passesEveryTest(
        checked([] { return makeWycheproofAeadTests<zorvan::openssl::AES256CCM>("AES-CCM"); }),
        552);
    passesEveryTest(checked([] {
                        return makeWycheproofAeadTests<zorvan::openssl::ChaCha20Poly1305>(
                            "ChaCha20-Poly1305");
                    }),
                    325);
    passesEveryTest(checked([] {
                        return makeWycheproofAeadTests<zorvan::sodium::XChaCha20Poly1305>(
                            "XChaCha20-Poly1305");
                    }),
                    315);
    passesEveryTest(checked([] { return makeWycheproofCMACTests<zorvan::openssl::AES192>(); }),
                    311);
    passesEveryTest(checked([] { return makeWycheproofXTSTests<zorvan::openssl::AES256>(); }), 123);
    passesEveryTest(
        checked([] { return makeWycheproofHMACTests<zorvan::openssl::SHA256>("SHA256"); }), 174);
    passesEveryTest(
        checked([] { return makeWycheproofHMACTests<zorvan::openssl::SHA512_224>("SHA512-224"); }),
        173);
    passesEveryTest(
        checked([] { return makeWycheproofHMACTests<zorvan::openssl::SHA3_384>("SHA3-384"); }),
        174);
    passesEveryTest(checked([] { return makeWycheproofCBCTests<zorvan::openssl::AES128>("AES"); }),
                    216);
    passesEveryTest(
        checked([] { return makeWycheproofCBCTests<zorvan::openssl::Camellia256>("Camellia"); }),
        216);
}

// AES-128 whose own unCbcPadded takes one kind of bad padding.
enum class PaddingFault {
    finalZeroTaken,       // a last octet of 0 taken as no padding
    longerThanBlockTaken, // a last octet larger than the block taken as that much padding
};

template <PaddingFault F> class BadPaddingAes {
public:
    using Inner = zorvan::openssl::AES128;
    static std::size_t blockSize() { return Inner::blockSize(); }
    static std::size_t keyLength() { return Inner::keyLength(); }
    static std::optional<BadPaddingAes> buildKey(const zorvan::Bytes& octets) {
        auto key = Inner::buildKey(octets);
        return key ? std::optional(BadPaddingAes{std::move(*key)}) : std::nullopt;
    }
    [[nodiscard]] zorvan::Bytes encryptBlock(const zorvan::Bytes& b) const {
        return inner_.encryptBlock(b);
    }
    [[nodiscard]] zorvan::Bytes decryptBlock(const zorvan::Bytes& b) const {
        return inner_.decryptBlock(b);
    }
    [[nodiscard]] std::optional<zorvan::Bytes> unCbcPadded(const zorvan::IV<BadPaddingAes>& iv,
                                                           const zorvan::Bytes& ciphertext) const {
        if (ciphertext.size() == 0 || ciphertext.size() % 16 != 0) {
            return std::nullopt;
        }
        const zorvan::Bytes padded = zorvan::unCbc(*this, iv, ciphertext).first;
        const std::size_t last = padded[padded.size() - 1];
        if (F == PaddingFault::finalZeroTaken && last == 0) {
            return padded;
        }
        if (F == PaddingFault::longerThanBlockTaken && last > 16) {
            return padded.take(padded.size() - std::min(last, padded.size()));
        }
        return zorvan::detail::unpadPkcs7(padded, 16);
    }

    Inner inner_;
};

// The failed leaves' comments, each once; each failed leaf is an invalid test taken.
std::set<std::string> failedComments(const std::vector<leaf_runs::LeafRun>& runs) {
    std::set<std::string> comments;
    for (const std::string& leaf : leaf_runs::pathsWith(runs, LeafStatus::failed)) {
        const std::string report = leaf_runs::reportOf(runs, leaf);
        EXPECT_THAT(report, ::testing::HasSubstr("unCbcPadded must refuse the padding"));
        const std::string label = "comment = ";
        const std::size_t start = report.find(label) + label.size();
        comments.insert(report.substr(start, report.find('\n', start) - start));
    }
    return comments;
}

TEST(WycheproofSuites, PaddedCbcThatTakesBadPaddingFails) {
    using ::Test::Wycheproof::makeWycheproofCBCTests;
    EXPECT_THAT(failedComments(leaf_runs::runAll(
                    makeWycheproofCBCTests<BadPaddingAes<PaddingFault::finalZeroTaken>>("AES"))),
                ::testing::UnorderedElementsAre(
                    "Using zero padding instead of PKCS #5 padding",
                    // 0x80 then zeros: a last octet of 0 whenever it pads more than one octet
                    "Using ISO/IEC 7816-4 padding instead of PKCS #5 padding"));
    EXPECT_THAT(
        failedComments(leaf_runs::runAll(
            makeWycheproofCBCTests<BadPaddingAes<PaddingFault::longerThanBlockTaken>>("AES"))),
        ::testing::Contains("The length of the padding is longer than 1 block"));
}

// PKCS#7 padding: a whole block after whole blocks; the unpadding refuses a last octet of 0 or
// larger than the block, any counted octet that differs, and less than a block.
TEST(WycheproofSuites, Pkcs7PaddingAndItsChecks) {
    using zorvan::Bytes;
    using zorvan::detail::padPkcs7;
    using zorvan::detail::unpadPkcs7;
    EXPECT_EQ(padPkcs7(Bytes(), 4), (Bytes{4, 4, 4, 4}));
    EXPECT_EQ(padPkcs7(Bytes{9, 9, 9}, 4), (Bytes{9, 9, 9, 1}));
    EXPECT_EQ(padPkcs7(Bytes{9, 9, 9, 9}, 4), (Bytes{9, 9, 9, 9, 4, 4, 4, 4}));
    EXPECT_EQ(unpadPkcs7(Bytes{9, 9, 9, 9, 4, 4, 4, 4}, 4), (Bytes{9, 9, 9, 9}));
    EXPECT_EQ(unpadPkcs7(Bytes{9, 2, 2, 2}, 4), (Bytes{9, 2}));
    EXPECT_EQ(unpadPkcs7(Bytes{9, 9, 9, 0}, 4), std::nullopt);
    EXPECT_EQ(unpadPkcs7(Bytes{5, 5, 5, 5, 5, 5, 5, 5}, 4), std::nullopt);
    EXPECT_EQ(unpadPkcs7(Bytes{9, 3, 2, 3}, 4), std::nullopt);
    EXPECT_EQ(unpadPkcs7(Bytes{1, 1, 1}, 4), std::nullopt);
    // No octet counts a block of no octets or of more than 255.
    EXPECT_THROW((void)padPkcs7(Bytes{1}, 0), std::invalid_argument);
    EXPECT_THROW((void)padPkcs7(Bytes{1}, 256), std::invalid_argument);
    EXPECT_EQ(unpadPkcs7(Bytes{1}, 0), std::nullopt);
}

// SHA-256 whose own hmacVerify compares only the first half of a truncated tag: Wycheproof's
// truncated tags modified in their last octets must catch it.
class HalfTagChecked {
public:
    using Inner = zorvan::openssl::SHA256;
    static std::size_t outputLength() { return Inner::outputLength(); }
    static std::size_t blockLength() { return Inner::blockLength(); }
    class Context {
    public:
        void update(std::span<const std::uint8_t> octets) { inner_.update(octets); }
        HalfTagChecked finalize() { return HalfTagChecked(inner_.finalize()); }

    private:
        Inner::Context inner_;
    };
    static bool hmacVerify(const zorvan::Bytes& key, const zorvan::Bytes& message,
                           const zorvan::Bytes& tag) {
        const zorvan::Bytes full = zorvan::hmacStrict<Inner>(key, message).encode();
        const std::size_t compared = tag.size() < full.size() ? tag.size() / 2 : tag.size();
        return tag.size() <= full.size() && full.take(compared) == tag.take(compared);
    }
    [[nodiscard]] zorvan::Bytes encode() const { return inner_.encode(); }
    static std::optional<HalfTagChecked> get(const zorvan::Bytes& bytes) {
        const auto inner = Inner::get(bytes);
        return inner ? std::optional(HalfTagChecked(*inner)) : std::nullopt;
    }
    friend bool operator==(const HalfTagChecked&, const HalfTagChecked&) = default;
    friend std::ostream& operator<<(std::ostream& out, const HalfTagChecked& digest) {
        return out << digest.inner_;
    }

private:
    explicit HalfTagChecked(Inner inner) : inner_(std::move(inner)) {}
    Inner inner_;
};

TEST(WycheproofSuites, AnHmacVerifyThatComparesPartOfATruncatedTagFails) {
    const auto runs =
        leaf_runs::runAll(::Test::Wycheproof::makeWycheproofHMACTests<HalfTagChecked>("SHA256"));
    const std::vector<std::string> failed = leaf_runs::pathsWith(runs, LeafStatus::failed);
    EXPECT_FALSE(failed.empty());
    for (const std::string& leaf : failed) {
        EXPECT_THAT(leaf_runs::reportOf(runs, leaf),
                    ::testing::HasSubstr("hmacVerify must refuse the tag"));
        EXPECT_THAT(leaf_runs::reportOf(runs, leaf), ::testing::HasSubstr("tagSize = 128"));
    }
    // The full tags are compared whole: their modified tests all pass.
    EXPECT_THAT(leaf_runs::pathsWith(runs, LeafStatus::passed), ::testing::Contains("tc1"));
}

// The generic hmacVerify takes a tag whole or truncated to 8 octets or more, and nothing else.
TEST(WycheproofSuites, TheGenericHmacVerifyRefusesShortAndChangedTags) {
    using zorvan::openssl::SHA256;
    const zorvan::Bytes key{1, 2, 3};
    const zorvan::Bytes message{4, 5};
    const zorvan::Bytes tag = zorvan::hmacStrict<SHA256>(key, message).encode();
    EXPECT_TRUE(zorvan::hmacVerify<SHA256>(key, message, tag));
    EXPECT_TRUE(zorvan::hmacVerify<SHA256>(key, message, tag.take(8)));
    EXPECT_FALSE(zorvan::hmacVerify<SHA256>(key, message, tag.take(7)));
    EXPECT_FALSE(zorvan::hmacVerify<SHA256>(key, message, zorvan::Bytes()));
    std::vector<std::uint8_t> changed(tag.begin(), tag.end());
    changed.back() ^= 1;
    EXPECT_FALSE(zorvan::hmacVerify<SHA256>(key, message, zorvan::Bytes(changed)));
    EXPECT_FALSE(zorvan::hmacVerify<SHA256>(key, zorvan::Bytes{4, 6}, tag));
}

// ChaCha20-Poly1305 takes 12-octet nonces only: Wycheproof's tests of other nonce sizes are
// counted as left to another type, with the reason, never passed in silence.
TEST(WycheproofSuites, ParametersTheTypeDoesNotTakeAreCountedWithTheirReason) {
    const Checked result = checked([] {
        return ::Test::Wycheproof::makeWycheproofAeadTests<zorvan::openssl::ChaCha20Poly1305>(
            "ChaCha20-Poly1305");
    });
    std::size_t leftOut = 0;
    for (const auto& [why, occurrences] : result.ledger.otherVariants) {
        EXPECT_THAT(why, ::testing::HasSubstr("which the type does not take"));
        leftOut += occurrences.records;
    }
    EXPECT_EQ(leftOut, 9U); // tcId 317 to 325, nonces of 0 to 32 octets
    EXPECT_EQ(result.runs.size(), 316U);
}

// An AEAD over a real one, wrong one way.
enum class Fault {
    tagIgnored,           // open gives the plaintext whatever the tag
    writesBeforeRefusing, // open decrypts into the caller's buffer, then checks the tag
};

template <class A, Fault F> class Faulty {
public:
    static std::size_t keyLength() { return A::keyLength(); }
    static bool acceptsNonceLength(std::size_t octets) { return A::acceptsNonceLength(octets); }
    static bool acceptsTagLength(std::size_t octets) { return A::acceptsTagLength(octets); }
    static std::optional<Faulty> buildKey(const zorvan::Bytes& octets) {
        auto key = A::buildKey(octets);
        return key ? std::optional(Faulty{std::move(*key)}) : std::nullopt;
    }
    [[nodiscard]] zorvan::Sealed seal(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                                      const zorvan::Bytes& plaintext, std::size_t tagOctets) const {
        return key_.seal(nonce, aad, plaintext, tagOctets);
    }
    [[nodiscard]] bool open(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                            const zorvan::Bytes& ciphertext, const zorvan::Bytes& tag,
                            std::size_t tagOctets, std::span<std::uint8_t> plaintext) const {
        // A stream cipher's ciphertext is the plaintext masked by the key stream, which sealing
        // zeros gives.
        const std::vector<std::uint8_t> zeros(ciphertext.size());
        const zorvan::Bytes stream =
            key_.seal(nonce, {}, zorvan::Bytes(zeros), tagOctets).ciphertext;
        std::vector<std::uint8_t> opened(ciphertext.size());
        std::ranges::transform(ciphertext, stream, opened.begin(), std::bit_xor<>());
        if (F == Fault::tagIgnored) {
            std::ranges::copy(opened, plaintext.begin());
            return true;
        }
        std::ranges::copy(opened, plaintext.begin());
        std::vector<std::uint8_t> checked(ciphertext.size());
        return key_.open(nonce, aad, ciphertext, tag, tagOctets, checked);
    }

    A key_;
};

std::vector<std::string> failedLeaves(const std::vector<leaf_runs::LeafRun>& runs) {
    return leaf_runs::pathsWith(runs, LeafStatus::failed);
}

TEST(WycheproofSuites, AnOpenThatTakesAModifiedTagFailsTheInvalidTests) {
    using Broken = Faulty<zorvan::openssl::AES128GCM, Fault::tagIgnored>;
    const auto runs =
        leaf_runs::runAll(::Test::Wycheproof::makeWycheproofAeadTests<Broken>("AES-GCM"));
    // tcId 41 to 67: the modified tags of the 128-bit keys, which must be refused; the valid
    // tests still pass.
    const std::vector<std::string> failed = failedLeaves(runs);
    for (int tcId = 41; tcId <= 67; ++tcId) {
        EXPECT_THAT(failed, ::testing::Contains("tc" + std::to_string(tcId)));
    }
    EXPECT_THAT(leaf_runs::pathsWith(runs, LeafStatus::passed), ::testing::Contains("tc1"));
    const std::string report = leaf_runs::reportOf(runs, "tc41");
    EXPECT_THAT(report, ::testing::HasSubstr("open must refuse"));
    EXPECT_THAT(report, ::testing::HasSubstr("Test/WYCHEPROOF/aes_gcm_test.json.gz"));
    EXPECT_THAT(report, ::testing::HasSubstr("tcId 41"));
    EXPECT_THAT(report, ::testing::HasSubstr("ModifiedTag"));
}

TEST(WycheproofSuites, AnOpenThatWritesBeforeItRefusesFailsTheInvalidTests) {
    using Broken = Faulty<zorvan::openssl::ChaCha20Poly1305, Fault::writesBeforeRefusing>;
    const auto runs =
        leaf_runs::runAll(::Test::Wycheproof::makeWycheproofAeadTests<Broken>("ChaCha20-Poly1305"));
    const std::vector<std::string> failed = failedLeaves(runs);
    EXPECT_FALSE(failed.empty());
    EXPECT_THAT(leaf_runs::reportOf(runs, failed.front()),
                ::testing::HasSubstr("a refused open leaves the caller's buffer as it was"));
    EXPECT_THAT(leaf_runs::pathsWith(runs, LeafStatus::passed), ::testing::Contains("tc1"));
}

// A Wycheproof AES-GCM file of one group: RFC-free values from Wycheproof's tcId 1, the tag
// given and the result given, in test after test.
struct GcmTest {
    int tcId;
    std::string result;
    std::string tag;
    std::string extra = {};
};

constexpr const char* rightTag = "0a3ea7a5487cb5f7d70fb6c58d038554";
constexpr const char* wrongTag = "0a3ea7a5487cb5f7d70fb6c58d038555";

std::string gcmFile(const std::vector<GcmTest>& tests, std::size_t declared) {
    std::string text = R"({"algorithm": "AES-GCM", "numberOfTests": )" + std::to_string(declared) +
                       R"(, "testGroups": [{"type": "AeadTest", "keySize": 128, "tests": [)";
    for (std::size_t i = 0; i < tests.size(); ++i) {
        text += (i == 0 ? "\n" : ",\n") + std::string(R"({"tcId": )") +
                std::to_string(tests[i].tcId) + R"(, "comment": "", "flags": ["Ktv"],)" +
                R"( "key": "5b9604fe14eadba931b0ccf34843dab9", "iv": "028318abc1824029138141a2",)" +
                R"( "aad": "", "msg": "001d0c231287c1182784554ca3a21908",)" +
                R"( "ct": "26073cc1d851beff176384dc9896d5ff", "tag": ")" + tests[i].tag + "\"" +
                tests[i].extra + R"(, "result": ")" + tests[i].result + "\"}";
    }
    return text + "\n]}]}\n";
}

std::vector<leaf_runs::LeafRun> gcmRuns(Acceptable acceptable = Acceptable::either) {
    return leaf_runs::runAll(
        ::Test::Wycheproof::makeWycheproofAeadTests<zorvan::openssl::AES128GCM>("AES-GCM",
                                                                                acceptable));
}

TEST(WycheproofSuites, ADamagedTestFailsNamingFileAndTcId) {
    const TemporaryDataDirectory data;
    data.write("Test/WYCHEPROOF/aes_gcm_test.json",
               gcmFile({{1, "valid", rightTag},
                        {2, "valid", rightTag, R"(, "tga": "00")"},
                        {3, "maybe", rightTag}},
                       3));
    const auto runs = gcmRuns();
    EXPECT_THAT(leaf_runs::pathsWith(runs, LeafStatus::passed), ::testing::ElementsAre("tc1"));
    const std::vector<std::string> failed = failedLeaves(runs);
    ASSERT_EQ(failed.size(), 2U);
    EXPECT_THAT(failed[0], ::testing::HasSubstr("aes_gcm_test.json:"));
    EXPECT_THAT(failed[0], ::testing::HasSubstr("tcId=2"));
    EXPECT_THAT(leaf_runs::reportOf(runs, failed[0]), ::testing::HasSubstr("unknown field: tga"));
    EXPECT_THAT(failed[1], ::testing::HasSubstr("tcId=3"));
    EXPECT_THAT(leaf_runs::reportOf(runs, failed[1]),
                ::testing::HasSubstr("\"valid\", \"invalid\" or \"acceptable\""));
}

TEST(WycheproofSuites, AFileWhoseCountIsWrongFails) {
    const TemporaryDataDirectory data;
    data.write("Test/WYCHEPROOF/aes_gcm_test.json", gcmFile({{1, "valid", rightTag}}, 2));
    const auto runs = gcmRuns();
    EXPECT_THAT(leaf_runs::pathsWith(runs, LeafStatus::passed), ::testing::ElementsAre("tc1"));
    ASSERT_EQ(failedLeaves(runs).size(), 1U);
    EXPECT_THAT(leaf_runs::reportOf(runs, failedLeaves(runs).front()),
                ::testing::HasSubstr("numberOfTests is 2, but the file holds 1 tests"));
}

// tc1 is an acceptable test whose tag is right, tc2 one whose tag is wrong.
TEST(WycheproofSuites, ThePolicyDecidesAcceptableTests) {
    const TemporaryDataDirectory data;
    data.write("Test/WYCHEPROOF/aes_gcm_test.json",
               gcmFile({{1, "acceptable", rightTag}, {2, "acceptable", wrongTag}}, 2));
    EXPECT_THAT(failedLeaves(gcmRuns(Acceptable::either)), ::testing::IsEmpty());
    EXPECT_THAT(failedLeaves(gcmRuns(Acceptable::asValid)), ::testing::ElementsAre("tc2"));
    EXPECT_THAT(failedLeaves(gcmRuns(Acceptable::asInvalid)), ::testing::ElementsAre("tc1"));
}

TEST(WycheproofSuites, PolicyNames) {
    using ::Test::Wycheproof::acceptableNamed;
    EXPECT_EQ(acceptableNamed("either"), Acceptable::either);
    EXPECT_EQ(acceptableNamed("valid"), Acceptable::asValid);
    EXPECT_EQ(acceptableNamed("invalid"), Acceptable::asInvalid);
    EXPECT_EQ(acceptableNamed("Valid"), std::nullopt);
}

} // namespace
