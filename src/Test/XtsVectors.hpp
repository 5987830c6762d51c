#pragma once
// XTS vectors from any reader (NIST's XTSGen files, Wycheproof's XTS tests), bound to XTS over the
// cipher under test: each becomes a test, a vector of another key size left to that size, or a
// failure.

#include <Test/Crypto/XtsView.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace Test::XTS {

/// XtsVector: one vector: its test's name, its key (both cipher keys), data unit and answer as
/// hex until the test runs, its tweak (16 octets, as XTS encrypts it), its direction, and where
/// it stands.
struct XtsVector {
    std::string name;
    std::string keyHex;
    zorvan::Bytes tweak;
    std::string inputHex;
    std::string answerHex;
    bool decrypt;
    zorvan::testing::VectorOrigin origin;
};

/// bindXtsVector: the vector's test for XTS over the cipher in view, whose algorithm has the
/// cipher key sizes keyOctets: the input must give the answer in the vector's direction, and the
/// answer the input in the other. Keys of another of keyOctets are left to that size; keys of
/// none of them, a tweak other than 16 octets, or a key of the type's own size that buildKey
/// refuses fail the suite. Throws Test::Crypto::HexDecodingError naming the place on a key that
/// is not hex.
void bindXtsVector(RecordTests& records, const std::shared_ptr<const Crypto::XtsView>& xts,
                   std::span<const std::size_t> keyOctets, XtsVector vector);

} // namespace Test::XTS
