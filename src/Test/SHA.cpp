#include <Test/SHA.hpp>

#include "vector_cases.hpp"

#include <Test/Crypto/hex.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordLedger.hpp>
#include <zorvan/testing/assertion.hpp>

#include <array>
#include <cstdint>

namespace Test::SHA {

namespace {

constexpr std::string_view katDirectory = "Test/KAT_SHA";
constexpr std::string_view testNamePrefix = "Nist";
constexpr std::string_view numberSeparator = "-";
constexpr std::string_view lengthField = "Len";
constexpr std::string_view messageField = "Msg";
constexpr std::string_view digestField = "MD";
constexpr std::array<std::string_view, 3> knownFields{lengthField, messageField, digestField};

std::string testName(std::string_view label, std::uint64_t number) {
    return std::string(testNamePrefix) + std::string(label) + std::string(numberSeparator) +
           std::to_string(number);
}

} // namespace

std::vector<ShaVector> readVectors(std::string_view label) {
    return fileVectors(
        katDirectory, label,
        KatFiles::readKatDirectory(katDirectory, lengthField, [label](std::string_view fileName) {
            return fileName.starts_with(label);
        }));
}

std::vector<ShaVector> fileVectors(std::string_view relativeDirectory, std::string_view label,
                                   std::vector<KatFiles::KatFile> files) {
    std::vector<ShaVector> vectors;
    for (KatFiles::KatFile& file : files) {
        std::size_t recordNumber = 0;
        for (ParseNistKATs::KatCategory& category : file.categories) {
            for (ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                const auto length = record.field(lengthField);
                const auto message = record.field(messageField);
                const auto digest = record.field(digestField);
                if (!length || !message || !digest) {
                    RecordLedger::noteMissingFields(
                        RecordLedger::RecordPlace{relativeDirectory, file.name, record.line()},
                        record, knownFields, RecordLedger::missingNames(record, knownFields));
                    continue;
                }
                ShaVector vector{testName(label, vectors.size() + 1), std::string(*length),
                                 std::string(*message), std::string(*digest)};
                // The record is not read again: its fields move into the origin.
                vector.origin = KatOrigin::recordOrigin(relativeDirectory, file.name,
                                                        std::move(record), recordNumber);
                RecordLedger::noteTest(vector.origin, knownFields);
                vectors.push_back(std::move(vector));
            }
        }
    }
    return vectors;
}

ShaInputs decode(const ShaVector& vector) {
    // Len counts bits; a trailing partial octet is not part of the message.
    const std::int64_t octets = KatValues::readInteger(lengthField, vector.length) >> 3;
    zorvan::Bytes message = KatValues::takeOctets(Crypto::hexStringToBS(vector.message), octets);
    zorvan::LazyBytes chunkedMessage = KatValues::chunkMessage(message);
    return {std::move(message), std::move(chunkedMessage), Crypto::hexStringToBS(vector.digest)};
}

void assertDigests(const ShaVector& vector, zorvan::Bytes contiguousDigest,
                   zorvan::Bytes chunkedDigest, const zorvan::Bytes& knownDigest) {
    zorvan::testing::assertKnownAnswer(
        vector.name, std::pair(std::move(contiguousDigest), std::move(chunkedDigest)),
        std::pair(knownDigest, knownDigest), vector.origin);
}

std::vector<zorvan::testing::Test> vectorTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                               std::vector<ShaVector> vectors) {
    return vectorCases(std::move(vectors), [hash](const ShaVector& vector) {
        const ShaInputs inputs = decode(vector);
        assertDigests(vector, hash->digestOctets(inputs.message),
                      hash->chunkedDigestOctets(inputs.chunkedMessage), inputs.knownDigest);
    });
}

std::vector<zorvan::testing::Test> suiteTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                              std::vector<ShaVector> vectors) {
    std::vector<zorvan::testing::Test> tests = vectorTests(hash, std::move(vectors));
    tests.push_back(Crypto::hashPropTests(hash));
    return tests;
}

} // namespace Test::SHA
