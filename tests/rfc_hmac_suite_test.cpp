// The RFC HMAC builders over the installed vectors with the three libraries, and with HMACs
// that mishandle keys the way real ones have.

#include <Test/ParseNistKATs.hpp>
#include <Test/RFCHMAC.hpp>

#include "hash_suite_support.hpp"
#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

namespace rfc = ::Test::RFCHMAC;
using hash_suites::failingNames;
using hash_suites::runUnitLeaves;
using ::testing::IsEmpty;
using zorvan::Bytes;

template <class Backend> class RFCHMACSuite : public ::testing::Test {};
TYPED_TEST_SUITE(RFCHMACSuite, hash_suites::HashBackends, hash_suites::HashBackendNames);

// RFC 2202 has 7 SHA-1 cases, the RFC 4231 files 6 per hash; 4 empty-key vectors each, and
// RFC 4231's truncated case for SHA-224 to SHA-512.
TYPED_TEST(RFCHMACSuite, EveryBuilderPassesEveryVector) {
    using B = TypeParam;
    const auto expectPasses = [](const std::vector<zorvan::testing::Test>& tests,
                                 std::string_view rfcFile) {
        const auto runs = runUnitLeaves(tests);
        EXPECT_EQ(runs.size(), 11u) << rfcFile;
        EXPECT_EQ(runs.front().name, std::string(rfcFile) + "-0");
        EXPECT_THAT(failingNames(runs), IsEmpty()) << rfcFile;
    };
    expectPasses(rfc::makeSHA1RFCHMACTests(zorvan::hashStrict<typename B::SHA1>(Bytes{})),
                 "rfc-2202-sha1");
    expectPasses(rfc::makeSHA224RFCHMACTests<typename B::SHA224>(), "rfc-4231-sha224");
    expectPasses(rfc::makeSHA256RFCHMACTests<typename B::SHA256>(), "rfc-4231-sha256");
    expectPasses(rfc::makeSHA384RFCHMACTests<typename B::SHA384>(), "rfc-4231-sha384");
    expectPasses(rfc::makeSHA512RFCHMACTests<typename B::SHA512>(), "rfc-4231-sha512");
}

enum class KeyFault {
    refusesEmptyKey,       // an empty key taken for a missing one
    cutsLongKeyToTheBlock, // a key longer than the block cut instead of hashed
};

// OpenSSL's SHA-256 with an HMAC of its own that handles keys the faulty way.
template <KeyFault fault> class KeyFaultSHA256 {
public:
    using Inner = zorvan::openssl::SHA256;
    static std::size_t outputLength() { return Inner::outputLength(); }
    static std::size_t blockLength() { return Inner::blockLength(); }

    class Context {
    public:
        void update(std::span<const std::uint8_t> octets) { inner_.update(octets); }
        KeyFaultSHA256 finalize() { return KeyFaultSHA256(inner_.finalize().encode()); }

    private:
        Inner::Context inner_;
    };

    static KeyFaultSHA256 hmacStrict(const Bytes& key, const Bytes& message) {
        if (fault == KeyFault::refusesEmptyKey && key.empty()) {
            throw std::invalid_argument("HMAC: no key");
        }
        const Bytes used = fault == KeyFault::cutsLongKeyToTheBlock ? key.take(64) : key;
        return KeyFaultSHA256(zorvan::hmacStrict<Inner>(used, message).encode());
    }
    static KeyFaultSHA256 hmac(const Bytes& key, const zorvan::LazyBytes& message) {
        return hmacStrict(key, message.toStrict());
    }

    [[nodiscard]] Bytes encode() const { return octets_; }
    static std::optional<KeyFaultSHA256> get(const Bytes& bytes) {
        const auto inner = Inner::get(bytes);
        return inner ? std::optional(KeyFaultSHA256(inner->encode())) : std::nullopt;
    }
    friend bool operator==(const KeyFaultSHA256&, const KeyFaultSHA256&) = default;
    friend std::ostream& operator<<(std::ostream& out, const KeyFaultSHA256& digest) {
        return out << digest.octets_;
    }

private:
    explicit KeyFaultSHA256(Bytes octets) : octets_(std::move(octets)) {}
    Bytes octets_;
};

template <KeyFault fault> std::multiset<std::string> failuresOf() {
    return failingNames(runUnitLeaves(rfc::makeSHA256RFCHMACTests<KeyFaultSHA256<fault>>()));
}

TEST(RFCHMACSuiteFaults, AnHMACThatRefusesAnEmptyKeyFailsTheEmptyKeyVectors) {
    EXPECT_EQ(failuresOf<KeyFault::refusesEmptyKey>(),
              (std::multiset<std::string>{"empty-key-sha256-0", "empty-key-sha256-1",
                                          "empty-key-sha256-2", "empty-key-sha256-3"}));
}

TEST(RFCHMACSuiteFaults, AnHMACThatCutsLongKeysFailsTheRFCsLongKeyCases) {
    EXPECT_EQ(failuresOf<KeyFault::cutsLongKeyToTheBlock>(),
              (std::multiset<std::string>{"rfc-4231-sha256-4", "rfc-4231-sha256-5"}));
}

TEST(RFCHMACVectors, SelectsFilesByHashSuffixAndNumbersCompleteRecords) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_HMAC_RFC/x-sha1.txt",
               "Len = 8\nKey = 01\nMsg = 02\nMD = 03\nLen = 0\nKey = 01\n"
               "Msg = \nLen = 8\nKey = \nMsg = 04\nTlen = 2\nMD = 0506\n");
    data.write("Test/KAT_HMAC_RFC/x-sha224.txt", "Len = 8\nKey = 01\nMsg = 02\nMD = 03\n");
    data.write("Test/KAT_HMAC_GENERATED/y-sha1.rsp", "Len = 8\nKey = 07\nMsg = 08\nMD = 09\n");
    const auto runs = runUnitLeaves(rfc::makeSHA1RFCHMACTests<zorvan::openssl::SHA1>());
    std::vector<std::string> names;
    for (const auto& run : runs) {
        names.push_back(run.name);
    }
    ASSERT_THAT(names, ::testing::ElementsAre("x-sha1-0", "x-sha1.txt:5", "x-sha1-1", "y-sha1-0"));
    // Without Tlen the whole MAC is compared; with one, its first Tlen octets.
    EXPECT_THAT(runs[0].report, ::testing::HasSubstr("lengths 20 and 1"));
    EXPECT_THAT(runs[1].report, ::testing::HasSubstr("x-sha1.txt:5: missing field: MD"));
    EXPECT_THAT(runs[2].report, ::testing::HasSubstr("known answer: (0506, 0506)"));
    EXPECT_THAT(runs[2].report, ::testing::HasSubstr("lengths 2 and 2"));
    EXPECT_THROW(rfc::rfcHmacTests(::Test::Crypto::hashView<zorvan::openssl::SHA1>(), "MD4"),
                 std::invalid_argument);
}

} // namespace
