#include "DifferentialCases.hpp"

#include <zorvan/testing/describe.hpp>

#include <algorithm>
#include <array>
#include <iterator>
#include <set>
#include <string>

namespace Test::Differential::detail {

namespace {

using zorvan::Bytes;
using zorvan::testing::Gen;

// A shrunk case is shown whole so that it can be pasted into a test; a drawn one that is long
// is abbreviated as Bytes prints it.
constexpr std::size_t shownWhole = 256;

std::string hexOf(const Bytes& octets) {
    if (octets.size() > shownWhole) {
        return zorvan::testing::describe(octets);
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * octets.size());
    for (const std::uint8_t octet : octets) {
        hex.push_back(digits[octet >> 4U]);
        hex.push_back(digits[octet & 0xfU]);
    }
    return hex.empty() ? "(empty)" : hex;
}

Bytes randomOctets(Gen& gen, std::size_t length) {
    return Bytes::create(length, [&](std::span<std::uint8_t> octets) { gen.fill(octets); });
}

template <class Range> std::size_t pick(Gen& gen, const Range& values) {
    return values[gen.uniform(std::size(values) - 1)];
}

std::size_t drawLength(const Shape& shape, const std::vector<std::size_t>& boundaries, Gen& gen) {
    if (!boundaries.empty() && gen.uniform(3) != 0) {
        return pick(gen, boundaries);
    }
    const std::size_t unit = shape.messageUnit;
    const std::size_t least = (shape.leastMessage + unit - 1) / unit;
    return unit * (least + gen.uniform(shape.mostMessage / unit - least));
}

// Counters carry where the IV's low octets are all ff: half of the IVs end in a run of ff
// octets (the low 32 or 64 bits, or the whole block) with the last octet a few short of ff, so
// that a message of a few blocks crosses the carry.
Bytes drawIv(std::size_t length, Gen& gen) {
    Bytes random = randomOctets(gen, length);
    if (length == 0 || gen.uniform(1) == 0) {
        return random;
    }
    static constexpr std::size_t runs[] = {4, 8, 16};
    const std::size_t run = std::min(pick(gen, runs), length);
    const auto shortOfCarry = static_cast<std::uint8_t>(0xff - gen.uniform(3));
    return Bytes::create(length, [&](std::span<std::uint8_t> octets) {
        std::copy(random.begin(), random.end(), octets.begin());
        std::fill(octets.end() - static_cast<std::ptrdiff_t>(run), octets.end(), 0xff);
        octets.back() = shortOfCarry;
    });
}

std::vector<std::size_t> drawChunks(std::size_t length, Gen& gen) {
    if (length == 0) {
        return {};
    }
    // Up to three cuts strictly inside the message; equal cuts make one.
    std::array<std::size_t, 4> cuts{};
    std::size_t count = 0;
    if (gen.uniform(3) != 0 && length > 1) {
        for (std::uint64_t i = gen.uniform(2) + 1; i > 0; --i) {
            cuts[count++] = 1 + gen.uniform(length - 2);
        }
    }
    cuts[count++] = length;
    std::sort(cuts.begin(), cuts.begin() + static_cast<std::ptrdiff_t>(count));
    std::vector<std::size_t> chunks;
    std::size_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (cuts[i] > start) {
            chunks.push_back(cuts[i] - start);
            start = cuts[i];
        }
    }
    return chunks;
}

// The chunk lengths of the first `length` octets of a message cut as `chunks` are.
std::vector<std::size_t> chunksOfPrefix(const std::vector<std::size_t>& chunks,
                                        std::size_t length) {
    std::vector<std::size_t> prefix;
    for (const std::size_t chunk : chunks) {
        if (length == 0) {
            break;
        }
        prefix.push_back(std::min(chunk, length));
        length -= prefix.back();
    }
    return prefix;
}

Bytes withZeroes(const Bytes& octets, std::size_t from, std::size_t to) {
    return Bytes::create(octets.size(), [&](std::span<std::uint8_t> out) {
        std::copy(octets.begin(), octets.end(), out.begin());
        std::fill(out.begin() + static_cast<std::ptrdiff_t>(from),
                  out.begin() + static_cast<std::ptrdiff_t>(to), 0);
    });
}

// The same octets with fewer non-zero ones: all zero, each half zero, then each non-zero octet
// zero, so that a key that only matters in a few octets shrinks to them.
std::vector<Bytes> withFewerNonZeroOctets(const Bytes& octets) {
    std::vector<Bytes> fewer;
    const std::size_t nonZero = static_cast<std::size_t>(
        std::count_if(octets.begin(), octets.end(), [](std::uint8_t octet) { return octet != 0; }));
    if (nonZero == 0) {
        return fewer;
    }
    fewer.push_back(withZeroes(octets, 0, octets.size()));
    const std::size_t half = octets.size() / 2;
    for (const auto& [from, to] : {std::pair{std::size_t{0}, half}, {half, octets.size()}}) {
        if (nonZero > 1 && from < to) {
            fewer.push_back(withZeroes(octets, from, to));
        }
    }
    for (std::size_t i = 0; i < octets.size() && nonZero > 1; ++i) {
        if (octets[i] != 0) {
            fewer.push_back(withZeroes(octets, i, i + 1));
        }
    }
    std::erase(fewer, octets);
    return fewer;
}

template <class Change>
void addVariant(std::vector<Case>& cases, const Case& current, Change change) {
    Case variant = current;
    change(variant);
    if (!(variant == current)) {
        cases.push_back(std::move(variant));
    }
}

// The IV read as a big-endian counter and advanced by blocks.
Bytes advancedCounter(const Bytes& iv, std::size_t blocks) {
    return Bytes::create(iv.size(), [&](std::span<std::uint8_t> out) {
        std::copy(iv.begin(), iv.end(), out.begin());
        std::size_t carry = blocks;
        for (std::size_t i = out.size(); i-- > 0 && carry != 0;) {
            carry += out[i];
            out[i] = static_cast<std::uint8_t>(carry & 0xffU);
            carry >>= 8U;
        }
    });
}

// Lengths a whole number of edges shorter keep the length's place within a block or rate, where
// faults at a padding or rate boundary live; for a counter IV, dropping the first blocks and
// starting the counter that many blocks on keeps the counter blocks that follow.
void addShiftedMessages(const Shape& shape, const Case& current, std::vector<Case>& cases) {
    for (const std::size_t edge : shape.edges) {
        for (std::size_t shorter = current.message.size(); shorter >= edge + shape.leastMessage;) {
            shorter -= edge;
            addVariant(cases, current, [&](Case& shifted) {
                shifted.message = current.message.take(shorter);
                shifted.chunks = chunksOfPrefix(current.chunks, shorter);
            });
        }
    }
    if (!shape.counterIv) {
        return;
    }
    const std::size_t block = current.iv.size();
    for (std::size_t blocks = 1; blocks * block <= current.message.size(); ++blocks) {
        addVariant(cases, current, [&](Case& shifted) {
            shifted.message = current.message.drop(blocks * block);
            shifted.chunks = shifted.message.empty() ? std::vector<std::size_t>{}
                                                     : std::vector{shifted.message.size()};
            shifted.iv = advancedCounter(current.iv, blocks);
        });
    }
}

void addShorterMessages(const Shape& shape, const Case& current, std::vector<Case>& cases) {
    const std::size_t unit = shape.messageUnit;
    const std::size_t least = (shape.leastMessage + unit - 1) / unit;
    for (const std::uint64_t units :
         zorvan::testing::smallerCounts(current.message.size() / unit, least)) {
        addVariant(cases, current, [&](Case& shorter) {
            shorter.message = current.message.take(units * unit);
            shorter.chunks = chunksOfPrefix(current.chunks, shorter.message.size());
        });
    }
}

void addSimplerChunkings(const Case& current, std::vector<Case>& cases) {
    if (current.chunks.size() < 2) {
        return;
    }
    addVariant(cases, current, [&](Case& whole) { whole.chunks = {current.message.size()}; });
    for (std::size_t i = 0; current.chunks.size() > 2 && i + 1 < current.chunks.size(); ++i) {
        addVariant(cases, current, [&](Case& merged) {
            merged.chunks[i] += merged.chunks[i + 1];
            merged.chunks.erase(merged.chunks.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        });
    }
}

} // namespace

std::vector<std::size_t> boundaryLengths(const Shape& shape) {
    std::set<std::size_t> lengths{0, 1};
    for (const std::size_t edge : shape.edges) {
        for (const std::size_t multiple : {edge, 2 * edge}) {
            lengths.insert({multiple - 1, multiple, multiple + 1});
        }
        lengths.insert(3 * edge);
        if (shape.lengthFieldOctets != 0 && edge > shape.lengthFieldOctets) {
            // The last length whose padding still fits in the block (55 of 64), the first two
            // that need another block, and the same a block on.
            const std::size_t fits = edge - shape.lengthFieldOctets - 1;
            for (std::size_t offset = 0; offset < 3; ++offset) {
                lengths.insert({fits + offset, edge + fits + offset});
            }
        }
    }
    std::vector<std::size_t> kept;
    for (const std::size_t length : lengths) {
        const std::size_t rounded = length / shape.messageUnit * shape.messageUnit;
        if (rounded >= shape.leastMessage && rounded <= shape.mostMessage &&
            (kept.empty() || kept.back() != rounded)) {
            kept.push_back(rounded);
        }
    }
    return kept;
}

// Associated data takes the message's lengths, any octet count from none up.
Shape aadShapeOf(Shape shape) {
    shape.messageUnit = 1;
    shape.leastMessage = 0;
    return shape;
}

CaseDrawer::CaseDrawer(Shape shape)
    : shape_(std::move(shape)), aadShape_(aadShapeOf(shape_)),
      messageLengths_(boundaryLengths(shape_)), aadLengths_(boundaryLengths(aadShape_)) {}

Case CaseDrawer::operator()(Gen& gen) const {
    Case drawn;
    if (!shape_.keyLengths.empty()) {
        drawn.key = randomOctets(gen, pick(gen, shape_.keyLengths));
    }
    drawn.iv = drawIv(shape_.ivOctets, gen);
    if (shape_.withAad) {
        drawn.aad = randomOctets(gen, drawLength(aadShape_, aadLengths_, gen));
    }
    drawn.message = randomOctets(gen, drawLength(shape_, messageLengths_, gen));
    drawn.chunks = drawChunks(drawn.message.size(), gen);
    if (shape_.withOutputLength) {
        drawn.outputOctets = std::max<std::size_t>(1, drawLength(shape_, messageLengths_, gen));
    }
    return drawn;
}

Case drawCase(const Shape& shape, Gen& gen) {
    return CaseDrawer(shape)(gen);
}

std::vector<Case> smallerCases(const Shape& shape, const Case& current) {
    std::vector<Case> cases;
    addShorterMessages(shape, current, cases);
    addShiftedMessages(shape, current, cases);
    addSimplerChunkings(current, cases);
    for (const std::uint64_t length : zorvan::testing::smallerCounts(current.aad.size())) {
        addVariant(cases, current, [&](Case& shorter) { shorter.aad = current.aad.take(length); });
    }
    for (const std::uint64_t length : zorvan::testing::smallerCounts(current.outputOctets, 1)) {
        addVariant(cases, current, [&](Case& shorter) { shorter.outputOctets = length; });
    }
    if (shape.keyLengthShrinks) {
        for (const std::uint64_t length : zorvan::testing::smallerCounts(current.key.size())) {
            addVariant(cases, current,
                       [&](Case& shorter) { shorter.key = current.key.take(length); });
        }
    }
    addVariant(cases, current, [&](Case& zero) {
        zero.message = withZeroes(current.message, 0, current.message.size());
    });
    addVariant(cases, current,
               [&](Case& zero) { zero.aad = withZeroes(current.aad, 0, current.aad.size()); });
    for (Bytes& key : withFewerNonZeroOctets(current.key)) {
        addVariant(cases, current, [&](Case& simpler) { simpler.key = std::move(key); });
    }
    for (Bytes& iv : withFewerNonZeroOctets(current.iv)) {
        addVariant(cases, current, [&](Case& simpler) { simpler.iv = std::move(iv); });
    }
    return cases;
}

ShrunkCase shrinkCase(const Shape& shape, Case failing,
                      const std::function<bool(const Case&)>& fails, std::size_t attempts) {
    ShrunkCase shrunk{std::move(failing), 0};
    bool smaller = true;
    while (smaller) {
        smaller = false;
        for (Case& candidate : smallerCases(shape, shrunk.smallest)) {
            if (attempts == 0) {
                return shrunk;
            }
            --attempts;
            if (fails(candidate)) {
                shrunk.smallest = std::move(candidate);
                ++shrunk.steps;
                smaller = true;
                break;
            }
        }
    }
    return shrunk;
}

zorvan::LazyBytes lazyMessage(const Case& current) {
    std::vector<Bytes> chunks;
    std::size_t start = 0;
    for (const std::size_t chunk : current.chunks) {
        chunks.push_back(current.message.slice(start, chunk));
        start += chunk;
    }
    return zorvan::LazyBytes::fromChunks(std::move(chunks));
}

std::vector<zorvan::testing::DrawnArgument> describeCase(const Shape& shape, const Case& current,
                                                         const char* ivName) {
    std::vector<zorvan::testing::DrawnArgument> fields;
    if (!shape.keyLengths.empty()) {
        fields.push_back({"key", hexOf(current.key)});
    }
    if (shape.ivOctets != 0) {
        fields.push_back({ivName, hexOf(current.iv)});
    }
    if (shape.withAad) {
        fields.push_back({"associated data", hexOf(current.aad)});
    }
    fields.push_back({"message", hexOf(current.message)});
    std::string chunks;
    for (const std::size_t chunk : current.chunks) {
        // Appended, not concatenated: GCC 12 at -O3 takes "" + ... for an overlapping copy.
        if (!chunks.empty()) {
            chunks += ' ';
        }
        chunks += std::to_string(chunk);
    }
    fields.push_back({"chunk lengths", chunks.empty() ? "(none)" : chunks});
    if (shape.withOutputLength) {
        fields.push_back({"output octets", std::to_string(current.outputOctets)});
    }
    return fields;
}

} // namespace Test::Differential::detail
