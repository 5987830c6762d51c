#pragma once
// Test::AeadConformance: the laws of an authenticated cipher, for any zorvan::Aead type. Each
// law is named for what breaks when it fails: opening undoes sealing at every length around the
// block boundaries, with empty inputs, every nonce and tag length the type claims; any flipped
// bit of ciphertext, tag, associated data or nonce, and a truncated or extended tag, is refused;
// a refusal writes nothing into the caller's buffer; the chunked forms agree with one call; and
// for a GCM or CCM type over a block cipher, its own mode agrees with the generic one and GCM's
// counter wraps within its low 32 bits.

#include <Test/Crypto/AeadView.hpp>

#include <zorvan/aead.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::AeadConformance {

/// aeadConformanceTests: the laws' groups for the type in view. A law that does not apply to
/// the type (no chunked members, no block cipher of its own mode) is skipped with its reason
/// when it runs. Never fails beyond allocation; the laws fail when they run.
std::vector<zorvan::testing::Test>
aeadConformanceTests(const std::shared_ptr<const Crypto::AeadView>& aead);

/// knownAnswersThenLaws: the known-answer tests followed by aeadConformanceTests.
std::vector<zorvan::testing::Test>
knownAnswersThenLaws(std::vector<zorvan::testing::Test> knownAnswers,
                     const std::shared_ptr<const Crypto::AeadView>& aead);

/// makeAeadConformanceTests: aeadConformanceTests for the AEAD key type A.
template <zorvan::Aead A> std::vector<zorvan::testing::Test> makeAeadConformanceTests() {
    return aeadConformanceTests(Crypto::aeadView<A>());
}

template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeAeadConformanceTests(const A& /*witness*/) {
    return makeAeadConformanceTests<A>();
}

} // namespace Test::AeadConformance
