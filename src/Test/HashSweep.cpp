#include <Test/HashSweep.hpp>

#include <Test/Crypto/hex.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/RecordLedger.hpp>
#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace Test::HashSweep {

namespace {

constexpr std::size_t patternPeriod = 251;
// A whole number of periods, so that one piece serves every position of a long message.
constexpr std::size_t piecePeriods = 1024;
constexpr std::string_view lengthField = "Len";
constexpr std::string_view digestField = "MD";
constexpr std::string_view bitsSuffix = "bits";
constexpr std::array<std::string_view, 2> knownFields{lengthField, digestField};

struct Tier {
    std::string_view directory;
    std::string_view fileSuffix;
    std::string_view namePrefix;
};

constexpr Tier sweepTier{"Test/KAT_HASH_SWEEP", "Sweep.rsp", "Sweep"};
constexpr Tier longTier{"Test/KAT_HASH_LONG", "Long.rsp", "Long"};

std::vector<PatternVector> readVectors(const Tier& tier, std::string_view label) {
    const std::string fileName = std::string(label) + std::string(tier.fileSuffix);
    const std::vector<KatFiles::KatFile> files = KatFiles::readKatDirectory(
        tier.directory, lengthField, [&](std::string_view name) { return name == fileName; });
    if (files.empty()) {
        throw std::invalid_argument("no file " + fileName + " in " + std::string(tier.directory));
    }
    const std::string namePrefix = std::string(tier.namePrefix) + std::string(label) + "-";
    std::vector<PatternVector> vectors;
    const KatFiles::KatFile& file = files.front();
    std::size_t recordNumber = 0;
    for (const ParseNistKATs::KatCategory& category : file.categories) {
        for (const ParseNistKATs::KatRecord& record : category.records) {
            ++recordNumber;
            const auto length = record.field(lengthField);
            const auto digest = record.field(digestField);
            if (!length || !digest) {
                RecordLedger::noteMissingFields(
                    RecordLedger::RecordPlace{tier.directory, file.name, record.line()}, record,
                    knownFields, RecordLedger::missingNames(record, knownFields));
                continue;
            }
            vectors.push_back(
                {namePrefix + std::string(*length) + std::string(bitsSuffix), std::string(*length),
                 std::string(*digest),
                 KatOrigin::recordOrigin(tier.directory, file.name, record, recordNumber)});
            RecordLedger::noteTest(vectors.back().origin, knownFields);
        }
    }
    return vectors;
}

void fillPattern(std::span<std::uint8_t> octets) {
    for (std::size_t i = 0; i < octets.size(); ++i) {
        octets[i] = static_cast<std::uint8_t>(i % patternPeriod);
    }
}

} // namespace

zorvan::Bytes patternMessage(std::size_t length) {
    return zorvan::Bytes::create(length, fillPattern);
}

void feedPattern(std::uint64_t length,
                 const std::function<void(std::span<const std::uint8_t>)>& feed) {
    const zorvan::Bytes piece = patternMessage(patternPeriod * piecePeriods);
    for (std::uint64_t left = length; left > 0;) {
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, piece.size()));
        feed(piece.view().first(size));
        left -= size;
    }
}

std::vector<PatternVector> readSweepVectors(std::string_view label) {
    return readVectors(sweepTier, label);
}

std::vector<PatternVector> readLongVectors(std::string_view label) {
    return readVectors(longTier, label);
}

std::uint64_t messageOctets(const PatternVector& vector) {
    const std::int64_t bits = KatValues::readInteger(lengthField, vector.length);
    if (bits < 0 || bits % 8 != 0) {
        throw KatValues::KatValueError("Len: \"" + vector.length +
                                       "\" is not a whole number of octets in bits");
    }
    return static_cast<std::uint64_t>(bits) / 8;
}

void assertDigest(const PatternVector& vector, const std::string& how,
                  const zorvan::Bytes& digest) {
    zorvan::testing::assertKnownAnswer(vector.name + " (" + how + ")", digest,
                                       Crypto::hexStringToBS(vector.digest), vector.origin);
}

namespace {

zorvan::testing::Test sweepTest(std::shared_ptr<const Crypto::HashView> hash,
                                PatternVector vector) {
    std::string name = vector.name;
    return zorvan::testing::testCase(
        std::move(name), [hash = std::move(hash), vector = std::move(vector)] {
            const zorvan::Bytes message = patternMessage(messageOctets(vector));
            assertDigest(vector, "contiguous", hash->digestOctets(message));
            assertDigest(vector, "chunked",
                         hash->chunkedDigestOctets(KatValues::chunkMessage(message)));
        });
}

zorvan::testing::Test longTest(std::shared_ptr<const Crypto::HashView> hash, PatternVector vector) {
    std::string name = vector.name;
    return zorvan::testing::testCase(
        std::move(name), [hash = std::move(hash), vector = std::move(vector)] {
            const std::uint64_t length = messageOctets(vector);
            assertDigest(vector, "fed in pieces",
                         hash->fedDigestOctets([length](const Crypto::HashView::PieceSink& sink) {
                             feedPattern(length, sink);
                         }));
        });
}

} // namespace

std::vector<zorvan::testing::Test> sweepTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                              std::string_view label, LongMessage longMessage) {
    std::vector<zorvan::testing::Test> tests;
    for (PatternVector& vector : readSweepVectors(label)) {
        tests.push_back(sweepTest(hash, std::move(vector)));
    }
    if (longMessage == LongMessage::include) {
        for (PatternVector& vector : readLongVectors(label)) {
            tests.push_back(longTest(hash, std::move(vector)));
        }
    }
    return tests;
}

} // namespace Test::HashSweep
