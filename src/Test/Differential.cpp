#include <Test/Differential.hpp>

#include "DifferentialCases.hpp"
#include <Test/Crypto/AeadView.hpp>
#include <Test/Crypto/MacView.hpp>
#include <Test/Crypto/XofView.hpp>
#include <Test/Crypto/XtsView.hpp>

#include <zorvan/testing/assertion.hpp>

#include <array>
#include <chrono>
#include <exception>
#include <source_location>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <variant>

namespace Test::Differential {

namespace {

using detail::Case;
using detail::Shape;
using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::testing::CaseOutcome;
using zorvan::testing::FailedCheck;
using zorvan::testing::Gen;
using zorvan::testing::Verdict;
using Tree = zorvan::testing::Test;

// A type's values for one case, each named after the operation that gave it (a name that lives
// as long as the program: a case costs no more than the calls it makes).
using Output = std::pair<std::string_view, Bytes>;
using Outputs = std::vector<Output>;
using Compute = std::function<Outputs(const Case&)>;

// The outputs moved in: an initializer list would copy every one of them.
template <class... Named> Outputs outputsOf(Named&&... named) {
    Outputs outputs;
    outputs.reserve(sizeof...(named));
    (outputs.push_back(std::forward<Named>(named)), ...);
    return outputs;
}

struct Compared {
    std::string name;
    Compute compute;
};

// A side's outputs, or the error it raised. A side that cannot run here (a key size its library
// lacks) skips the leaf.
std::variant<Outputs, std::string> attempt(const Compared& side, const Case& input) {
    try {
        return side.compute(input);
    } catch (const zorvan::testing::TestSkipped&) {
        throw;
    } catch (const std::exception& error) {
        return std::string("error: ") + error.what();
    }
}

std::string printed(const std::variant<Outputs, std::string>& result) {
    if (const auto* error = std::get_if<std::string>(&result)) {
        return *error;
    }
    return "no error";
}

FailedCheck mismatch(std::string message, const std::string& firstRole, std::string firstText,
                     const std::string& secondRole, std::string secondText,
                     std::optional<zorvan::testing::ByteDifference> difference,
                     std::source_location location = std::source_location::current()) {
    return {std::move(message),
            {firstRole, std::move(firstText)},
            {secondRole, std::move(secondText)},
            difference,
            std::nullopt,
            {location.file_name(), location.line()}};
}

// Where the two sides part: the first output that differs, or an error one raised and the
// other did not. Both refusing a case is agreement.
std::optional<FailedCheck> disagreement(const Compared& first, const Compared& second,
                                        const Case& input) {
    const auto ours = attempt(first, input);
    const auto theirs = attempt(second, input);
    const auto* firstOutputs = std::get_if<Outputs>(&ours);
    const auto* secondOutputs = std::get_if<Outputs>(&theirs);
    if (firstOutputs == nullptr && secondOutputs == nullptr) {
        return std::nullopt;
    }
    if (firstOutputs == nullptr || secondOutputs == nullptr) {
        return mismatch("one side raised an error and the other did not", first.name, printed(ours),
                        second.name, printed(theirs), std::nullopt);
    }
    for (std::size_t i = 0; i < firstOutputs->size() && i < secondOutputs->size(); ++i) {
        const auto& [name, octets] = (*firstOutputs)[i];
        const Bytes& other = (*secondOutputs)[i].second;
        if (!(octets == other)) {
            const std::string operation(name);
            return mismatch(operation + " differs", first.name + " " + operation,
                            zorvan::testing::describe(octets), second.name + " " + operation,
                            zorvan::testing::describe(other),
                            zorvan::testing::byteDifference(octets, other));
        }
    }
    return std::nullopt;
}

// The two sides' names, and how long each case the runner asks for keeps drawing inputs (0: one
// input per case).
struct Pairing {
    std::string first;
    std::string second;
    double secondsPerCase = 0;
};

// Draws inputs from gen until one disagrees or drawMore says to stop; the same gen draws the
// same inputs, so that shrinking finds a disagreement again by drawing until it fails.
std::optional<Case> drawUntilFailing(const detail::CaseDrawer& draw, Gen& gen,
                                     const std::function<bool(const Case&)>& fails,
                                     const std::function<bool()>& drawMore) {
    do {
        Case drawn = draw(gen);
        if (fails(drawn)) {
            return drawn;
        }
    } while (drawMore());
    return std::nullopt;
}

// Whether a case with seconds to spend may draw again: until the time is spent. A case with
// none draws once, and reads no clock.
std::function<bool()> untilSpent(double seconds) {
    if (seconds <= 0) {
        return [] { return false; };
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                          std::chrono::duration<double>(seconds));
    return [deadline] { return Clock::now() < deadline; };
}

// Replaying a case that spent its time: the disagreement it found comes within this many draws
// unless the types answer differently from run to run.
constexpr std::size_t replayDraws = std::size_t{1} << 24U;

Tree differentialLeaf(const char* name, const Shape& shape, const char* ivName,
                      const Pairing& pairing, Compute first, Compute second) {
    const auto check = [shape, ivName, first = Compared{pairing.first, std::move(first)},
                        second = Compared{pairing.second, std::move(second)}](const Case& input) {
        CaseOutcome outcome;
        if (std::optional<FailedCheck> found = disagreement(first, second, input)) {
            outcome.verdict = Verdict::falsified;
            outcome.check = std::move(found);
            outcome.arguments = detail::describeCase(shape, input, ivName);
        }
        return outcome;
    };
    const std::function<bool(const Case&)> fails = [check](const Case& input) {
        return check(input).verdict == Verdict::falsified;
    };
    const double seconds = pairing.secondsPerCase;
    const auto draw = std::make_shared<const detail::CaseDrawer>(shape);
    return zorvan::testing::testProperty(
        name, zorvan::testing::Property(
                  [=](Gen& gen) {
                      const std::optional<Case> failing =
                          drawUntilFailing(*draw, gen, fails, untilSpent(seconds));
                      return failing ? check(*failing) : CaseOutcome{};
                  },
                  [=](Gen& gen, std::size_t attempts) {
                      std::size_t draws = seconds > 0 ? replayDraws : 1;
                      const std::optional<Case> failing =
                          drawUntilFailing(*draw, gen, fails, [&] { return --draws > 0; });
                      if (!failing) {
                          return zorvan::testing::ShrunkCase{};
                      }
                      const detail::ShrunkCase shrunk =
                          detail::shrinkCase(shape, *failing, fails, attempts);
                      return zorvan::testing::ShrunkCase{check(shrunk.smallest), shrunk.steps};
                  }));
}

void requireSame(const char* what, std::size_t first, std::size_t second) {
    if (first != second) {
        throw std::invalid_argument(std::string("differential tests compare types of one ") + what +
                                    ", not " + std::to_string(first) + " and " +
                                    std::to_string(second));
    }
}

template <class View> using ViewOf = std::shared_ptr<const View>;

// ---- hashes and HMAC

Shape messageShape(std::size_t blockOctets) {
    Shape shape;
    shape.edges = {blockOctets};
    shape.lengthFieldOctets = blockOctets / 8;
    shape.mostMessage = 3 * blockOctets + 8;
    return shape;
}

std::vector<Tree> hashLeaves(const Pairing& pairing, const ViewOf<Crypto::HashView>& first,
                             const ViewOf<Crypto::HashView>& second) {
    requireSame("digest length", first->outputLength(), second->outputLength());
    requireSame("block length", first->blockLength(), second->blockLength());
    const std::size_t block = first->blockLength() / 8;
    const auto hashOf = [](const ViewOf<Crypto::HashView>& view) -> Compute {
        return [view](const Case& input) {
            return outputsOf(Output{"hashStrict", view->digestOctets(input.message)},
                             Output{"hash of the chunks",
                                    view->chunkedDigestOctets(detail::lazyMessage(input))});
        };
    };
    const auto hmacOf = [](const ViewOf<Crypto::HashView>& view) -> Compute {
        return [view](const Case& input) {
            return outputsOf(Output{"hmacStrict", view->macOctets(input.key, input.message)},
                             Output{"hmac of the chunks",
                                    view->chunkedMacOctets(input.key, detail::lazyMessage(input))});
        };
    };
    Shape hmacShape = messageShape(block);
    // Keys shorter than, as long as and longer than the block take three different paths.
    hmacShape.keyLengths = {
        0, 1, block - 1, block, block + 1, 2 * block, first->outputLength() / 8};
    hmacShape.keyLengthShrinks = true;
    return {differentialLeaf("HashAgrees", messageShape(block), "", pairing, hashOf(first),
                             hashOf(second)),
            differentialLeaf("HMACAgrees", hmacShape, "", pairing, hmacOf(first), hmacOf(second))};
}

// ---- block ciphers

template <class KeyView, class View>
std::shared_ptr<const KeyView> keyOf(const View& view, const Bytes& octets) {
    std::shared_ptr<const KeyView> key = view.buildKey(octets);
    if (key == nullptr) {
        throw std::runtime_error("buildKey refuses the key");
    }
    return key;
}

struct ModeLeaf {
    Crypto::CipherMode mode;
    const char* name;
    bool wholeBlocks;
};

constexpr std::array modeLeaves{
    ModeLeaf{Crypto::CipherMode::ecb, "ECBAgrees", true},
    ModeLeaf{Crypto::CipherMode::cbc, "CBCAgrees", true},
    ModeLeaf{Crypto::CipherMode::cfb, "CFBAgrees", false},
    ModeLeaf{Crypto::CipherMode::ofb, "OFBAgrees", false},
    ModeLeaf{Crypto::CipherMode::ctr, "CTRAgrees", false},
};

// The names of a mode's outputs: the output, then its next IV.
struct ModeOutputNames {
    std::string_view output;
    std::string_view nextIv;
};

void addModeOutputs(Outputs& outputs, const ModeOutputNames& names,
                    Crypto::ModeResult<Bytes> result, bool withIv) {
    outputs.emplace_back(names.output, std::move(result.first));
    if (withIv) {
        outputs.emplace_back(names.nextIv, std::move(result.second));
    }
}

// Indexed by decryption: encryption first.
constexpr std::array<ModeOutputNames, 2> strictNames{
    ModeOutputNames{"encryption", "next IV after encryption"},
    ModeOutputNames{"decryption", "next IV after decryption"}};
constexpr std::array<ModeOutputNames, 2> chunkedNames{
    ModeOutputNames{"chunked encryption", "next IV after chunked encryption"},
    ModeOutputNames{"chunked decryption", "next IV after chunked decryption"}};

Compute modeOf(const ViewOf<Crypto::CipherView>& view, Crypto::CipherMode mode) {
    return [view, mode](const Case& input) {
        const auto key = keyOf<Crypto::KeyView>(*view, input.key);
        const bool withIv = mode != Crypto::CipherMode::ecb;
        const LazyBytes chunks = detail::lazyMessage(input);
        Outputs outputs;
        outputs.reserve(8);
        for (const bool decrypt : {false, true}) {
            addModeOutputs(outputs, strictNames[decrypt ? 1 : 0],
                           key->run(mode, decrypt, input.iv, input.message), withIv);
            auto lazy = key->runLazy(mode, decrypt, input.iv, chunks);
            addModeOutputs(outputs, chunkedNames[decrypt ? 1 : 0],
                           {lazy.first.toStrict(), std::move(lazy.second)}, withIv);
        }
        return outputs;
    };
}

std::vector<Tree> cipherLeaves(const Pairing& pairing, const ViewOf<Crypto::CipherView>& first,
                               const ViewOf<Crypto::CipherView>& second) {
    requireSame("block size", first->blockSize(), second->blockSize());
    requireSame("key length", first->keyLength(), second->keyLength());
    const std::size_t block = first->blockSize() / 8;
    std::vector<Tree> leaves;
    for (const ModeLeaf& leaf : modeLeaves) {
        Shape shape;
        shape.keyLengths = {first->keyLength() / 8};
        shape.ivOctets = leaf.mode == Crypto::CipherMode::ecb ? 0 : block;
        shape.counterIv = leaf.mode == Crypto::CipherMode::ctr;
        shape.edges = {block};
        shape.messageUnit = leaf.wholeBlocks ? block : 1;
        shape.mostMessage = 5 * block;
        leaves.push_back(differentialLeaf(leaf.name, shape, "IV", pairing, modeOf(first, leaf.mode),
                                          modeOf(second, leaf.mode)));
    }
    return leaves;
}

// ---- XOFs, MACs, XTS and AEADs

std::vector<Tree> xofLeaves(const Pairing& pairing, const ViewOf<Crypto::XofView>& first,
                            const ViewOf<Crypto::XofView>& second) {
    requireSame("rate", first->blockLength(), second->blockLength());
    const std::size_t rate = first->blockLength() / 8;
    Shape shape;
    shape.edges = {rate};
    shape.mostMessage = 2 * rate + 2;
    shape.withOutputLength = true;
    const auto squeezeOf = [](const ViewOf<Crypto::XofView>& view) -> Compute {
        return [view](const Case& input) {
            const auto whole = view->newContext();
            whole->absorb(input.message.view());
            const auto chunked = view->newContext();
            const LazyBytes chunks = detail::lazyMessage(input);
            for (const Bytes& chunk : chunks.toChunks()) {
                chunked->absorb(chunk.view());
            }
            return outputsOf(Output{"squeeze", whole->squeeze(input.outputOctets)},
                             Output{"squeeze after chunks", chunked->squeeze(input.outputOctets)});
        };
    };
    return {
        differentialLeaf("SqueezeAgrees", shape, "", pairing, squeezeOf(first), squeezeOf(second))};
}

std::vector<Tree> macLeaves(const Pairing& pairing, const ViewOf<Crypto::MacView>& first,
                            const ViewOf<Crypto::MacView>& second) {
    requireSame("key length", first->keyLength(), second->keyLength());
    requireSame("tag length", first->tagLength(), second->tagLength());
    Shape shape;
    shape.keyLengths = {first->keyLength() / 8};
    shape.edges = {16};
    shape.mostMessage = std::size_t{5} * 16;
    const auto tagOf = [](const ViewOf<Crypto::MacView>& view) -> Compute {
        return [view](const Case& input) {
            const auto key = keyOf<Crypto::MacKeyView>(*view, input.key);
            return outputsOf(Output{"tag", key->tag(LazyBytes::fromChunks({input.message}))},
                             Output{"tag of the chunks", key->tag(detail::lazyMessage(input))});
        };
    };
    return {differentialLeaf("TagAgrees", shape, "", pairing, tagOf(first), tagOf(second))};
}

std::vector<Tree> xtsLeaves(const Pairing& pairing, const ViewOf<Crypto::XtsView>& first,
                            const ViewOf<Crypto::XtsView>& second) {
    requireSame("key length", first->keyLength(), second->keyLength());
    constexpr std::size_t block = 16;
    Shape shape;
    shape.keyLengths = {first->keyLength() / 8};
    shape.ivOctets = block;
    shape.edges = {block};
    // XTS takes no data unit shorter than a block.
    shape.leastMessage = block;
    shape.mostMessage = 5 * block;
    const auto xtsOf = [](const ViewOf<Crypto::XtsView>& view) -> Compute {
        return [view](const Case& input) {
            const auto key = keyOf<Crypto::XtsKeyView>(*view, input.key);
            return outputsOf(Output{"encryption", key->encrypt(input.iv, input.message)},
                             Output{"decryption", key->decrypt(input.iv, input.message)});
        };
    };
    return {differentialLeaf("XTSAgrees", shape, "tweak", pairing, xtsOf(first), xtsOf(second))};
}

// The first length in the list that both types take; nothing when they share none.
template <class Accepts>
std::optional<std::size_t> sharedLength(std::initializer_list<std::size_t> lengths,
                                        Accepts accepts) {
    for (const std::size_t length : lengths) {
        if (accepts(length)) {
            return length;
        }
    }
    return std::nullopt;
}

std::vector<Tree> aeadLeaves(const Pairing& pairing, const ViewOf<Crypto::AeadView>& first,
                             const ViewOf<Crypto::AeadView>& second) {
    requireSame("key length", first->keyLength(), second->keyLength());
    // GCM and ChaCha20-Poly1305 take 12-octet nonces, CCM 7 to 13, XChaCha20-Poly1305 24.
    const std::optional<std::size_t> nonce =
        sharedLength({12, 13, 7, 24, 8, 16}, [&](std::size_t octets) {
            return first->acceptsNonceLength(octets) && second->acceptsNonceLength(octets);
        });
    const std::optional<std::size_t> tag = sharedLength({16, 12, 8, 4}, [&](std::size_t octets) {
        return first->acceptsTagLength(octets) && second->acceptsTagLength(octets);
    });
    if (!nonce || !tag) {
        throw std::invalid_argument("the two AEAD types share no nonce or no tag length");
    }
    Shape shape;
    shape.keyLengths = {first->keyLength() / 8};
    shape.ivOctets = *nonce;
    shape.edges = {16, 64};
    shape.mostMessage = 3 * 64 + 1;
    shape.withAad = true;
    const auto sealOf = [tagOctets = *tag](const ViewOf<Crypto::AeadView>& view) -> Compute {
        return [view, tagOctets](const Case& input) {
            const auto key = keyOf<Crypto::AeadKeyView>(*view, input.key);
            zorvan::Sealed sealed = key->seal(input.iv, input.aad, input.message, tagOctets);
            zorvan::Sealed chunked = key->sealLazy(input.iv, LazyBytes::fromChunks({input.aad}),
                                                   detail::lazyMessage(input), tagOctets);
            return outputsOf(Output{"ciphertext", std::move(sealed.ciphertext)},
                             Output{"tag", std::move(sealed.tag)},
                             Output{"chunked ciphertext", std::move(chunked.ciphertext)},
                             Output{"chunked tag", std::move(chunked.tag)});
        };
    };
    return {differentialLeaf("SealAgrees", shape, "nonce", pairing, sealOf(first), sealOf(second))};
}

struct LeavesOf {
    const Pairing& pairing;
    const Suites::Subject& second;

