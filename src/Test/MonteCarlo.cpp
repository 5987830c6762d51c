#include <Test/MonteCarlo.hpp>

#include "vector_cases.hpp"

#include <Test/NistHashFiles.hpp>
#include <Test/ParseNistKATs.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>

namespace Test::MonteCarlo {

namespace {

constexpr std::string_view countField = "COUNT";
constexpr std::string_view digestField = "MD";

struct AlgorithmRow {
    Algorithm algorithm;
    std::string_view label;
    Chaining chaining;
};

constexpr std::array<AlgorithmRow, 11> algorithms{{
    {Algorithm::sha1, "SHA1", Chaining::lastThreeDigests},
    {Algorithm::sha224, "SHA224", Chaining::lastThreeDigests},
    {Algorithm::sha256, "SHA256", Chaining::lastThreeDigests},
    {Algorithm::sha384, "SHA384", Chaining::lastThreeDigests},
    {Algorithm::sha512, "SHA512", Chaining::lastThreeDigests},
    {Algorithm::sha512_224, "SHA512_224", Chaining::lastThreeDigests},
    {Algorithm::sha512_256, "SHA512_256", Chaining::lastThreeDigests},
    {Algorithm::sha3_224, "SHA3_224", Chaining::lastDigest},
    {Algorithm::sha3_256, "SHA3_256", Chaining::lastDigest},
    {Algorithm::sha3_384, "SHA3_384", Chaining::lastDigest},
    {Algorithm::sha3_512, "SHA3_512", Chaining::lastDigest},
}};

const AlgorithmRow& rowOf(Algorithm algorithm) {
    const auto* row = std::ranges::find(algorithms, algorithm, &AlgorithmRow::algorithm);
    if (row == algorithms.end()) {
        throw std::invalid_argument("Monte Carlo hashing: no algorithm numbered " +
                                    std::to_string(static_cast<int>(algorithm)));
    }
    return *row;
}

// The checkpoints of one section's record, numbered on from found's last.
void recordCheckpoints(std::string_view label, std::string_view file,
                       const ParseNistKATs::KatRecord& record, std::vector<Checkpoint>& found) {
    std::string seed(record.fields.front().value);
    const ParseNistKATs::KatField* count = nullptr;
    for (const ParseNistKATs::KatField& field : record.fields) {
        if (field.name == countField) {
            if (count != nullptr) {
                break; // a COUNT without its MD: the seeds after it are unknown
            }
            count = &field;
        } else if (field.name == digestField && count != nullptr) {
            found.push_back({"Nist" + std::string(label) + "Monte-" + count->value, seed,
                             field.value,
                             zorvan::testing::VectorOrigin{
                                 .file = std::string(file),
                                 .line = count->line,
                                 .number = found.size() + 1,
                                 .fields = {{count->name, count->value}, {field.name, field.value}},
                             }});
            seed = field.value;
            count = nullptr;
        }
    }
}

} // namespace

Chaining chainingOf(Algorithm algorithm) {
    return rowOf(algorithm).chaining;
}

std::string_view labelOf(Algorithm algorithm) {
    return rowOf(algorithm).label;
}

std::vector<Checkpoint> checkpoints(std::string_view label,
                                    std::span<const ParseNistKATs::KatCategory> categories,
                                    std::string_view file) {
    std::vector<Checkpoint> found;
    for (const ParseNistKATs::KatCategory& category : categories) {
        for (const ParseNistKATs::KatRecord& record : category.records) {
            recordCheckpoints(label, file, record, found);
        }
    }
    return found;
}

std::vector<Checkpoint> readCheckpoints(Algorithm algorithm) {
    const std::string_view label = labelOf(algorithm);
    const std::array fileNames{std::string(label) + "Monte.rsp"};
    return checkpoints(
        label, NistHashFiles::readNamedFiles(katDirectory, seedField, fileNames).front().categories,
        std::string(katDirectory) + "/" + fileNames.front());
}

zorvan::Bytes chainDigests(const Crypto::HashView& hash, Chaining chaining, zorvan::Bytes seed) {
    if (chaining == Chaining::lastDigest) {
        for (std::size_t step = 0; step < digestsPerCheckpoint; ++step) {
            seed = hash.digestOctets(seed);
        }
        return seed;
    }
    zorvan::Bytes oldest = seed;
    zorvan::Bytes middle = seed;
    zorvan::Bytes newest = std::move(seed);
    // Fed as three pieces of one message: concatenating would cost two copies a step.
    const std::array<const zorvan::Bytes*, 3> pieces{&oldest, &middle, &newest};
    const auto feedPieces = [&pieces](const Crypto::HashView::PieceSink& sink) {
        for (const zorvan::Bytes* piece : pieces) {
            sink(piece->view());
        }
    };
    for (std::size_t step = 0; step < digestsPerCheckpoint; ++step) {
        zorvan::Bytes next = hash.fedDigestOctets(feedPieces);
        oldest = std::move(middle);
        middle = std::move(newest);
        newest = std::move(next);
    }
    return newest;
}

std::vector<zorvan::testing::Test>
monteCarloTests(const std::shared_ptr<const Crypto::HashView>& hash, Algorithm algorithm) {
    const Chaining chaining = chainingOf(algorithm);
    return vectorCases(readCheckpoints(algorithm), [hash, chaining](const Checkpoint& checkpoint) {
        zorvan::testing::assertKnownAnswer(
            checkpoint.name,
            chainDigests(*hash, chaining, Crypto::hexStringToBS(checkpoint.seedHex)),
            Crypto::hexStringToBS(checkpoint.digestHex), checkpoint.origin);
    });
}

} // namespace Test::MonteCarlo
