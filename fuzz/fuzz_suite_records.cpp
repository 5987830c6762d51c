// Fuzzes the suites' record reading end to end: the input becomes the one vector file of a
// suite's folder in a temporary data directory, the suite's builder reads it with a real
// implementation behind it (libcrypto for SHA, HMAC and AES, libgcrypt for Twofish), and the
// known-answer leaves it builds are run. The first octet picks the builder, the second the
// file's name among those the builder tells apart (AES's mode and direction, Twofish's kind
// of file), the rest is the file. Leaves may fail, and a builder may refuse the file with an
// error it documents; a crash, a sanitizer report, any other exception, or a failure that
// gives no reason is a finding.

#include <Test/AES.hpp>
#include <Test/AesFiles.hpp>
#include <Test/Crypto/hex.hpp>
#include <Test/HMAC.hpp>
#include <Test/IncompleteMatch.hpp>
#include <Test/KatValues.hpp>
#include <Test/SHA.hpp>
#include <Test/TwoFish.hpp>
#include <Test/TwoFishFiles.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include "fuzz_input.hpp"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Tests = std::vector<zorvan::testing::Test>;
using zorvan::openssl::SHA1;
using zorvan::openssl::SHA224;
using zorvan::openssl::SHA256;
using zorvan::openssl::SHA384;
using zorvan::openssl::SHA512;

// Each leaf costs up to a Monte Carlo record's 10000 block operations, so only the first few
// run; the records after them take the same paths.
constexpr std::size_t maximumLeaves = 16;

/// Suite: a builder, the folder it reads and the file names it treats differently.
struct Suite {
    std::string_view folder;
    std::span<const std::string_view> fileNames;
    Tests (*build)();
};

constexpr std::string_view sha1Files[] = {"SHA1ShortMsg.rsp"};
constexpr std::string_view sha224Files[] = {"SHA224ShortMsg.rsp"};
constexpr std::string_view sha256Files[] = {"SHA256ShortMsg.rsp"};
constexpr std::string_view sha384Files[] = {"SHA384LongMsg.rsp"};
constexpr std::string_view sha512Files[] = {"SHA512LongMsg.rsp"};
constexpr std::string_view hmacFiles[] = {"HMAC.rsp"};
constexpr std::string_view aesFiles[] = {"ECBGFSbox128-e.rsp",
                                         "ECBVarKey256-d.rsp",
                                         "CBCMMT192-e.rsp",
                                         "CBCVarTxt128-d.rsp",
                                         "CFB128MMT128-e.rsp",
                                         "CFB128VarKey256-d.rsp",
                                         "CFB8MMT128-e.rsp",
                                         "OFBMMT128-e.rsp",
                                         "OFBVarTxt192-d.rsp",
                                         "CTRMMT128-e.rsp",
                                         ".rsp",
                                         "E"};
constexpr std::string_view twoFishFiles[] = {"CBC_D_M.TXT", "CBC_E_M.TXT", "ECB_D_M.TXT",
                                             "ECB_E_M.TXT", "ECB_TBL.TXT", "ECB_TLB.TXT",
                                             "ECB_VK.TXT",  "ECB_VT.TXT",  "README.TXT"};

constexpr std::string_view shaFolder = "Test/KAT_SHA";
constexpr std::string_view hmacFolder = "Test/KAT_HMAC";

const Suite suites[] = {
    {shaFolder, sha1Files, [] { return Test::SHA::makeSHA1Tests<SHA1>(); }},
    {shaFolder, sha224Files, [] { return Test::SHA::makeSHA224Tests<SHA224>(); }},
    {shaFolder, sha256Files, [] { return Test::SHA::makeSHA256Tests<SHA256>(); }},
    {shaFolder, sha384Files, [] { return Test::SHA::makeSHA384Tests<SHA384>(); }},
    {shaFolder, sha512Files, [] { return Test::SHA::makeSHA512Tests<SHA512>(); }},
    {hmacFolder, hmacFiles, [] { return Test::HMAC::makeSHA1HMACTests<SHA1>(); }},
    {hmacFolder, hmacFiles, [] { return Test::HMAC::makeSHA224HMACTests<SHA224>(); }},
    {hmacFolder, hmacFiles, [] { return Test::HMAC::makeSHA256HMACTests<SHA256>(); }},
    {hmacFolder, hmacFiles, [] { return Test::HMAC::makeSHA384HMACTests<SHA384>(); }},
    {hmacFolder, hmacFiles, [] { return Test::HMAC::makeSHA512HMACTests<SHA512>(); }},
    {Test::AES::names::katDirectory, aesFiles,
     [] { return Test::AES::makeAESTests<zorvan::openssl::AES128>(); }},
    {Test::AES::names::katDirectory, aesFiles,
     [] { return Test::AES::makeAESTests<zorvan::openssl::AES192>(); }},
    {Test::AES::names::katDirectory, aesFiles,
     [] { return Test::AES::makeAESTests<zorvan::openssl::AES256>(); }},
    {Test::TwoFish::katDirectory, twoFishFiles,
     [] { return Test::TwoFish::makeTwoFishTests<zorvan::gcrypt::Twofish>(); }},
};

void makeFolders() {
    for (const Suite& suite : suites) {
        fs::create_directories(fuzz::dataDirectory() / suite.folder);
    }
}

// The builder's tree, or nothing when it refuses the file with an error it documents for
// what a file holds: hex that is not hex where it decodes while building, and a Twofish
// file whose name is none of the suite's.
std::optional<Tests> build(const Suite& suite) {
    try {
        return suite.build();
    } catch (const Test::Crypto::HexDecodingError&) {
        return std::nullopt;
    } catch (const Test::IncompleteMatch&) {
        return std::nullopt;
    }
}

// Runs the first unit leaves; the property leaves do not read the file.
void runKnownAnswers(const Tests& tests) {
    std::size_t run = 0;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        if (run == maximumLeaves) {
            return;
        }
        if (std::holds_alternative<zorvan::testing::UnitTest>(leaf.test->node())) {
            const zorvan::testing::LeafOutcome outcome = zorvan::testing::runLeaf(leaf, {});
            fuzz::require(outcome.status == zorvan::testing::LeafStatus::passed ||
                          !outcome.report().empty());
            ++run;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool made = (makeFolders(), true);
    static_cast<void>(made);
    fuzz::FuzzInput input(data, size);
    const Suite& suite = suites[input.choose(std::size(suites))];
    const fs::path file =
        fs::path(suite.folder) / suite.fileNames[input.choose(suite.fileNames.size())];
    fuzz::writeFile(file, input.rest());
    if (const std::optional<Tests> tests = build(suite)) {
        runKnownAnswers(*tests);
    }
    fs::remove(fuzz::dataDirectory() / file);
    return 0;
}
