#include <Test/XOF.hpp>

#include <Test/LawInputs.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <string>

namespace Test::XOF {

namespace {

using Conformance::boundaryLengths;
using Conformance::chunked;
using Conformance::cutPoints;
using Conformance::drawBytes;
using Conformance::octets;
using Conformance::patterned;
using Conformance::randomCuts;
using zorvan::Bytes;
namespace testing = zorvan::testing;
using testing::assertEqual;
using testing::Gen;
using Tree = testing::Test;
using Xof = std::shared_ptr<const Crypto::XofView>;

// The law names, each saying what broke when its leaf fails.
namespace names {
constexpr const char* absorbGroup = "XOF absorb laws";
constexpr const char* absorbSplits = "AbsorbSplitsAgree";
constexpr const char* randomAbsorbs = "RandomAbsorbChunkingsAgree";
constexpr const char* squeezeGroup = "XOF squeeze laws";
constexpr const char* prefix = "OutputIsPrefixOfLonger";
constexpr const char* squeezeSplits = "SqueezeSplitsAgree";
constexpr const char* randomSqueezes = "RandomSqueezePiecesAgree";
} // namespace names

std::size_t rateOctetsOf(const Crypto::XofView& view) {
    return std::max<std::size_t>(view.blockLength() / 8, 1);
}

// The output of the message absorbed between the cut points (equal neighbours absorb an empty
// piece) and squeezed between the output cuts, concatenated.
Bytes outputOfPieces(const Crypto::XofView& view, const Bytes& message,
                     const std::vector<std::size_t>& absorbCuts,
                     const std::vector<std::size_t>& squeezeCuts) {
    const std::unique_ptr<Crypto::XofContext> context = view.newContext();
    for (std::size_t i = 1; i < absorbCuts.size(); ++i) {
        context->absorb(
            message.view().subspan(absorbCuts[i - 1], absorbCuts[i] - absorbCuts[i - 1]));
    }
    Bytes output;
    for (std::size_t i = 1; i < squeezeCuts.size(); ++i) {
        output = output.concat(context->squeeze(squeezeCuts[i] - squeezeCuts[i - 1]));
    }
    return output;
}

std::string cutsText(const std::vector<std::size_t>& cuts) {
    std::string text;
    for (const std::size_t cut : cuts) {
        text.append(" ").append(std::to_string(cut));
    }
    return text;
}

void requirePieces(const Crypto::XofView& view) {
    if (!view.squeezesInPieces()) {
        throw testing::TestSkipped("the XOF type squeezes only once (squeezesInPieces is "
                                   "false)");
    }
}

// Every split of every message length at and around each rate boundary up to three blocks, with
// an empty absorb at the cut, squeezed across the rate: a piece that fills the sponge's buffer
// exactly, one that crosses it, one that leaves an octet over, and the padding in each place.
Tree absorbSplits(const Xof& xof) {
    return testing::testCase(names::absorbSplits, [xof] {
        const Crypto::XofView& view = *xof;
        const std::size_t rate = rateOctetsOf(view);
        for (const std::size_t length : boundaryLengths(rate)) {
            const Bytes message = patterned(length, 31);
            const Bytes whole = view.output(message, rate + 1);
            for (std::size_t cut = 0; cut <= length; ++cut) {
                assertEqual(std::string(names::absorbSplits) + ": " + octets(length) +
                                " absorbed as " + octets(cut) + ", none and the rest",
                            whole,
                            outputOfPieces(view, message, {0, cut, cut, length}, {0, rate + 1}));
            }
        }
    });
}

// An output of n octets is the first n octets of every longer one, at every length around the
// rate boundaries: a sponge that forgets to permute between blocks, or squeezes a block too many
// or too few, breaks it.
Tree outputPrefix(const Xof& xof) {
    return testing::testCase(names::prefix, [xof] {
        const Crypto::XofView& view = *xof;
        const std::size_t rate = rateOctetsOf(view);
        const std::vector<std::size_t> lengths = boundaryLengths(rate);
        for (const std::size_t messageLength : {std::size_t{0}, rate + 3}) {
            const Bytes message = patterned(messageLength, 32);
            const Bytes longest = view.output(message, lengths.back());
            assertEqual(std::string(names::prefix) + ": the length squeezed", lengths.back(),
                        longest.size());
            for (const std::size_t length : lengths) {
                assertEqual(std::string(names::prefix) + ": a message of " + octets(messageLength) +
                                ", " + octets(length) + " squeezed",
                            longest.take(length), view.output(message, length));
            }
        }
    });
}

// Every output length around the rate boundaries squeezed in two calls, cut at and around each
// boundary, with an empty squeeze between: the second call must go on where the first stopped.
Tree squeezeSplits(const Xof& xof) {
    return testing::testCase(names::squeezeSplits, [xof] {
        const Crypto::XofView& view = *xof;
        requirePieces(view);
        const std::size_t rate = rateOctetsOf(view);
        const Bytes message = patterned(rate / 2, 33);
        for (const std::size_t length : boundaryLengths(rate)) {
            const Bytes whole = view.output(message, length);
            for (const std::size_t cut : cutPoints(length, rate)) {
                assertEqual(
                    std::string(names::squeezeSplits) + ": " + octets(length) + " squeezed as " +
                        octets(cut) + ", none and the rest",
                    whole,
                    outputOfPieces(view, message, {0, message.size()}, {0, cut, cut, length}));
            }
        }
    });
}

Tree randomAbsorbs(const Xof& xof) {
    return testing::testProperty(names::randomAbsorbs, [xof](std::uint64_t seed) {
        const Crypto::XofView& view = *xof;
        Gen gen(seed);
        const std::size_t rate = rateOctetsOf(view);
        const Bytes message = drawBytes(gen, static_cast<std::size_t>(gen.uniform(8 * rate)));
        const std::vector<std::size_t> cuts = randomCuts(gen, message.size(), rate);
        const std::size_t length = static_cast<std::size_t>(gen.uniform(3 * rate));
        const Bytes whole = view.output(message, length);
        const std::string where = std::string(names::randomAbsorbs) + ": " +
                                  octets(message.size()) + " absorbed cut at" + cutsText(cuts);
        assertEqual(where, whole, outputOfPieces(view, message, cuts, {0, length}));
        assertEqual(where + ", as chunks", whole, view.output(chunked(message, cuts), length));
        return true;
    });
}

Tree randomSqueezes(const Xof& xof) {
    return testing::testProperty(names::randomSqueezes, [xof](std::uint64_t seed) {
        const Crypto::XofView& view = *xof;
        requirePieces(view);
        Gen gen(seed);
        const std::size_t rate = rateOctetsOf(view);
        const Bytes message = drawBytes(gen, static_cast<std::size_t>(gen.uniform(2 * rate)));
        const std::size_t length = static_cast<std::size_t>(gen.uniform(6 * rate));
        const std::vector<std::size_t> cuts = randomCuts(gen, length, rate);
        assertEqual(std::string(names::randomSqueezes) + ": " + octets(length) +
                        " squeezed cut at" + cutsText(cuts),
                    view.output(message, length),
                    outputOfPieces(view, message, {0, message.size()}, cuts));
        return true;
    });
}

} // namespace

std::vector<zorvan::testing::Test> xofConformanceTests(const Xof& xof) {
    return {testing::TestGroup{names::absorbGroup, {absorbSplits(xof), randomAbsorbs(xof)}},
            testing::TestGroup{names::squeezeGroup,
                               {outputPrefix(xof), squeezeSplits(xof), randomSqueezes(xof)}}};
}

} // namespace Test::XOF
