#include "Test/sha256.hpp"

#include <Paths_zorvan_tests.hpp>
#include <Test/Crypto/hex.hpp>
#include <Test/ParseNistKATs.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

namespace sha256 = ::Test::Sha256;
using sha256::Implementation;

std::span<const std::uint8_t> octetsOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The digest of the pieces fed in turn to one hasher.
std::string hexOfPieces(Implementation implementation,
                        std::initializer_list<std::string_view> pieces) {
    sha256::Hasher hasher(implementation);
    for (const std::string_view piece : pieces) {
        hasher.update(octetsOf(piece));
    }
    return sha256::toHex(hasher.finish());
}

std::string readDataFile(const std::string& relativeName) {
    const std::string path = Paths_zorvan_tests::getDataFileName(relativeName);
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

class Sha256Implementation : public ::testing::TestWithParam<Implementation> {};

INSTANTIATE_TEST_SUITE_P(Available, Sha256Implementation,
                         ::testing::ValuesIn(sha256::availableImplementations().begin(),
                                             sha256::availableImplementations().end()),
                         [](const auto& parameter) {
                             return std::string(sha256::implementationName(parameter.param));
                         });

TEST_P(Sha256Implementation, MatchesEveryNistByteOrientedVector) {
    for (const std::string_view file : {"SHA256ShortMsg.rsp", "SHA256LongMsg.rsp"}) {
        const std::string text = readDataFile("Test/KAT_SHA/" + std::string(file));
        std::size_t checked = 0;
        for (const auto& category : ::Test::ParseNistKATs::parseCategories("Len", text)) {
            for (const auto& record : category.records) {
                const std::size_t octets = std::stoul(std::string(record.field("Len").value())) / 8;
                const zorvan::Bytes message =
                    ::Test::Crypto::hexStringToBS(record.field("Msg").value());
                sha256::Hasher hasher(GetParam());
                hasher.update(message.view().first(octets));
                EXPECT_EQ(sha256::toHex(hasher.finish()), record.field("MD").value())
                    << file << ":" << record.line();
                ++checked;
            }
        }
        EXPECT_GE(checked, 64u) << file << " holds 64 or 65 records";
    }
}

TEST_P(Sha256Implementation, MatchesTheFips180Examples) {
    EXPECT_EQ(hexOfPieces(GetParam(), {"abc"}),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hexOfPieces(GetParam(), {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"}),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // A million "a", in pieces of 1 to 130 octets so that every offset into a block is a
    // boundary somewhere.
    const std::string millionA(1'000'000, 'a');
    sha256::Hasher hasher(GetParam());
    for (std::size_t offset = 0, piece = 1; offset < millionA.size(); piece = piece % 130 + 1) {
        const std::string_view next = std::string_view(millionA).substr(offset, piece);
        hasher.update(octetsOf(next));
        offset += next.size();
    }
    EXPECT_EQ(sha256::toHex(hasher.finish()),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Block boundaries and the padding's two cases (length field in the last block or in one of
// its own): every length up to three blocks and more, split anywhere, hashes as one update;
// the hasher reused after finish hashes as a fresh one.
TEST_P(Sha256Implementation, EverySplitInTwoAgreesWithOneUpdate) {
    std::string message;
    for (std::size_t length = 0; length <= 200; ++length) {
        const std::string whole = hexOfPieces(GetParam(), {message});
        for (std::size_t split = 0; split <= length; ++split) {
            const std::string_view text = message;
            ASSERT_EQ(hexOfPieces(GetParam(), {text.substr(0, split), text.substr(split)}), whole)
                << "length " << length << ", split at " << split;
        }
        sha256::Hasher reused(GetParam());
        reused.update(octetsOf("an earlier message, of odd length"));
        (void)reused.finish();
        reused.update(octetsOf(message));
        ASSERT_EQ(sha256::toHex(reused.finish()), whole) << "length " << length;
        message += static_cast<char>(length * 7 + 1);
    }
}

TEST(Sha256, ImplementationsAgreeOnRandomInputs) {
    const auto implementations = sha256::availableImplementations();
    if (implementations.size() < 2) {
        GTEST_SKIP() << "only the portable implementation runs here";
    }
    std::mt19937_64 random(20240601);
    for (int trial = 0; trial < 300; ++trial) {
        std::string message(std::uniform_int_distribution<std::size_t>(0, 5000)(random), '\0');
        std::ranges::generate(message, [&] { return static_cast<char>(random()); });
        const std::string portable = hexOfPieces(Implementation::portable, {message});
        for (const Implementation implementation : implementations.subspan(1)) {
            EXPECT_EQ(hexOfPieces(implementation, {message}), portable)
                << sha256::implementationName(implementation) << ", " << message.size()
                << " octets";
        }
    }
}

// Every octet of the text counts, a zero or one above 0x7f too.
TEST(Sha256, DigestHashesEveryOctetOfAText) {
    EXPECT_EQ(sha256::toHex(sha256::digest("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256::toHex(sha256::digest(std::string_view("a\0b\xff", 4))),
              "a37cc3026aae4d519e0b19c298fa913b4dccfdf0658cbccbb7deaa0226d5acdb");
}

// A processor that Linux reports with the SHA extensions must get the accelerated hasher.
TEST(Sha256, UsesTheShaExtensionsWhereLinuxReportsThem) {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string flags;
    for (std::string line; std::getline(cpuinfo, line) && flags.empty();) {
        if (line.starts_with("flags")) {
            flags = line + " ";
        }
    }
    if (flags.find(" sha_ni ") == std::string::npos ||
        flags.find(" sse4_1 ") == std::string::npos) {
        GTEST_SKIP() << "no SHA extensions reported in /proc/cpuinfo";
    }
    EXPECT_EQ(sha256::availableImplementations().back(), Implementation::x86ShaExtensions);
}

} // namespace
