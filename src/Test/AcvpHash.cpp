#include <Test/AcvpHash.hpp>

#include "AcvpSets.hpp"
#include "LargeMessages.hpp"

#include <Test/KatValues.hpp>

#include <optional>
#include <string>

namespace Test::AcvpHash {

namespace {

using AcvpSets::SetTest;
using Hash = std::shared_ptr<const Crypto::HashView>;

constexpr std::size_t stepsPerCheckpoint = 1000;

// The message of each chained step, as mctVersion names it: "standard" hashes what the chain
// gives; "alternate" cuts or zero-pads it to the seed's length.
enum class MonteCarloVersion { standard, alternate };

MonteCarloVersion versionOf(const SetTest& test) {
    const std::optional<std::string_view> version = test.test.group->fields.string("mctVersion");
    // Sets written before the alternate chain existed say nothing: theirs is the standard one.
    if (!version || *version == "standard") {
        return MonteCarloVersion::standard;
    }
    if (*version != "alternate") {
        AcvpSets::damaged(test, "unknown mctVersion: " + std::string(*version));
    }
    return MonteCarloVersion::alternate;
}

// One checkpoint of SHA-1 and SHA-2: 1000 steps, each hashing the last three digests joined
// (at first the seed three times).
zorvan::Bytes sha2Checkpoint(const Crypto::HashView& hash, const zorvan::Bytes& seed,
                             std::optional<std::size_t> fittedLength) {
    zorvan::Bytes first = seed;
    zorvan::Bytes second = seed;
    zorvan::Bytes third = seed;
    for (std::size_t step = 0; step < stepsPerCheckpoint; ++step) {
        zorvan::Bytes message = first.concat(second).concat(third);
        if (fittedLength) {
            message = AcvpSets::fitted(message, *fittedLength);
        }
        first = std::move(second);
        second = std::move(third);
        third = hash.digestOctets(message);
    }
    return third;
}

// One checkpoint of SHA-3: 1000 steps, each hashing the digest before.
zorvan::Bytes sha3Checkpoint(const Crypto::HashView& hash, const zorvan::Bytes& seed,
                             std::optional<std::size_t> fittedLength) {
    zorvan::Bytes digest = seed;
    for (std::size_t step = 0; step < stepsPerCheckpoint; ++step) {
        digest = hash.digestOctets(fittedLength ? AcvpSets::fitted(digest, *fittedLength) : digest);
    }
    return digest;
}

void checkFunctional(const Crypto::HashView& hash, const SetTest& test) {
    const zorvan::Bytes message = AcvpSets::octetMessage(test);
    const zorvan::Bytes known = AcvpSets::hexMember(test, test.test.answer, "md");
    AcvpSets::assertAnswer(test, hash.digestOctets(message), known);
    AcvpSets::assertAnswer(test, hash.chunkedDigestOctets(KatValues::chunkMessage(message)), known,
                           "(fed in chunks)");
}

void checkMonteCarlo(const Crypto::HashView& hash, const SetTest& test) {
    const zorvan::Bytes seed = AcvpSets::octetMessage(test);
    const std::optional<std::size_t> fittedLength =
        versionOf(test) == MonteCarloVersion::alternate ? std::optional(seed.size()) : std::nullopt;
    const auto checkpoint =
        test.test.set->algorithm.starts_with("SHA3-") ? sha3Checkpoint : sha2Checkpoint;
    zorvan::Bytes digest = seed;
    std::size_t index = 0;
    for (const Json::Value* result : AcvpSets::results(test)) {
        digest = checkpoint(hash, digest, fittedLength);
        AcvpSets::assertAnswer(test, digest, AcvpSets::hexMember(test, *result, "md"),
                               "resultsArray[" + std::to_string(index++) + "]");
    }
}

void checkLargeData(const Crypto::HashView& hash, const SetTest& test) {
    if (!test.test.largeMessage) {
        AcvpSets::damaged(test, "missing field: largeMsg");
    }
    const AcvpFiles::LargeMessage& large = *test.test.largeMessage;
    if (large.expansionTechnique != "repeating") {
        AcvpSets::damaged(test,
                          "unknown expansionTechnique: " + std::string(large.expansionTechnique));
    }
    const zorvan::Bytes content = AcvpSets::hexText(test, "content", large.content);
    if (large.contentLength % 8 != 0 || large.fullLength % 8 != 0) {
        AcvpSets::skipped(AcvpSets::bitLengthReason);
    }
    if (content.size() * 8 != large.contentLength || content.empty()) {
        AcvpSets::damaged(test, "contentLength = " + std::to_string(large.contentLength) +
                                    " bits, but content holds " + std::to_string(content.size()) +
                                    " octets");
    }
    const zorvan::Bytes digest = hash.fedDigestOctets([&](const Crypto::HashView::PieceSink& sink) {
        LargeMessages::feedRepeating(content.view(), large.fullLength / 8, sink);
    });
    AcvpSets::assertAnswer(test, digest, AcvpSets::hexMember(test, test.test.answer, "md"));
}

} // namespace

std::vector<zorvan::testing::Test> hashSetTests(const Hash& hash,
                                                std::string_view relativeDirectory,
                                                LargeData largeData, const DataSource& source) {
    return AcvpSets::setTests(
        source, relativeDirectory,
        [hash, largeData](const std::shared_ptr<const SetTest>& test) -> AcvpSets::Check {
            const std::string_view type = test->test.group->testType;
            if (type == "AFT") {
                return [hash, test] { checkFunctional(*hash, *test); };
            }
            if (type == "MCT") {
                return [hash, test] { checkMonteCarlo(*hash, *test); };
            }
            if (type == "LDT" && largeData == LargeData::skip) {
                return [] { AcvpSets::skipped(largeDataReason); };
            }
            if (type == "LDT") {
                return [hash, test] { checkLargeData(*hash, *test); };
            }
            return [test] { AcvpSets::unknownTestType(*test); };
        });
}

} // namespace Test::AcvpHash
