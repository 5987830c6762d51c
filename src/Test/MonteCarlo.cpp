#include <Test/MonteCarlo.hpp>

#include <Test/KatFiles.hpp>
#include <Test/KatValues.hpp>
#include <Test/MonteCarloFiles.hpp>
#include <Test/RecordTests.hpp>
#include <Test/ShaVectors.hpp>
#include <Test/VectorCases.hpp>

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

// The checkpoints of one section's record, numbered on from `before`, up to where the fields
// leave the COUNT, MD order.
SectionCheckpoints recordCheckpoints(std::string_view label, std::string_view file,
                                     const ParseNistKATs::KatRecord& record, std::size_t before) {
    SectionCheckpoints section;
    std::string seed(record.fields.front().value);
    const ParseNistKATs::KatField* count = nullptr;
    const auto breakAt = [&](const ParseNistKATs::KatField& field, std::string why) {
        section.broken = BrokenChain{field.line, std::move(why)};
    };
    for (auto field = record.fields.begin() + 1; field != record.fields.end() && !section.broken;
         ++field) {
        if (field->name == countField && count == nullptr) {
            count = &*field;
        } else if (field->name == digestField && count != nullptr) {
            section.checkpoints.push_back(
                {"Nist" + std::string(label) + "Monte-" + count->value, seed, field->value,
                 zorvan::testing::VectorOrigin{
                     .file = std::string(file),
                     .line = count->line,
                     .number = before + section.checkpoints.size() + 1,
                     .fields = {{count->name, count->value}, {field->name, field->value}},
                 }});
            seed = field->value;
            count = nullptr;
        } else if (field->name == countField || field->name == digestField) {
            breakAt(*field, field->name == countField ? "a COUNT where its MD should stand"
                                                      : "an MD without its COUNT");
        } else {
            breakAt(*field, "unknown field: " + field->name);
        }
    }
    if (!section.broken && count != nullptr) {
        breakAt(*count, "a COUNT without its MD");
    }
    return section;
}

} // namespace

Chaining chainingOf(Algorithm algorithm) {
    return rowOf(algorithm).chaining;
}

std::string_view labelOf(Algorithm algorithm) {
    return rowOf(algorithm).label;
}

std::vector<SectionCheckpoints> checkpoints(std::string_view label,
                                            std::span<const ParseNistKATs::KatCategory> categories,
                                            std::string_view file) {
    std::vector<SectionCheckpoints> sections;
    std::size_t before = 0;
    for (const ParseNistKATs::KatCategory& category : categories) {
        for (const ParseNistKATs::KatRecord& record : category.records) {
            sections.push_back(recordCheckpoints(label, file, record, before));
            before += sections.back().checkpoints.size();
        }
    }
    return sections;
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
monteCarloTests(const std::shared_ptr<const Crypto::HashView>& hash, Algorithm algorithm,
                const DataSource& source) {
    const Chaining chaining = chainingOf(algorithm);
    const std::string_view label = labelOf(algorithm);
    const std::array fileNames{std::string(label) + "Monte.rsp"};
    const KatFiles::Folder folder = SHA::readNamedFiles(source, katDirectory, fileNames, seedField);
    const KatFiles::KatFile& file = folder.files.front();
    RecordTests records(source);
    records.beginFolder(folder);
    for (SectionCheckpoints& section :
         checkpoints(label, file.categories, std::string(katDirectory) + "/" + file.name)) {
        for (Checkpoint& checkpoint : section.checkpoints) {
            records.add(vectorCase(std::move(checkpoint), [hash, chaining](const Checkpoint& each) {
                zorvan::testing::assertKnownAnswer(
                    each.name,
                    chainDigests(*hash, chaining,
                                 KatValues::hexField(each.origin, "Seed", each.seedHex)),
                    KatValues::hexField(each.origin, digestField, each.digestHex), each.origin);
            }));
        }
        if (section.broken) {
            records.fail({folder.directory, file.name, section.broken->line},
                         section.broken->why + ": the checkpoints after it cannot be seeded");
        }
    }
    records.endFolder();
    return std::move(records).take();
}

} // namespace Test::MonteCarlo
