#pragma once
// Test::TwoFish: the Twofish suite, one unit test per usable record of the designers' vector
// files in Test/KAT_TWOFISH, then the two block-cipher property groups.

#include <Test/Crypto.hpp>
#include <Test/Crypto/hex.hpp>
#include <Test/IncompleteMatch.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordLedger.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace Test::TwoFish {

/// The error of a file whose stem is none of the suite's and which holds a record.
inline constexpr const char* unknownStemError =
    "Test/TwoFish:(40,1)-(76,64)|function buildTestFunc";
/// The error of a test whose key the implementation's buildKey refuses.
inline constexpr const char* refusedKeyError = "Maybe.fromJust: Nothing";

/// monteCarloSteps: the chained operations behind each answer of the Monte Carlo files
/// (the inner loop of the designers' procedure).
inline constexpr std::size_t monteCarloSteps = 10000;

/// Operation: the cipher operation a vector is checked with.
enum class Operation { ecbEncrypt, ecbDecrypt, cbcEncrypt, cbcDecrypt };

/// TwoFishVector: one record as a test, its KEY, input and answer still hex, decoded when the
/// test runs, and where the record stands. input is PT and answer CT when encrypting, the other way
/// round when decrypting.
struct TwoFishVector {
    std::string name;
    Operation operation = Operation::ecbEncrypt;
    /// steps: 1 for a known answer, monteCarloSteps for a Monte Carlo record.
    std::size_t steps = 1;
    std::string keyHex;
    std::string inputHex;
    std::string answerHex;
    /// iv: the decoded IV octets of a CBC vector, still to be read by the cipher's IV type.
    std::optional<zorvan::Bytes> iv;
    /// origin: where the record stands; vectors compare without it, by what their test does.
    zorvan::testing::VectorOrigin origin{};

    friend bool operator==(const TwoFishVector& left, const TwoFishVector& right) {
        return std::tie(left.name, left.operation, left.steps, left.keyHex, left.inputHex,
                        left.answerHex,
                        left.iv) == std::tie(right.name, right.operation, right.steps, right.keyHex,
                                             right.inputHex, right.answerHex, right.iv);
    }
};

/// knownFields: the fields a record checked with the operation is read for: I, KEY, PT, CT and,
/// for CBC, IV. Never fails.
RecordLedger::FieldNames knownFields(Operation operation) noexcept;

/// refuseKey: throws IncompleteMatch with refusedKeyError, nesting (std::throw_with_nested) a
/// std::invalid_argument that gives the length of the key buildKey refused.
[[noreturn]] void refuseKey(std::size_t keyOctets);

/// The folder of the suite's files, under the data directory.
inline constexpr const char* katDirectory = "Test/KAT_TWOFISH";

/// fileVectors: the vectors of one parsed file of katDirectory, chosen by its stem, in record
/// order; a record lacking a field its kind needs gives none. Throws IncompleteMatch with
/// unknownStemError when the stem is none of the suite's and the file holds a record, and
/// HexDecodingError when an IV is not hex.
std::vector<TwoFishVector> fileVectors(const KatFiles::KatFile& file);

/// twoFishVectors: the vectors of every kept file of Test/KAT_TWOFISH, file after file in
/// listing order. Throws KatDirectoryError when the directory cannot be listed or a file
/// cannot be read, and what fileVectors throws.
std::vector<TwoFishVector> twoFishVectors();

