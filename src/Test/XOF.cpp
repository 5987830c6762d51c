#include <Test/XOF.hpp>

#include <Test/HashSweepFiles.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatRecords.hpp>
#include <Test/KatValues.hpp>
#include <Test/LawInputs.hpp>
#include <Test/RecordTests.hpp>
#include <Test/ShaVectors.hpp>
#include <Test/VectorCases.hpp>
#include <Test/XofFiles.hpp>

#include <zorvan/testing/assertion.hpp>

#include <array>
#include <stdexcept>
#include <string>
#include <variant>

namespace Test::XOF {

namespace {

constexpr std::string_view lengthField = "Len";
constexpr std::string_view messageField = "Msg";
constexpr std::string_view inputLengthProperty = "Input Length";
constexpr std::array<std::string_view, 3> messageFileFields{lengthField, messageField, outputField};
constexpr std::array<std::string_view, 4> variableOutFields{countField, outputLengthField,
                                                            messageField, outputField};
constexpr std::array<std::string_view, 3> sweepFields{lengthField, outputLengthField, outputField};

// How a record gives its message.
enum class MessageForm {
    lengthAndHex,       // Len in bits and Msg, as the SHA message files (Len = 0 with Msg = 00)
    hexOfSectionLength, // Msg, as long as the section's [Input Length = ...] says
    pattern,            // Len in bits of the sweeps' pattern, octet i being i mod 251
};

// XofVector: one record as a test, its texts as they stand until the test runs.
struct XofVector {
    std::string name;
    MessageForm form;
    std::string length;       // the message's length in bits
    std::string message;      // hex; empty for a pattern
    std::string outputLength; // bits
    std::string output;       // hex
    bool everyPrefix;         // also squeeze every shorter length
    zorvan::testing::VectorOrigin origin;
};

zorvan::Bytes messageOf(const XofVector& vector) {
    switch (vector.form) {
    case MessageForm::lengthAndHex:
        return SHA::decode({vector.name, vector.length, vector.message, {}, vector.origin}).message;
    case MessageForm::hexOfSectionLength: {
        zorvan::Bytes message = KatValues::hexField(vector.origin, messageField, vector.message);
        const std::int64_t bits =
            KatValues::integerField(vector.origin, inputLengthProperty, vector.length);
        if (bits < 0 || static_cast<std::uint64_t>(bits) != 8 * message.size()) {
            KatValues::disagree(vector.origin, "[Input Length = " + vector.length +
                                                   "] bits, but Msg holds " +
                                                   std::to_string(message.size()) + " octets");
        }
        return message;
    }
    case MessageForm::pattern:
        return HashSweep::patternMessage(static_cast<std::size_t>(
            HashSweep::messageOctets({vector.name, vector.length, {}, vector.origin})));
    }
    throw std::logic_error("an XOF vector of no message form");
}

zorvan::testing::Test xofTest(std::shared_ptr<const Crypto::XofView> xof, XofVector vector) {
    return vectorCase(std::move(vector), [xof = std::move(xof)](const XofVector& each) {
        const zorvan::Bytes message = messageOf(each);
        const zorvan::Bytes known = knownOutput(each.origin, each.outputLength, each.output);
        const std::size_t length = known.size();
        zorvan::testing::assertKnownAnswer(
            each.name,
            std::pair(xof->output(message, length),
                      xof->output(KatValues::chunkMessage(message), length)),
            std::pair(known, known), each.origin);
        for (std::size_t prefix = 0; each.everyPrefix && prefix < length; ++prefix) {
            zorvan::testing::assertKnownAnswer(
                each.name + ": " + Conformance::octets(prefix) + " squeezed",
                xof->output(message, prefix), known.take(prefix), each.origin);
        }
    });
}

// Reads the named files of a folder into tests, each complete record handed to vectorOf(file,
// category, record, number), which gives its vector or why the record fails.
template <class VectorOf>
void folderTests(RecordTests& records, const std::shared_ptr<const Crypto::XofView>& xof,
                 const KatFiles::Folder& folder, FieldNames fields, VectorOf vectorOf) {
    records.beginFolder(folder);
    KatFiles::forEachRecord(
        folder, [&](const KatFiles::KatFile& file, const ParseNistKATs::KatCategory& category,
                    const ParseNistKATs::KatRecord& record, std::size_t number) {
            const RecordLedger::RecordPlace place{folder.directory, file.name, record.line()};
            std::string damage = recordDamage(record, fields, fields);
            if (!damage.empty()) {
                return records.fail(place, damage);
            }
            std::variant<XofVector, std::string> read = vectorOf(file, category, record, number);
            if (auto* why = std::get_if<std::string>(&read)) {
                return records.fail(place, *why);
            }
            records.add(xofTest(xof, std::move(std::get<XofVector>(read))));
        });
    records.endFolder();
}

std::string field(const ParseNistKATs::KatRecord& record, std::string_view name) {
    return std::string(*record.field(name));
}

zorvan::testing::VectorOrigin originOf(const KatFiles::Folder& folder,
                                       const KatFiles::KatFile& file,
                                       const ParseNistKATs::KatRecord& record, std::size_t number) {
    return KatOrigin::recordOrigin(folder.directory, file.name, record, number);
}

std::string sectionWithout(std::string_view property) {
    return "a section without [" + std::string(property) + " = ...]";
}

void messageFileTests(RecordTests& records, const std::shared_ptr<const Crypto::XofView>& xof,
                      const DataSource& source, std::string_view label) {
    const KatFiles::Folder folder =
        SHA::readNamedFiles(source, katDirectory, SHA::messageFileNames(label), lengthField);
    std::size_t tests = 0;
    folderTests(records, xof, folder, messageFileFields,
                [&](const KatFiles::KatFile& file, const ParseNistKATs::KatCategory& category,
                    const ParseNistKATs::KatRecord& record,
                    std::size_t number) -> std::variant<XofVector, std::string> {
                    const auto outputLength = category.property(outputLengthField);
                    if (!outputLength) {
                        return sectionWithout(outputLengthField);
                    }
                    return XofVector{"Nist" + std::string(label) + "-" + std::to_string(++tests),
                                     MessageForm::lengthAndHex,
                                     field(record, lengthField),
                                     field(record, messageField),
                                     std::string(*outputLength),
                                     field(record, outputField),
                                     false,
                                     originOf(folder, file, record, number)};
                });
}

void variableOutTests(RecordTests& records, const std::shared_ptr<const Crypto::XofView>& xof,
                      const DataSource& source, std::string_view label) {
    const std::array fileNames{std::string(label) + "VariableOut.rsp"};
    const KatFiles::Folder folder =
        SHA::readNamedFiles(source, variableOutDirectory, fileNames, countField);
    folderTests(records, xof, folder, variableOutFields,
                [&](const KatFiles::KatFile& file, const ParseNistKATs::KatCategory& category,
                    const ParseNistKATs::KatRecord& record,
                    std::size_t number) -> std::variant<XofVector, std::string> {
                    const auto inputLength = category.property(inputLengthProperty);
                    if (!inputLength) {
                        return sectionWithout(inputLengthProperty);
                    }
                    return XofVector{"Nist" + std::string(label) + "VariableOut-" +
                                         field(record, countField),
                                     MessageForm::hexOfSectionLength,
                                     std::string(*inputLength),
                                     field(record, messageField),
                                     field(record, outputLengthField),
                                     field(record, outputField),
                                     false,
                                     originOf(folder, file, record, number)};
                });
}

} // namespace

zorvan::Bytes knownOutput(const zorvan::testing::VectorOrigin& origin,
                          const std::string& outputLength, const std::string& output) {
    zorvan::Bytes known = KatValues::hexField(origin, outputField, output);
    const std::int64_t bits = KatValues::integerField(origin, outputLengthField, outputLength);
    if (bits < 0 || static_cast<std::uint64_t>(bits) != 8 * known.size()) {
        KatValues::disagree(origin, std::string(outputLengthField) + " = " + outputLength +
                                        " bits, but Output holds " + std::to_string(known.size()) +
                                        " octets");
    }
    return known;
}

std::string_view labelOf(Shake shake) {
    switch (shake) {
    case Shake::shake128:
        return "SHAKE128";
    case Shake::shake256:
        return "SHAKE256";
    }
    throw std::invalid_argument("no SHAKE function numbered " +
                                std::to_string(static_cast<int>(shake)));
}

std::vector<zorvan::testing::Test> shakeTests(const std::shared_ptr<const Crypto::XofView>& xof,
                                              Shake shake, const DataSource& source) {
    const std::string_view label = labelOf(shake);
    RecordTests records(source);
    messageFileTests(records, xof, source, label);
    variableOutTests(records, xof, source, label);
    return std::move(records).take();
}

std::vector<zorvan::testing::Test>
shakeSweepTests(const std::shared_ptr<const Crypto::XofView>& xof, Shake shake,
                const DataSource& source) {
    const std::string label(labelOf(shake));
    const std::array fileNames{label + "Sweep.rsp"};
    const KatFiles::Folder folder =
        SHA::readNamedFiles(source, sweepDirectory, fileNames, lengthField);
    RecordTests records(source);
    folderTests(records, xof, folder, sweepFields,
                [&](const KatFiles::KatFile& file, const ParseNistKATs::KatCategory&,
                    const ParseNistKATs::KatRecord& record,
                    std::size_t number) -> std::variant<XofVector, std::string> {
                    const std::string length = field(record, lengthField);
                    const std::string outputLength = field(record, outputLengthField);
                    return XofVector{"Sweep" + label + "-" + length + "bitsIn-" + outputLength +
                                         "bitsOut",
                                     MessageForm::pattern,
                                     length,
                                     {},
                                     outputLength,
                                     field(record, outputField),
                                     true,
                                     originOf(folder, file, record, number)};
                });
    return std::move(records).take();
}

} // namespace Test::XOF
