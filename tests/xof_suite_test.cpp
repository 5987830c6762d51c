// The XOF suites: every SHAKE suite passes for every library that has the function, with one test
// per record of its files (counted here without the KAT parser); the tests' own SHAKE passes them
// too, and broken each way a real one has been, fails exactly where it should.

#include <Test/Suites.hpp>
#include <Test/XOF.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/missing_xof.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>

#include "hash_suite_support.hpp"
#include "keccak_sponge.hpp"
#include "leaf_runs.hpp"
#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

namespace xof = ::Test::XOF;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using zorvan::testing::LeafStatus;

// SHAKE of the tests' own sponge: Suffix 0x1f is SHAKE's domain octet, 0x06 SHA-3's; with
// Restart every squeeze starts again from the first output block.
template <std::size_t Rate, std::uint8_t Suffix, bool Restart> struct SpongeXof {
    static std::size_t blockLength() { return 8 * Rate; }
    class Context {
    public:
        void absorb(std::span<const std::uint8_t> octets) { sponge_.absorb(octets); }
        zorvan::Bytes squeeze(std::size_t length) { return sponge_.squeeze(length); }

    private:
        keccak::Sponge sponge_{Rate, Suffix, Restart};
    };
};

constexpr std::size_t rate128 = 168;
constexpr std::size_t rate256 = 136;
using OwnShake128 = SpongeXof<rate128, 0x1f, false>;
using OwnShake256 = SpongeXof<rate256, 0x1f, false>;
using Sha3PaddedShake128 = SpongeXof<rate128, 0x06, false>;
using RestartingShake256 = SpongeXof<rate256, 0x1f, true>;

std::size_t linesStartingWith(std::string_view folder, const std::string& file,
                              std::string_view start) {
    return hash_suites::countLines(
        folder, [&](const std::string& name) { return name == file; },
        [&](const std::string& line, const std::string&) { return line.starts_with(start); });
}

// The records of the function's known-answer files, counted line by line.
std::size_t knownAnswerRecords(const std::string& label) {
    return linesStartingWith(xof::katDirectory, label + "ShortMsg.rsp", "Len =") +
           linesStartingWith(xof::katDirectory, label + "LongMsg.rsp", "Len =") +
           linesStartingWith(xof::variableOutDirectory, label + "VariableOut.rsp", "COUNT =");
}

// Every suite of the table's row for X passes, the known-answer suites with one test per record,
// and the laws that need a second squeeze are skipped exactly when X squeezes once.
template <class X> void expectEverySuitePasses(xof::Shake shake) {
    const std::string label(xof::labelOf(shake));
    const auto known = leaf_runs::runAll(xof::makeSHAKETests<X>(shake));
    EXPECT_THAT(known, SizeIs(knownAnswerRecords(label))) << label;
    EXPECT_EQ(known.front().path, "Nist" + label + "-1");
    EXPECT_EQ(known.back().path,
              "Nist" + label + "VariableOut-" +
                  std::to_string(linesStartingWith(xof::variableOutDirectory,
                                                   label + "VariableOut.rsp", "COUNT =") -
                                 1));
    const auto monte = leaf_runs::runAll(xof::makeSHAKEMonteTests<X>(shake));
    EXPECT_THAT(monte, SizeIs(100)) << label;
    EXPECT_EQ(monte.back().path, "Nist" + label + "Monte-99");
    const auto sweep = leaf_runs::runAll(xof::makeSHAKESweepTests<X>(shake));
    EXPECT_THAT(sweep,
                SizeIs(linesStartingWith(xof::sweepDirectory, label + "Sweep.rsp", "Len =")));
    const auto laws = leaf_runs::runAll(xof::makeXofConformanceTests<X>());
    for (const auto* runs : {&known, &monte, &sweep, &laws}) {
        EXPECT_THAT(leaf_runs::pathsWith(*runs, LeafStatus::failed), IsEmpty()) << label;
    }
    const std::vector<std::string> skipped = leaf_runs::pathsWith(laws, LeafStatus::skipped);
    if (zorvan::squeezesInPieces<X>()) {
        EXPECT_THAT(skipped, IsEmpty()) << label;
    } else {
        EXPECT_THAT(skipped, ElementsAre("XOF squeeze laws/SqueezeSplitsAgree",
                                         "XOF squeeze laws/RandomSqueezePiecesAgree"))
            << label;
    }
}

TEST(ShakeSuites, PassForEveryLibraryThatHasTheFunction) {
    using xof::Shake;
    expectEverySuitePasses<zorvan::openssl::SHAKE128>(Shake::shake128);
    expectEverySuitePasses<zorvan::openssl::SHAKE256>(Shake::shake256);
    expectEverySuitePasses<zorvan::gcrypt::SHAKE128>(Shake::shake128);
    expectEverySuitePasses<zorvan::gcrypt::SHAKE256>(Shake::shake256);
    expectEverySuitePasses<zorvan::nettle::SHAKE256>(Shake::shake256);
}

TEST(ShakeSuites, PassForTheTestsOwnSpongeWhichSqueezesInPieces) {
    expectEverySuitePasses<OwnShake128>(xof::Shake::shake128);
    expectEverySuitePasses<OwnShake256>(xof::Shake::shake256);
}