    std::vector<Tree> operator()(const ViewOf<Crypto::HashView>& view) const {
        return hashLeaves(pairing, view, other(view));
    }
    std::vector<Tree> operator()(const ViewOf<Crypto::CipherView>& view) const {
        return cipherLeaves(pairing, view, other(view));
    }
    std::vector<Tree> operator()(const ViewOf<Crypto::XofView>& view) const {
        return xofLeaves(pairing, view, other(view));
    }
    std::vector<Tree> operator()(const ViewOf<Crypto::MacView>& view) const {
        return macLeaves(pairing, view, other(view));
    }
    std::vector<Tree> operator()(const ViewOf<Crypto::XtsView>& view) const {
        return xtsLeaves(pairing, view, other(view));
    }
    std::vector<Tree> operator()(const ViewOf<Crypto::AeadView>& view) const {
        return aeadLeaves(pairing, view, other(view));
    }

    template <class View> const ViewOf<View>& other(const ViewOf<View>&) const {
        const auto* view = std::get_if<ViewOf<View>>(&second);
        if (view == nullptr) {
            throw std::invalid_argument(
                "differential tests compare two types of the same kind of primitive");
        }
        return *view;
    }
};

} // namespace

std::vector<Tree> differentialTests(const Side& first, const Side& second, const Budget& budget) {
    // A hash has two leaves (hash and HMAC), a block cipher five (its modes), the others one.
    const std::size_t leaves = std::holds_alternative<ViewOf<Crypto::HashView>>(first.subject) ? 2
                               : std::holds_alternative<ViewOf<Crypto::CipherView>>(first.subject)
                                   ? 5
                                   : 1;
    const Pairing pairing{first.name, second.name,
                          budget.seconds / static_cast<double>(leaves * Budget::casesPerLeaf)};
    return {zorvan::testing::TestGroup{
        "Differential", std::visit(LeavesOf{pairing, second.subject}, first.subject)}};
}

} // namespace Test::Differential
