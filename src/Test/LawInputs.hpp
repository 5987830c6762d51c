#pragma once
// The fixed inputs of the conformance laws: the message lengths and cut points of the exhaustive
// hash laws and the IVs of the counter-carry law; and the messages and chunkings the laws of
// every kind of primitive draw.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/property.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Test::Conformance {

/// boundaryLengths: the message lengths the exhaustive hash laws use for a block of
/// blockOctets octets: 0 to 3 blocks plus one, each block boundary with its neighbours and the
/// lengths at which the padding no longer fits the last block, in increasing order.
std::vector<std::size_t> boundaryLengths(std::size_t blockOctets);
/// cutPoints: the offsets within a message of `length` octets at which the three-way splits
/// cut: both ends and each block boundary with its neighbours, in increasing order.
std::vector<std::size_t> cutPoints(std::size_t length, std::size_t blockOctets);
/// carryIvs: IVs of blockOctets octets at counter carry points (low 32 bits all ones, low 64
/// bits all ones, all ones), each with a varied upper part; fewer for blocks under 8 octets.
std::vector<zorvan::Bytes> carryIvs(std::size_t blockOctets);

/// patterned: a fixed message of `length` octets whose octets differ from their neighbours and
/// from other salts' messages.
zorvan::Bytes patterned(std::size_t length, std::uint8_t salt);
/// drawBytes: `length` random octets.
zorvan::Bytes drawBytes(zorvan::testing::Gen& gen, std::size_t length);
/// randomCuts: the cut points of a random chunking of `length` octets into pieces of 0 to 2
/// blocks, so that empty pieces and pieces crossing block boundaries both come up.
std::vector<std::size_t> randomCuts(zorvan::testing::Gen& gen, std::size_t length,
                                    std::size_t blockOctets);
/// chunked: the message cut at the cut points (equal neighbours give no chunk).
zorvan::LazyBytes chunked(const zorvan::Bytes& message, const std::vector<std::size_t>& cuts);

} // namespace Test::Conformance