// SHA-3's domain octet makes every output differ, so every known answer fails; the laws, which
// compare the type with itself, cannot see it.
TEST(BrokenXofs, ShaThreePaddingFailsEveryKnownAnswerAndNoLaw) {
    using xof::Shake;
    for (const auto& tests : {xof::makeSHAKETests<Sha3PaddedShake128>(Shake::shake128),
                              xof::makeSHAKEMonteTests<Sha3PaddedShake128>(Shake::shake128),
                              xof::makeSHAKESweepTests<Sha3PaddedShake128>(Shake::shake128)}) {
        const auto runs = leaf_runs::runAll(tests);
        EXPECT_EQ(leaf_runs::pathsWith(runs, LeafStatus::failed).size(), runs.size());
    }
    EXPECT_THAT(
        leaf_runs::pathsWith(leaf_runs::runAll(xof::makeXofConformanceTests<Sha3PaddedShake128>()),
                             LeafStatus::failed),
        IsEmpty());
}

// A second squeeze that starts over from the first block passes every known answer (each squeezes
// once) and fails the squeeze laws alone.
TEST(BrokenXofs, SqueezeRestartingAtTheFirstBlockFailsTheSqueezeLawsAlone) {
    using xof::Shake;
    EXPECT_THAT(leaf_runs::pathsWith(
                    leaf_runs::runAll(xof::makeSHAKETests<RestartingShake256>(Shake::shake256)),
                    LeafStatus::failed),
                IsEmpty());
    const auto laws = leaf_runs::runAll(xof::makeXofConformanceTests<RestartingShake256>());
    EXPECT_THAT(leaf_runs::failedLeafNames(laws),
                ElementsAre("RandomSqueezePiecesAgree", "SqueezeSplitsAgree"));
    EXPECT_THAT(leaf_runs::reportOf(laws, "SqueezeSplitsAgree"),
                ::testing::HasSubstr("none and the rest"));
}

struct NoShake {
    static constexpr std::size_t blockBits = 1344;
    static constexpr const char* reason = "this library has no SHAKE128";
};

TEST(MissingXof, EveryLeafIsSkippedWithTheReason) {
    using Missing = zorvan::backends::MissingXof<NoShake>;
    for (const auto& tests : ::Test::Suites::algorithmTests(
             "SHAKE128", ::Test::Suites::subject<Missing>(), ::Test::DataSource())) {
        for (const auto& run : leaf_runs::runAll({tests})) {
            EXPECT_EQ(run.status, LeafStatus::skipped) << run.path;
            EXPECT_THAT(run.report, ::testing::HasSubstr(NoShake::reason)) << run.path;
        }
    }
}

// Records the suite cannot use fail where they stand, and a chain that loses its order fails
// after the checkpoints before it.
TEST(ShakeFiles, DamagedRecordsAndBrokenChainsFailInTheirPlace) {
    const TemporaryDataDirectory data;
    data.write(
        "Test/KAT_SHAKE/SHAKE128ShortMsg.rsp",
        "[Outputlen = 128]\n\nLen = 0\nMsg = 00\nOutput = 7f9c2ba4e88f827d616045507605853e\n\n"
        "Len = 8\nMsg = 0e\n\nLen = 16\nMsg = d9e8\nOutput = c7\n");
    data.write("Test/KAT_SHAKE/SHAKE128LongMsg.rsp",
               "Len = 8\nMsg = 0e\nOutput = fa996dafaa208d72287c23bc4ed4bfd5\n");
    data.write("Test/KAT_SHAKE_VAROUT/SHAKE128VariableOut.rsp",
               "[Input Length = 16]\n\nCOUNT = 0\nOutputlen = 128\nMsg = 0e\n"
               "Output = fa996dafaa208d72287c23bc4ed4bfd5\n");
    data.write("Test/KAT_SHAKE_MONTE/SHAKE128Monte.rsp",
               "[Minimum Output Length (bits) = 128]\n[Maximum Output Length (bits) = 1120]\n\n"
               "Msg = c8b310cb97efa3855434998fa81c7674\n\nCOUNT = 0\nOutputlen = 264\n"
               "Output = fe8c476993b47b10c98303a04c6212dfb341426d748d3926140aee0a151fc80fa1\n\n"
               "COUNT = 1\nOutput = 00\n");
    const auto known = leaf_runs::runAll(xof::makeSHAKETests<OwnShake128>(xof::Shake::shake128));
    std::vector<std::string> paths;
    for (const auto& run : known) {
        paths.push_back(run.path);
    }
    EXPECT_THAT(paths, ElementsAre("NistSHAKE128-1", "SHAKE128ShortMsg.rsp:7", "NistSHAKE128-2",
                                   "SHAKE128LongMsg.rsp:1", "NistSHAKE128VariableOut-0"));
    EXPECT_EQ(known[0].status, LeafStatus::passed);
    EXPECT_THAT(known[1].report, ::testing::HasSubstr("missing field: Output"));
    EXPECT_THAT(known[2].report,
                ::testing::HasSubstr("Outputlen = 128 bits, but Output holds 1 octets"));
    EXPECT_THAT(known[3].report, ::testing::HasSubstr("a section without [Outputlen = ...]"));
    EXPECT_THAT(known[4].report,
                ::testing::HasSubstr("[Input Length = 16] bits, but Msg holds 1 octets"));
    const auto monte =
        leaf_runs::runAll(xof::makeSHAKEMonteTests<OwnShake128>(xof::Shake::shake128));
    ASSERT_THAT(monte, SizeIs(2));
    EXPECT_EQ(monte[0].status, LeafStatus::passed);
    EXPECT_EQ(monte[1].path, "SHAKE128Monte.rsp:11");
    EXPECT_THAT(monte[1].report, ::testing::HasSubstr("Output where Outputlen should stand"));
}

} // namespace
