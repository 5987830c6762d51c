#pragma once
// The cases of the differential suites: what a case holds, how one is drawn with lengths that
// hit the boundaries implementations get wrong, and the smaller cases a disagreement is shrunk
// through.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/outcome.hpp>
#include <zorvan/testing/property.hpp>

#include <cstddef>
#include <functional>
#include <vector>

namespace Test::Differential::detail {

/// Case: one input on which two types are compared. Fields a primitive has no use for stay
/// empty (a hash has no key; only an AEAD has associated data).
struct Case {
    /// key: the key octets (an HMAC key of any length, a cipher key of the type's length).
    zorvan::Bytes key;
    /// iv: the IV, nonce or tweak.
    zorvan::Bytes iv;
    /// aad: an AEAD's associated data.
    zorvan::Bytes aad;
    /// message: the message, plaintext or data unit.
    zorvan::Bytes message;
    /// chunks: the lengths of the message's chunks in order, none 0, adding up to its length.
    std::vector<std::size_t> chunks;
    /// outputOctets: the octets an XOF squeezes; 0 for the other primitives.
    std::size_t outputOctets = 0;

    /// operator==: every field equal.
    friend bool operator==(const Case&, const Case&) = default;
};

/// Shape: what a primitive's cases look like. Lengths are in octets.
struct Shape {
    /// keyLengths: the key lengths a case may draw; empty for no key.
    std::vector<std::size_t> keyLengths;
    /// keyLengthShrinks: whether shrinking may shorten the key (an HMAC key).
    bool keyLengthShrinks = false;
    /// ivOctets: the IV, nonce or tweak length; 0 for none.
    std::size_t ivOctets = 0;
    /// counterIv: whether the IV is a block counter (CTR), so that a shrunk case may start it
    /// later on a shorter message.
    bool counterIv = false;
    /// edges: the block sizes and rates whose neighbourhoods the lengths hit.
    std::vector<std::size_t> edges;
    /// lengthFieldOctets: a Merkle-Damgard hash's length field, whose padding edge (where the
    /// field no longer fits in the last block) the lengths hit; 0 for none.
    std::size_t lengthFieldOctets = 0;
    /// messageUnit: message lengths are multiples of it (a block for ECB and CBC).
    std::size_t messageUnit = 1;
    /// leastMessage, mostMessage: the range of message lengths.
    std::size_t leastMessage = 0;
    /// mostMessage: see leastMessage.
    std::size_t mostMessage = 0;
    /// withAad: whether a case draws associated data (from the message's lengths).
    bool withAad = false;
    /// withOutputLength: whether a case draws an XOF output length (from the message's lengths,
    /// at least 1).
    bool withOutputLength = false;
};

/// boundaryLengths: the message lengths the shape's cases favour, in increasing order, each a
/// multiple of the unit within the range: 0 and 1, each edge and twice it with their
/// neighbours, three times it, and the padding edge and its neighbours in the first two
/// blocks. Never fails beyond allocation.
std::vector<std::size_t> boundaryLengths(const Shape& shape);

/// CaseDrawer: draws the cases of a shape, its boundary lengths worked out once.
class CaseDrawer {
public:
    /// CaseDrawer: a drawer of the shape's cases.
    explicit CaseDrawer(Shape shape);
    /// shape: the shape drawn.
    [[nodiscard]] const Shape& shape() const noexcept { return shape_; }
    /// operator(): a case of the shape from gen: three lengths in four from boundaryLengths, the
    /// rest uniform in the range; random octets, with half of the IVs ending in a run of ff
    /// octets just short of a counter carry; one chunk in four cases, otherwise up to four.
    Case operator()(zorvan::testing::Gen& gen) const;

private:
    Shape shape_;
    Shape aadShape_;
    std::vector<std::size_t> messageLengths_;
    std::vector<std::size_t> aadLengths_;
};

/// drawCase: CaseDrawer(shape)(gen).
Case drawCase(const Shape& shape, zorvan::testing::Gen& gen);

/// smallerCases: the cases one shrinking step may take, the simplest first: shorter messages
/// (prefixes, and prefixes whole edges shorter; for a counter IV, the message without its first
/// blocks and the counter started that many blocks on), one chunk or two chunks merged, shorter
/// associated data, output and key where the shape allows it, then an all-zero message, and keys
/// and IVs with fewer non-zero octets. None is the case itself.
std::vector<Case> smallerCases(const Shape& shape, const Case& current);

/// ShrunkCase: the smallest case shrinking reached and how many steps (smaller cases that still
/// failed) it took.
struct ShrunkCase {
    /// smallest: the last case that still failed.
    Case smallest;
    /// steps: how many times a smaller case was taken.
    std::size_t steps = 0;
};

/// shrinkCase: takes the first of smallerCases that still fails, again and again, until none
/// does or `attempts` calls of fails were spent. Throws what fails throws.
ShrunkCase shrinkCase(const Shape& shape, Case failing,
                      const std::function<bool(const Case&)>& fails, std::size_t attempts);

/// lazyMessage: the message cut into the case's chunks.
zorvan::LazyBytes lazyMessage(const Case& current);

/// describeCase: the case's fields as a report shows them, in hex, the chunk lengths as
/// numbers; fields the shape has no use for are left out.
std::vector<zorvan::testing::DrawnArgument> describeCase(const Shape& shape, const Case& current,
                                                         const char* ivName);

} // namespace Test::Differential::detail
