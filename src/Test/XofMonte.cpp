#include <Test/XOF.hpp>

#include <Test/KatFiles.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>
#include <Test/ShaVectors.hpp>
#include <Test/VectorCases.hpp>
#include <Test/XofFiles.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace Test::XOF {

namespace {

constexpr std::string_view seedField = "Msg";
constexpr std::string_view minimumProperty = "Minimum Output Length (bits)";
constexpr std::string_view maximumProperty = "Maximum Output Length (bits)";
// The fields of one checkpoint, in the order they stand.
constexpr std::array<std::string_view, 3> checkpointFields{countField, outputLengthField,
                                                           outputField};
constexpr std::size_t stepsPerCheckpoint = 1000;
// Each step's message: the first 16 octets of the output before it.
constexpr std::size_t messageOctets = 16;

// The lengths a chain squeezes, from its section's header, in bits until the test runs.
struct OutputLengths {
    std::string minimum;
    std::string maximum;
};

// ShakeCheckpoint: one COUNT, Outputlen and Output as a test: the output the chain starts from
// (the file's Msg for the first, which also starts at the maximum length), and what it ends at.
struct ShakeCheckpoint {
    std::string name;
    std::string seedHex;
    bool first;
    OutputLengths lengths;
    std::string outputLength;
    std::string output;
    zorvan::testing::VectorOrigin origin;
};

std::size_t lengthOctets(const zorvan::testing::VectorOrigin& origin, std::string_view property,
                         const std::string& bits) {
    const std::int64_t value = KatValues::integerField(origin, property, bits);
    if (value <= 0 || value % 8 != 0) {
        // Appended, not concatenated: GCC 12 at -O3 takes "[" + ... for an overlapping copy.
        std::string stated = "[";
        stated.append(property).append(" = ").append(bits).append(
            "] is not a whole number of octets");
        KatValues::disagree(origin, stated);
    }
    return static_cast<std::size_t>(value / 8);
}

// The chain: each step squeezes the length in force from the first 16 octets of the output
// before (zero-padded), and the last two octets of its output, read big-endian, pick the next
// length between the minimum and the maximum.
class ShakeChain {
public:
    explicit ShakeChain(const ShakeCheckpoint& checkpoint)
        : minimum_(lengthOctets(checkpoint.origin, minimumProperty, checkpoint.lengths.minimum)),
          maximum_(lengthOctets(checkpoint.origin, maximumProperty, checkpoint.lengths.maximum)),
          output_(KatValues::hexField(checkpoint.origin, checkpoint.first ? seedField : outputField,
                                      checkpoint.seedHex)),
          length_(checkpoint.first ? maximum_ : nextLength()) {
        if (minimum_ > maximum_) {
            KatValues::disagree(checkpoint.origin,
                                "the minimum output length is above the maximum");
        }
    }

    zorvan::Bytes run(const Crypto::XofView& xof) {
        for (std::size_t step = 0; step < stepsPerCheckpoint; ++step) {
            const zorvan::Bytes message =
                zorvan::Bytes::create(messageOctets, [this](std::span<std::uint8_t> octets) {
                    std::ranges::fill(octets, 0);
                    zorvan::detail::copyOctets(
                        output_.view().first(std::min(messageOctets, output_.size())),
                        octets.data());
                });
            output_ = xof.output(message, length_);
            length_ = nextLength();
        }
        return output_;
    }

private:
    [[nodiscard]] std::size_t nextLength() const {
        const std::size_t size = output_.size();
        const std::size_t last16Bits = (size > 1 ? std::size_t{output_[size - 2]} << 8 : 0) +
                                       (size > 0 ? output_[size - 1] : 0);
        return minimum_ + last16Bits % (maximum_ - minimum_ + 1);
    }

