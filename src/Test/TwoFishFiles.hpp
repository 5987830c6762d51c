#pragma once
// The designers' Twofish vector files: each kind of file (known answers by variable key or
// text, the table, and the Monte Carlo files) read into vectors, and how a vector is computed.

#include <Test/Crypto/CipherView.hpp>
#include <Test/DataSource.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace Test::TwoFish {

/// The folder of the suite's files, under the data directory.
inline constexpr const char* katDirectory = "Test/KAT_TWOFISH";

/// monteCarloSteps: the chained operations behind each answer of the Monte Carlo files
/// (the inner loop of the designers' procedure).
inline constexpr std::size_t monteCarloSteps = 10000;

/// Operation: the cipher operation a vector is checked with.
using Operation = Crypto::ChainedOperation;

/// TwoFishVector: one record as a test, its KEY, IV, input and answer still hex, decoded when
/// the test is bound (the IV) or runs (the others), and where the record stands. input is PT
/// and answer CT when encrypting, the other way round when decrypting.
struct TwoFishVector {
    std::string name;
    Operation operation = Operation::ecbEncrypt;
    /// steps: 1 for a known answer, monteCarloSteps for a Monte Carlo record.
    std::size_t steps = 1;
    std::string keyHex;
    std::string inputHex;
    std::string answerHex;
    /// ivHex: the IV of a CBC vector.
    std::optional<std::string> ivHex;
    /// origin: where the record stands; vectors compare without it, by what their test does.
    zorvan::testing::VectorOrigin origin{};

    friend bool operator==(const TwoFishVector& left, const TwoFishVector& right) {
        return std::tie(left.name, left.operation, left.steps, left.keyHex, left.inputHex,
                        left.answerHex, left.ivHex) ==
               std::tie(right.name, right.operation, right.steps, right.keyHex, right.inputHex,
                        right.answerHex, right.ivHex);
    }
};

/// TwoFishRecord: one record of a file: its vector, or why it is damaged.
using TwoFishRecord = ReadRecord<TwoFishVector>;

/// refuseKey: throws IncompleteMatch with refusedKeyError, nesting (std::throw_with_nested) a
/// std::invalid_argument that gives the length of the key buildKey refused.
[[noreturn]] void refuseKey(std::size_t keyOctets);

/// folderRecords: the records of the folder's files, each file's kind chosen by its stem, in
/// file and record order. Throws IncompleteMatch with unknownStemError when a file's stem is
/// none of the suite's and the file holds a record.
std::vector<TwoFishRecord> folderRecords(const KatFiles::Folder& folder);

/// readFolder: the suite's folder as the source holds it. Throws as KatFiles::readFolder does.
KatFiles::Folder readFolder(const DataSource& source);

/// computeVector: the vector's operation applied `steps` times to its input under the key,
/// chained as the designers' Monte Carlo procedure does (one step is the plain operation), each
/// next IV read as the key's IV type reads it; iv is used by the CBC operations only. Throws what
/// the cipher throws, and std::bad_optional_access when a CBC output is too short to serve as the
/// next IV.
zorvan::Bytes computeVector(const Crypto::KeyView& key, const std::optional<zorvan::Bytes>& iv,
                            Operation operation, std::size_t steps, zorvan::Bytes input);

} // namespace Test::TwoFish
