#pragma once
// MAC vectors from any reader (NIST's CMAC files, Wycheproof's MAC tests), bound to the MAC under
// test: each becomes a test, a vector of another key size left to that size, or a failure.

#include <Test/Crypto/MacView.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace Test::CMAC {

/// MacResult: what a vector says of its tag: valid (the MAC gives it and verifyTag accepts it)
/// or invalid (verifyTag refuses it; a key of no size the algorithm has must be refused).
enum class MacResult { valid, invalid };

/// MacVector: one vector: its test's name, its key, message and tag as hex until the test runs
/// (a tag shorter than the MAC's is a truncated one), what it must give, and where it stands
/// (a reader keeps there what else the vector says, such as its comment and flags).
struct MacVector {
    std::string name;
    std::string keyHex;
    std::string messageHex;
    std::string tagHex;
    MacResult result;
    zorvan::testing::VectorOrigin origin;
};

/// bindMacVector: the vector's test for the MAC in view, whose algorithm has the key sizes
/// keyOctets. A key of the type's own size becomes a test: a valid vector's tag must be the
/// MAC's (whole and chunked message, compared over the tag's length) and verifyTag must accept
/// it; an invalid one's verifyTag must refuse. A key of another of keyOctets is left to that
/// size; a key of none of them is a test that buildKey refuses it when the vector is invalid,
/// and fails the suite when it is valid, as does a key of the type's own size that buildKey
/// refuses. Throws Test::Crypto::HexDecodingError naming the place on a key that is not hex.
void bindMacVector(RecordTests& records, const std::shared_ptr<const Crypto::MacView>& mac,
                   std::span<const std::size_t> keyOctets, MacVector vector);

} // namespace Test::CMAC