    std::size_t minimum_;
    std::size_t maximum_;
    zorvan::Bytes output_;
    std::size_t length_;
};

struct BrokenChain {
    std::size_t line;
    std::string why;
};

// The checkpoints of one record (Msg, then COUNT, Outputlen and Output again and again), up to
// where the fields leave that order.
std::optional<BrokenChain> recordCheckpoints(std::vector<ShakeCheckpoint>& checkpoints,
                                             std::string_view label, const std::string& file,
                                             const OutputLengths& lengths,
                                             const ParseNistKATs::KatRecord& record) {
    std::string seed = record.fields.front().value;
    bool first = true;
    std::array<const ParseNistKATs::KatField*, checkpointFields.size()> fields{};
    std::size_t next = 0;
    for (auto field = record.fields.begin() + 1; field != record.fields.end(); ++field) {
        if (field->name != checkpointFields[next]) {
            const bool known =
                std::ranges::find(checkpointFields, field->name) != checkpointFields.end();
            return BrokenChain{field->line, known ? field->name + " where " +
                                                        std::string(checkpointFields[next]) +
                                                        " should stand"
                                                  : "unknown field: " + field->name};
        }
        fields[next++] = &*field;
        if (next < fields.size()) {
            continue;
        }
        next = 0;
        const ParseNistKATs::KatField& count = *fields[0];
        std::vector<zorvan::testing::VectorField> origin;
        origin.reserve(fields.size());
        for (const ParseNistKATs::KatField* each : fields) {
            origin.push_back({each->name, each->value});
        }
        checkpoints.push_back({"Nist" + std::string(label) + "Monte-" + count.value, seed, first,
                               lengths, fields[1]->value, fields[2]->value,
                               zorvan::testing::VectorOrigin{.file = file,
                                                             .line = count.line,
                                                             .number = checkpoints.size() + 1,
                                                             .fields = std::move(origin)}});
        seed = fields[2]->value;
        first = false;
    }
    if (next != 0) {
        return BrokenChain{fields[0]->line, "a COUNT without its Outputlen and Output"};
    }
    return std::nullopt;
}

} // namespace

std::vector<zorvan::testing::Test>
shakeMonteTests(const std::shared_ptr<const Crypto::XofView>& xof, Shake shake,
                const DataSource& source) {
    const std::string_view label = labelOf(shake);
    const std::array fileNames{std::string(label) + "Monte.rsp"};
    const KatFiles::Folder folder =
        SHA::readNamedFiles(source, monteDirectory, fileNames, seedField);
    const KatFiles::KatFile& file = folder.files.front();
    RecordTests records(source);
    records.beginFolder(folder);
    for (const ParseNistKATs::KatCategory& category : file.categories) {
        const auto minimum = category.property(minimumProperty);
        const auto maximum = category.property(maximumProperty);
        for (const ParseNistKATs::KatRecord& record : category.records) {
            const RecordLedger::RecordPlace place{folder.directory, file.name, record.line()};
            if (!minimum || !maximum) {
                records.fail(place, "a section without [" + std::string(minimumProperty) +
                                        " = ...] and [" + std::string(maximumProperty) + " = ...]");
                continue;
            }
            std::vector<ShakeCheckpoint> checkpoints;
            const std::optional<BrokenChain> broken =
                recordCheckpoints(checkpoints, label, folder.directory + "/" + file.name,
                                  {std::string(*minimum), std::string(*maximum)}, record);
            for (ShakeCheckpoint& checkpoint : checkpoints) {
                records.add(vectorCase(std::move(checkpoint), [xof](const ShakeCheckpoint& each) {
                    zorvan::testing::assertKnownAnswer(
                        each.name, ShakeChain(each).run(*xof),
                        knownOutput(each.origin, each.outputLength, each.output), each.origin);
                }));
            }
            if (broken) {
                records.fail({folder.directory, file.name, broken->line},
                             broken->why + ": the checkpoints after it cannot be seeded");
            }
        }
    }
    records.endFolder();
    return std::move(records).take();
}

} // namespace Test::XOF