namespace detail {

// ECB: each step encrypts (or decrypts) the previous step's output.
template <zorvan::BlockCipher K>
zorvan::Bytes iterateEcb(const K& key, bool decrypt, std::size_t steps, zorvan::Bytes block) {
    for (std::size_t step = 0; step < steps; ++step) {
        block = decrypt ? zorvan::unEcb(key, block) : zorvan::ecb(key, block);
    }
    return block;
}

// CBC encryption: the next plaintext is the chaining value just used, the next chaining value
// the ciphertext just made; the answer is the last ciphertext.
template <zorvan::BlockCipher K>
zorvan::Bytes iterateCbcEncryption(const K& key, zorvan::IV<K> chaining, std::size_t steps,
                                   zorvan::Bytes plaintext) {
    zorvan::Bytes chainingOctets = chaining.encode();
    for (std::size_t step = 0; step < steps; ++step) {
        zorvan::Bytes ciphertext = zorvan::cbc(key, chaining, plaintext).first;
        plaintext = std::move(chainingOctets);
        chaining = zorvan::IV<K>::get(ciphertext).value();
        chainingOctets = std::move(ciphertext);
    }
    return chainingOctets;
}

// CBC decryption: the next chaining value is the ciphertext just used, the next ciphertext
// the plaintext just made; the answer is the last plaintext.
template <zorvan::BlockCipher K>
zorvan::Bytes iterateCbcDecryption(const K& key, zorvan::IV<K> chaining, std::size_t steps,
                                   zorvan::Bytes ciphertext) {
    for (std::size_t step = 0; step < steps; ++step) {
        zorvan::Bytes plaintext = zorvan::unCbc(key, chaining, ciphertext).first;
        chaining = zorvan::IV<K>::get(std::move(ciphertext)).value();
        ciphertext = std::move(plaintext);
    }
    return ciphertext;
}

} // namespace detail

/// computeVector: the vector's operation applied `steps` times to its input under the key,
/// chained as the designers' Monte Carlo procedure does (one step is the plain operation);
/// iv is used by the CBC operations only. Throws what the cipher throws, and
/// std::bad_optional_access when a CBC output is too short to serve as the next IV.
template <zorvan::BlockCipher K>
zorvan::Bytes computeVector(const K& key, const std::optional<zorvan::IV<K>>& iv,
                            Operation operation, std::size_t steps, zorvan::Bytes input) {
    switch (operation) {
    case Operation::ecbEncrypt:
    case Operation::ecbDecrypt:
        return detail::iterateEcb(key, operation == Operation::ecbDecrypt, steps, std::move(input));
    case Operation::cbcEncrypt:
        return detail::iterateCbcEncryption(key, iv.value(), steps, std::move(input));
    case Operation::cbcDecrypt:
        return detail::iterateCbcDecryption(key, iv.value(), steps, std::move(input));
    }
    throw std::logic_error("computeVector: an operation without a case");
}

/// makeTwoFishTests: the Twofish suite for key type K (the witness only selects it): a unit
/// test per usable record of Test/KAT_TWOFISH, named after its file's kind and its I, then
/// the two block-cipher property groups. A CBC record whose IV K's IV type cannot read gives
/// no test. Building throws what twoFishVectors throws. When a test runs, a key that
/// buildKey refuses fails it as refuseKey does, malformed hex with
/// HexDecodingError, and a wrong result through assertEqual with the test name as message.
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeTwoFishTests() {
    std::vector<zorvan::testing::Test> tests;
    for (TwoFishVector& vector : twoFishVectors()) {
        std::optional<zorvan::IV<K>> iv;
        if (vector.iv) {
            iv = zorvan::IV<K>::get(*vector.iv);
            if (!iv) {
                RecordLedger::noteRefused(vector.origin, RecordLedger::DropReason::refusedIV,
                                          vector.iv->size());
                continue;
            }
        }
        RecordLedger::noteTest(vector.origin, knownFields(vector.operation));
        std::string name = vector.name;
        tests.push_back(zorvan::testing::testCase(
            std::move(name), [vector = std::move(vector), iv = std::move(iv)] {
                const zorvan::Bytes keyOctets = Crypto::hexStringToBS(vector.keyHex);
                zorvan::Bytes input = Crypto::hexStringToBS(vector.inputHex);
                const zorvan::Bytes answer = Crypto::hexStringToBS(vector.answerHex);
                const std::optional<K> key = K::buildKey(keyOctets);
                if (!key) {
                    refuseKey(keyOctets.size());
                }
                zorvan::testing::assertKnownAnswer(
                    vector.name,
                    computeVector(*key, iv, vector.operation, vector.steps, std::move(input)),
                    answer, vector.origin);
            }));
    }
    for (zorvan::testing::Test& property : Crypto::makeBlockCipherPropTests<K>()) {
        tests.push_back(std::move(property));
    }
    return tests;
}

/// makeTwoFishTests: the same, with K taken from the witness, whose value is never read.
/// Reports errors as the overload without argument does.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeTwoFishTests(const K& /*witness*/) {
    return makeTwoFishTests<K>();
}

} // namespace Test::TwoFish
