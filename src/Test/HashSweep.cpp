#include <Test/HashSweep.hpp>

#include <Test/HashSweepFiles.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>
#include <Test/ShaVectors.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>

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

void fillPattern(std::span<std::uint8_t> octets) {
    for (std::size_t i = 0; i < octets.size(); ++i) {
        octets[i] = static_cast<std::uint8_t>(i % patternPeriod);
    }
}

void assertDigest(const PatternVector& vector, const std::string& how,
                  const zorvan::Bytes& digest) {
    zorvan::testing::assertKnownAnswer(
        vector.name + " (" + how + ")", digest,
        KatValues::hexField(vector.origin, digestField, vector.digest), vector.origin);
}

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

using TestOf = zorvan::testing::Test (*)(std::shared_ptr<const Crypto::HashView>, PatternVector);

// The tests of label's file of the tier, its records accounted for.
void tierTests(RecordTests& records, const std::shared_ptr<const Crypto::HashView>& hash,
               const DataSource& source, const Tier& tier, std::string_view label, TestOf test) {
    const std::array fileNames{std::string(label) + std::string(tier.fileSuffix)};
    const KatFiles::Folder folder =
        SHA::readNamedFiles(source, tier.directory, fileNames, lengthField);
    const KatFiles::KatFile& file = folder.files.front();
    const std::string namePrefix = std::string(tier.namePrefix) + std::string(label) + "-";
    records.beginFolder(folder);
    std::size_t recordNumber = 0;
    for (const ParseNistKATs::KatCategory& category : file.categories) {
        for (const ParseNistKATs::KatRecord& record : category.records) {
            ++recordNumber;
            if (std::string damage = recordDamage(record, knownFields, knownFields);
                !damage.empty()) {
                records.fail({folder.directory, file.name, record.line()}, damage);
                continue;
            }
            const std::string length(*record.field(lengthField));
            records.add(test(hash, {namePrefix + length + std::string(bitsSuffix), length,
                                    std::string(*record.field(digestField)),
                                    KatOrigin::recordOrigin(folder.directory, file.name, record,
                                                            recordNumber)}));
        }
    }
    records.endFolder();
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

std::uint64_t messageOctets(const PatternVector& vector) {
    const std::int64_t bits = KatValues::integerField(vector.origin, lengthField, vector.length);
    if (bits < 0 || bits % 8 != 0) {
        KatValues::disagree(vector.origin,
                            "Len = " + vector.length + " is not a whole number of octets in bits");
    }
    return static_cast<std::uint64_t>(bits) / 8;
}

std::vector<zorvan::testing::Test> sweepTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                              std::string_view label, LongMessage longMessage,
                                              const DataSource& source) {
    RecordTests records(source);
    tierTests(records, hash, source, sweepTier, label, sweepTest);
    if (longMessage == LongMessage::include) {
        tierTests(records, hash, source, longTier, label, longTest);
    }
    return std::move(records).take();
}

} // namespace Test::HashSweep
