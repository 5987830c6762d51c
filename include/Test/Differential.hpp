#pragma once
// Test::Differential: a type compared with a reference type of the same algorithm on drawn
// inputs. Known answers test a few hundred fixed inputs and the laws compare a type with
// itself, so a type that is consistently wrong where no vector looks passes both; a reference
// finds it. The lengths drawn hit the boundaries where implementations break (empty, one octet,
// a block and its neighbours, the padding edge of a hash's length field, an IV just short of a
// counter carry); a disagreement is shrunk to the smallest case that still shows it.

#include <Test/Suites.hpp>
#include <zorvan/testing/test.hpp>

#include <cstddef>
#include <string>
#include <vector>

namespace Test::Differential {

/// Side: one of the two types compared: the name its values carry in a report ("mine",
/// "reference", "openssl") and its view.
struct Side {
    /// name: how the report labels this side's values.
    std::string name;
    /// subject: the type behind its view.
    Suites::Subject subject;
};

/// Budget: how long the drawn cases run. By default each leaf checks as many cases as the runner
/// asks for (--cases); with seconds, each of those cases keeps drawing inputs, until one
/// disagrees, for its share of the seconds at casesPerLeaf cases a leaf, so that the group's
/// leaves run for about that long at the runner's default.
struct Budget {
    /// casesPerLeaf: the runner's default --cases, over which seconds is shared.
    static constexpr std::size_t casesPerLeaf = 100;
    /// seconds: the group's time; 0 for one input per case.
    double seconds = 0;
};

/// differentialTests: one group, "Differential", of property leaves that compare first with
/// second on drawn cases (the runner's --cases of them): for a hash, "HashAgrees" (hashStrict and
/// chunked hash) and "HMACAgrees" (keys of every length around the block); for a block cipher,
/// "ECBAgrees" ... "CTRAgrees" (encryption, decryption, their chunked forms and each next IV);
/// for an XOF "SqueezeAgrees", a MAC "TagAgrees", XTS "XTSAgrees" and an AEAD "SealAgrees"
/// (strict and chunked seal). A falsified case is shrunk; the report shows the smallest case in
/// hex with both sides' values. Throws std::invalid_argument when the two are different kinds of
/// primitive or differ in a length (digest, block, rate, key, tag); throws what the views'
/// length queries throw.
std::vector<zorvan::testing::Test> differentialTests(const Side& first, const Side& second,
                                                     const Budget& budget = {});

/// makeDifferentialTests: differentialTests of Mine ("mine") against Reference ("reference"),
/// each a digest, key, XOF, MAC or AEAD type, or zorvan::Xts<K>, as Suites::subject takes them;
/// zorvan::reference names the bundled ones.
template <class Mine, class Reference> std::vector<zorvan::testing::Test> makeDifferentialTests() {
    return differentialTests({"mine", Suites::subject<Mine>()},
                             {"reference", Suites::subject<Reference>()});
}

/// makeDifferentialTests: the same, the types given by witnesses.
template <class Mine, class Reference>
std::vector<zorvan::testing::Test> makeDifferentialTests(const Mine&, const Reference&) {
    return makeDifferentialTests<Mine, Reference>();
}

} // namespace Test::Differential
