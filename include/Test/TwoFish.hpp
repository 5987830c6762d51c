#pragma once
// Test::TwoFish: the Twofish suite, one unit test per usable record of the designers' vector
// files in Test/KAT_TWOFISH, then the two block-cipher property groups.

#include <Test/Crypto.hpp>
#include <Test/Crypto/CipherView.hpp>
#include <Test/Crypto/hex.hpp>
#include <Test/IncompleteMatch.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordLedger.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstddef>
#include <memory>
#include <optional>
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
using Operation = Crypto::ChainedOperation;

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

/// computeVector: the vector's operation applied `steps` times to its input under the key,
/// chained as the designers' Monte Carlo procedure does (one step is the plain operation), each
/// next IV read as the key's IV type reads it; iv is used by the CBC operations only. Throws what
/// the cipher throws, and std::bad_optional_access when a CBC output is too short to serve as the
/// next IV.
zorvan::Bytes computeVector(const Crypto::KeyView& key, const std::optional<zorvan::Bytes>& iv,
                            Operation operation, std::size_t steps, zorvan::Bytes input);

/// twoFishTests: the Twofish suite for the cipher's view: a unit test per usable record of
/// Test/KAT_TWOFISH, named after its file's kind and its I, then the two block-cipher property
/// groups. A CBC record whose IV the cipher cannot read gives no test. Building throws what
/// twoFishVectors throws. When a test runs, a key that the cipher refuses fails it as
/// refuseKey does, malformed hex with HexDecodingError, and a wrong result through
/// assertKnownAnswer with the test name as message.
std::vector<zorvan::testing::Test> twoFishTests(std::shared_ptr<const Crypto::CipherView> cipher);

/// makeTwoFishTests: twoFishTests for key type K (the witness only selects it).
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeTwoFishTests() {
    return twoFishTests(Crypto::cipherView<K>());
}

/// makeTwoFishTests: the same, with K taken from the witness, whose value is never read.
/// Reports errors as the overload without argument does.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeTwoFishTests(const K& /*witness*/) {
    return makeTwoFishTests<K>();
}

} // namespace Test::TwoFish
