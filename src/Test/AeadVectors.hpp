#pragma once
// The known answers of the AEAD suites, whatever file they come from (NIST's GCM and CCM
// response files, the ChaCha20-Poly1305 files, Wycheproof's JSON): one vector per record, bound
// to a type's view as one test, or accounted for as another variant or a failure.

#include <Test/Crypto/AeadView.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>

#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Test::AeadVectors {

/// Expectation: what a vector asks of the type.
enum class Expectation {
    sealAndOpen, // seal gives the ciphertext and tag, and open gives the plaintext back
    open,        // open gives the plaintext
    refuse,      // open refuses, writing nothing into the caller's buffer
    acceptable,  // open may refuse; when it does not, it gives the plaintext
};

/// AeadVector: one record as a reader gives it, its values hex. The plaintext is nothing where
/// the record gives none (a decryption that must fail). note is shown with a failure
/// (Wycheproof's flags and comment). Its test is named name, or when that is empty after the
/// file and number ("gcmDecrypt128.rsp-17"); test names it within a JSON file ("tgId=3,tcId=17")
/// where it fails or is left to another variant.
struct AeadVector {
    Expectation expectation = Expectation::sealAndOpen;
    std::string keyHex;
    std::string nonceHex;
    std::string aadHex;
    std::optional<std::string> plaintextHex;
    std::string ciphertextHex;
    std::string tagHex;
    std::string note;
    std::string file; // under the data root: "Test/KAT_GCM/gcmDecrypt128.rsp"
    std::size_t line = 0;
    std::size_t number = 0;
    std::string name{};
    std::string test{};
};

/// lengthDisagreement: why a record's stated length (lengthName = length, in bits when unitBits
/// is 1, in octets when 8) disagrees with the hex of fieldName ("IVlen = 96 bits, but IV holds
/// 64 bits"), or "" when it agrees or no length is stated. Never fails beyond allocation.
std::string lengthDisagreement(std::string_view lengthName, std::optional<std::string_view> length,
                               std::size_t unitBits, std::string_view fieldName,
                               const std::string& hex);

/// bindVector: the vector's test for the type in view, which keeps the vector's hex in one
/// string (zorvan-check holds a hundred thousand of them) and decodes it when it runs; or why
/// it gives none: a key of no size
/// of the algorithm, or a tag that is no whole number of octets, fails the suite; a key of
/// another size of the algorithm, or a nonce or tag length the type does not take, leaves the
/// vector to another type. The key is built when the test runs, which fails when buildKey
/// refuses it. Throws Test::Crypto::HexDecodingError naming the place and field on a key or
/// nonce that is not hex.
void bindVector(RecordTests& records, const std::shared_ptr<const Crypto::AeadView>& view,
                const Suites::Algorithm& algorithm, const AeadVector& vector);

} // namespace Test::AeadVectors
