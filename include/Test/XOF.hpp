#pragma once
// Test::XOF: extendable-output functions. The NIST SHA3VS SHAKE vectors (message files, variable
// output lengths, Monte Carlo chains) installed under Test/KAT_SHAKE, Test/KAT_SHAKE_VAROUT and
// Test/KAT_SHAKE_MONTE, generated length sweeps across the rate under Test/KAT_XOF_SWEEP, and the
// laws every XOF keeps.

#include <Test/Crypto/XofView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/testing/test.hpp>
#include <zorvan/xof.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::XOF {

/// Shake: a SHAKE function with NIST vectors.
enum class Shake { shake128, shake256 };

/// labelOf: the function's label in file and test names, "SHAKE128" or "SHAKE256". Throws
/// std::invalid_argument for a value that names no Shake.
std::string_view labelOf(Shake shake);

/// The folders the suites read.
inline constexpr const char* katDirectory = "Test/KAT_SHAKE";
inline constexpr const char* variableOutDirectory = "Test/KAT_SHAKE_VAROUT";
inline constexpr const char* monteDirectory = "Test/KAT_SHAKE_MONTE";
inline constexpr const char* sweepDirectory = "Test/KAT_XOF_SWEEP";

/// shakeTests: for the XOF in view, one unit test per record of <label>ShortMsg.rsp and
/// <label>LongMsg.rsp in katDirectory (named "Nist<label>-<n>", n counting from 1), then of
/// <label>VariableOut.rsp in variableOutDirectory (named "Nist<label>VariableOut-<COUNT>"): the
/// message absorbed whole and in chunks, squeezed once to the record's output length, must give
/// its Output. A record with a missing or unknown field, a section without its output length
/// ([Outputlen = ...]) or message length ([Input Length = ...]), or lengths that disagree with
/// the values, fails the suite with a leaf named after its place, as do a file that differs from
/// the data's manifest and a folder that gives no test. Throws Test::KatFiles::KatDirectoryError
/// when a folder cannot be listed or one of the files is missing or cannot be read, and
/// std::invalid_argument for a value that names no Shake.
std::vector<zorvan::testing::Test> shakeTests(const std::shared_ptr<const Crypto::XofView>& xof,
                                              Shake shake, const DataSource& source = {});

/// shakeMonteTests: one unit test per checkpoint of <label>Monte.rsp in monteDirectory, in file
/// order, named "Nist<label>Monte-<COUNT>": from the checkpoint before it (the file's Msg for the
/// first), 1000 steps each squeeze the output length in force from the first 16 octets of the
/// output before (zero-padded when shorter), the next length being the minimum plus the last two
/// output octets, read big-endian, modulo the span of lengths, as SHA3VS defines the chain; the
/// last output and its length must be the record's. A field out of the COUNT, Outputlen, Output
/// order breaks the chain there: the checkpoints after it fail with a leaf named after its place.
/// Throws as shakeTests does.
std::vector<zorvan::testing::Test>
shakeMonteTests(const std::shared_ptr<const Crypto::XofView>& xof, Shake shake,
                const DataSource& source = {});

/// shakeSweepTests: one unit test per record of <label>Sweep.rsp in sweepDirectory, named
/// "Sweep<label>-<Len>bitsIn-<Outputlen>bitsOut": the pattern message (octet i is i mod 251) of
/// Len bits, absorbed whole and in chunks, squeezed to every length up to Outputlen, must give
/// the prefixes of its Output. The messages run from empty to two rates plus two octets, and one
/// output that long, so every place a sponge crosses its rate is reached. Throws as shakeTests
/// does.
std::vector<zorvan::testing::Test>
shakeSweepTests(const std::shared_ptr<const Crypto::XofView>& xof, Shake shake,
                const DataSource& source = {});

/// xofConformanceTests: the XOF laws over the view: absorbing in any chunking agrees (every
/// two-way split and random chunkings around the rate), an output is the prefix of every longer
/// one, and squeezing in pieces (empty ones included) gives what one squeeze gives (skipped for
/// a type that squeezes only once). Never fails itself.
std::vector<zorvan::testing::Test>
xofConformanceTests(const std::shared_ptr<const Crypto::XofView>& xof);

/// makeSHAKETests, makeSHAKEMonteTests, makeSHAKESweepTests, makeXofConformanceTests: the
/// builders above for the XOF type X (the witness only selects it). Throw as they do.
template <zorvan::Xof X>
std::vector<zorvan::testing::Test> makeSHAKETests(Shake shake, const DataSource& source = {}) {
    return shakeTests(Crypto::xofView<X>(), shake, source);
}
template <zorvan::Xof X>
std::vector<zorvan::testing::Test> makeSHAKETests(const X& /*witness*/, Shake shake,
                                                  const DataSource& source = {}) {
    return makeSHAKETests<X>(shake, source);
}
template <zorvan::Xof X>
std::vector<zorvan::testing::Test> makeSHAKEMonteTests(Shake shake, const DataSource& source = {}) {
    return shakeMonteTests(Crypto::xofView<X>(), shake, source);
}
template <zorvan::Xof X>
std::vector<zorvan::testing::Test> makeSHAKEMonteTests(const X& /*witness*/, Shake shake,
                                                       const DataSource& source = {}) {
    return makeSHAKEMonteTests<X>(shake, source);
}
template <zorvan::Xof X>
std::vector<zorvan::testing::Test> makeSHAKESweepTests(Shake shake, const DataSource& source = {}) {
    return shakeSweepTests(Crypto::xofView<X>(), shake, source);
}
template <zorvan::Xof X>
std::vector<zorvan::testing::Test> makeSHAKESweepTests(const X& /*witness*/, Shake shake,
                                                       const DataSource& source = {}) {
    return makeSHAKESweepTests<X>(shake, source);
}
template <zorvan::Xof X> std::vector<zorvan::testing::Test> makeXofConformanceTests() {
    return xofConformanceTests(Crypto::xofView<X>());
}
template <zorvan::Xof X>
std::vector<zorvan::testing::Test> makeXofConformanceTests(const X& /*witness*/) {
    return makeXofConformanceTests<X>();
}

} // namespace Test::XOF
