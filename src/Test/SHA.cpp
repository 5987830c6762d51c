#include <Test/SHA.hpp>

#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>
#include <Test/ShaVectors.hpp>
#include <Test/VectorCases.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <cstdint>

namespace Test::SHA {

namespace {

constexpr std::string_view katDirectory = "Test/KAT_SHA";
constexpr std::string_view messageField = "Msg";
constexpr std::string_view digestField = "MD";
constexpr std::array<std::string_view, 3> knownFields{lengthField, messageField, digestField};

std::string testName(std::string_view label, std::size_t number) {
    return "Nist" + std::string(label) + "-" + std::to_string(number);
}

void assertDigests(const ShaVector& vector, zorvan::Bytes contiguousDigest,
                   zorvan::Bytes chunkedDigest, const zorvan::Bytes& knownDigest) {
    zorvan::testing::assertKnownAnswer(
        vector.name, std::pair(std::move(contiguousDigest), std::move(chunkedDigest)),
        std::pair(knownDigest, knownDigest), vector.origin);
}

} // namespace

ShaInputs decode(const ShaVector& vector) {
    const std::int64_t bits = KatValues::integerField(vector.origin, lengthField, vector.length);
    zorvan::Bytes message = KatValues::hexField(vector.origin, messageField, vector.message);
    // Len counts bits; a trailing partial octet is not part of the message.
    const auto neededOctets = static_cast<std::uint64_t>((bits + 7) / 8);
    const bool emptyMessage = bits == 0 && message.size() <= 1;
    if (bits < 0 || (!emptyMessage && message.size() != neededOctets)) {
        KatValues::disagree(vector.origin, "Len = " + vector.length + " bits, but Msg holds " +
                                               std::to_string(message.size()) + " octets");
    }
    message = KatValues::takeOctets(message, bits >> 3);
    zorvan::LazyBytes chunkedMessage = KatValues::chunkMessage(message);
    return {std::move(message), std::move(chunkedMessage),
            KatValues::hexField(vector.origin, digestField, vector.digest)};
}

std::vector<ReadRecord<ShaVector>> messageRecords(const KatFiles::Folder& folder,
                                                  std::string_view label) {
    std::vector<ReadRecord<ShaVector>> records;
    std::size_t number = 0;
    for (const KatFiles::KatFile& file : folder.files) {
        std::size_t recordNumber = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                ReadRecord<ShaVector>& read = records.emplace_back(
                    ReadRecord<ShaVector>{file.name,
                                          record.line(),
                                          std::nullopt,
                                          recordDamage(record, knownFields, knownFields),
                                          {}});
                if (read.damage.empty()) {
                    read.vector = ShaVector{
                        testName(label, ++number), std::string(*record.field(lengthField)),
                        std::string(*record.field(messageField)),
                        std::string(*record.field(digestField)),
                        KatOrigin::recordOrigin(folder.directory, file.name, record, recordNumber)};
                }
            }
        }
    }
    return records;
}

std::vector<zorvan::testing::Test>
messageFileTests(const std::shared_ptr<const Crypto::HashView>& hash, const DataSource& source,
                 const KatFiles::Folder& folder, std::string_view label) {
    RecordTests records(source);
    records.addFolder(
        folder, messageRecords(folder, label), [&hash](RecordTests& each, ShaVector vector) {
            each.add(vectorCase(std::move(vector), [hash](const ShaVector& shaVector) {
                const ShaInputs inputs = decode(shaVector);
                assertDigests(shaVector, hash->digestOctets(inputs.message),
                              hash->chunkedDigestOctets(inputs.chunkedMessage), inputs.knownDigest);
            }));
        });
    return std::move(records).take();
}

KatFiles::Folder readNamedFiles(const DataSource& source, std::string_view relativeDirectory,
                                std::span<const std::string> fileNames,
                                std::string_view startName) {
    KatFiles::Folder folder = KatFiles::readFolder(
        source, relativeDirectory, startName, [fileNames](std::string_view fileName) {
            return std::ranges::find(fileNames, fileName) != fileNames.end();
        });
    std::vector<KatFiles::KatFile> ordered;
    for (const std::string& fileName : fileNames) {
        const auto file = std::ranges::find(folder.files, fileName, &KatFiles::KatFile::name);
        if (file == folder.files.end()) {
            throw KatFiles::KatDirectoryError(
                "the KAT file '" + source.path(std::string(relativeDirectory) + "/" + fileName) +
                "' is missing (the data directory is $zorvan_tests_datadir when set, else the "
                "installed one)");
        }
        ordered.push_back(std::move(*file));
    }
    folder.files = std::move(ordered);
    return folder;
}

std::vector<std::string> messageFileNames(std::string_view label) {
    return {std::string(label) + "ShortMsg.rsp", std::string(label) + "LongMsg.rsp"};
}

std::vector<zorvan::testing::Test>
namedFileSuite(const std::shared_ptr<const Crypto::HashView>& hash, const DataSource& source,
               std::string_view relativeDirectory, std::string_view label) {
    std::vector<zorvan::testing::Test> tests = messageFileTests(
        hash, source, readNamedFiles(source, relativeDirectory, messageFileNames(label)), label);
    tests.push_back(Crypto::hashPropTests(hash));
    return tests;
}

std::vector<zorvan::testing::Test>
knownAnswerTests(const std::shared_ptr<const Crypto::HashView>& hash, std::string_view label,
                 const DataSource& source) {
    return messageFileTests(hash, source,
                            KatFiles::readFolder(source, katDirectory, lengthField,
                                                 [label](std::string_view fileName) {
                                                     return fileName.starts_with(label);
                                                 }),
                            label);
}

std::vector<zorvan::testing::Test> shaTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                            std::string_view label, const DataSource& source) {
    std::vector<zorvan::testing::Test> tests = knownAnswerTests(hash, label, source);
    tests.push_back(Crypto::hashPropTests(hash));
    return tests;
}

} // namespace Test::SHA
