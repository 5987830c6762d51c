#include <Test/ACVPAES.hpp>

#include <Test/AcvpSuite.hpp>
#include <Test/JsonVectors.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

namespace Test::ACVPAES {

namespace {

using AcvpSuite::AcvpCase;
using zorvan::Bytes;

enum class AesMode { ecb, cbc, cfb8, cfb128, ofb, ctr };

struct ModeSet {
    std::string_view directory;
    std::string_view algorithm;
    AesMode mode;
};

constexpr std::array<ModeSet, 6> modeSets{{{setDirectories[0], "ACVP-AES-ECB", AesMode::ecb},
                                           {setDirectories[1], "ACVP-AES-CBC", AesMode::cbc},
                                           {setDirectories[2], "ACVP-AES-CFB8", AesMode::cfb8},
                                           {setDirectories[3], "ACVP-AES-CFB128", AesMode::cfb128},
                                           {setDirectories[4], "ACVP-AES-OFB", AesMode::ofb},
                                           {setDirectories[5], "ACVP-AES-CTR", AesMode::ctr}}};

constexpr std::string_view keyField = "key";
constexpr std::string_view ivField = "iv";
constexpr std::string_view plaintextField = "pt";
constexpr std::string_view ciphertextField = "ct";
constexpr std::string_view payloadField = "payloadLen";
constexpr std::string_view roundsField = "resultsArray";
constexpr std::size_t monteCarloRounds = 100;
constexpr std::size_t monteCarloSteps = 1000;

Crypto::CipherMode viewMode(AesMode mode) {
    switch (mode) {
    case AesMode::ecb:
        return Crypto::CipherMode::ecb;
    case AesMode::cbc:
        return Crypto::CipherMode::cbc;
    case AesMode::cfb8:
    case AesMode::cfb128:
        return Crypto::CipherMode::cfb;
    case AesMode::ofb:
        return Crypto::CipherMode::ofb;
    case AesMode::ctr:
        break;
    }
    return Crypto::CipherMode::ctr;
}

// What a Monte Carlo step feeds back: one octet for CFB8, a block otherwise.
std::size_t segmentOctets(AesMode mode, std::size_t blockOctets) {
    return mode == AesMode::cfb8 ? 1 : blockOctets;
}

// One key running a mode in one direction over successive inputs, the IV carried from each
// call to the next as the mode advances it (the "IV implicitly advanced" of the Monte Carlo
// chains).
class ModeStream {
public:
    ModeStream(const Crypto::KeyView& key, AesMode mode, bool decrypt, Bytes iv)
        : key_(key), mode_(mode), decrypt_(decrypt), iv_(std::move(iv)) {}

    Bytes step(const Bytes& input) {
        if (mode_ == AesMode::cfb8) {
            return cfb8(input);
        }
        auto [output, next] = key_.run(viewMode(mode_), decrypt_, iv_, input);
        iv_ = std::move(next);
        return std::move(output);
    }

private:
    // CFB with 8-bit feedback over the key's block function: each octet is the input xor the
    // first octet of the encrypted register, into which the ciphertext octet then shifts.
    Bytes cfb8(const Bytes& input) {
        std::vector<std::uint8_t> output(input.size());
        std::vector<std::uint8_t> shift(iv_.begin(), iv_.end());
        for (std::size_t i = 0; i < input.size(); ++i) {
            const Bytes encrypted = key_.encryptBlock(Bytes(shift));
            output[i] = static_cast<std::uint8_t>(input[i] ^ encrypted[0]);
            shift.erase(shift.begin());
            shift.push_back(decrypt_ ? input[i] : output[i]);
        }
        iv_ = Bytes(shift);
        return Bytes(output);
    }

    const Crypto::KeyView& key_;
    AesMode mode_;
    bool decrypt_;
    Bytes iv_;
};

// What a test runs: the mode, the direction, the key built and the IV read by the type, and
// the record for its origin and known answers.
struct ModeTest {
    std::string name;
    std::string directory;
    ReadRecord<AcvpFiles::Test> record;
    AesMode mode;
    bool decrypt;
    std::shared_ptr<const Crypto::CipherView> cipher;
    std::shared_ptr<const Crypto::KeyView> key;
    Bytes key0;
    Bytes iv;

    [[nodiscard]] std::string_view inputField() const {
        return decrypt ? ciphertextField : plaintextField;
    }
    [[nodiscard]] std::string_view outputField() const {
        return decrypt ? plaintextField : ciphertextField;
    }
    [[nodiscard]] zorvan::testing::VectorOrigin origin() const {
        return AcvpFiles::origin(directory, record);
    }
};

void runFunctional(const ModeTest& test) {
    const zorvan::testing::VectorOrigin origin = test.origin();
    const AcvpFiles::Test& read = *test.record.vector;
    const Bytes input =
        KatValues::hexField(origin, test.inputField(), *read.input(test.inputField()));
    const Bytes output = ModeStream(*test.key, test.mode, test.decrypt, test.iv).step(input);
    zorvan::testing::assertKnownAnswer(
        test.name + ": " + std::string(test.outputField()), output,
        KatValues::hexField(origin, test.outputField(), *read.expected(test.outputField())),
        origin);
}

// One round of a thousand steps: the octets output, in order. Each step's input is the last
// output for ECB; for the other modes, the IV's segments while they last, then the output
// 16 octets back (the previous ciphertext block for the block modes).
std::vector<std::uint8_t> monteCarloRound(const ModeTest& test, const Crypto::KeyView& key,
                                          const Bytes& iv, Bytes input) {
    const std::size_t block = iv.size();
    const std::size_t segment = segmentOctets(test.mode, key.blockOctets());
    std::vector<std::uint8_t> stream;
    stream.reserve(monteCarloSteps * segment);
    ModeStream mode(key, test.mode, test.decrypt, iv);
    for (std::size_t step = 0; step < monteCarloSteps; ++step) {
        const Bytes output = mode.step(input);
        stream.insert(stream.end(), output.begin(), output.end());
        if (test.mode == AesMode::ecb) {
            input = output;
        } else if ((step + 1) * segment <= block) {
            input = iv.slice(step * segment, segment);
        } else {
            input = Bytes(std::span(stream).subspan(stream.size() - block - segment, segment));
        }
    }
    return stream;
}

Bytes tail(const std::vector<std::uint8_t>& stream, std::size_t octets, std::size_t skip = 0) {
    return Bytes(std::span(stream).subspan(stream.size() - skip - octets, octets));
}

Bytes xorWith(const Bytes& key, const Bytes& material) {
    std::vector<std::uint8_t> mixed(key.begin(), key.end());
    for (std::size_t i = 0; i < mixed.size(); ++i) {
        mixed[i] ^= material[i];
    }
    return Bytes(mixed);
}

void assertRoundField(const ModeTest& test, const zorvan::testing::VectorOrigin& origin,
                      std::size_t round, const Json::Value& expected, std::string_view field,
                      const Bytes& computed) {
    const std::optional<std::string_view> known = expected.string(field);
    const std::string label = test.name + ": round " + std::to_string(round) + ": ";
    if (!known) {
        throw DamagedData(origin.file + ":" + std::to_string(test.record.vector->answerLine) +
                          ": " + label + "missing field: " + std::string(field));
    }
    zorvan::testing::assertKnownAnswer(label + std::string(field), computed,
                                       KatValues::hexField(origin, field, *known), origin);
}

// ACVP's Monte Carlo chain: each round's key, IV, first input and last output checked against
// its entry of resultsArray; between rounds the key is xored with the last key-length octets
// output (the AES key shuffle), the IV becomes the last 16 and the input the segment before
// them (the last output for ECB).
void runMonteCarlo(const ModeTest& test) {
    const zorvan::testing::VectorOrigin origin = test.origin();
    const AcvpFiles::Test& read = *test.record.vector;
    const std::span<const Json::Member> rounds = read.answer.find(roundsField)->members;
    Bytes key = test.key0;
    Bytes iv = test.iv;
    Bytes input = KatValues::hexField(origin, test.inputField(), *read.input(test.inputField()));
    std::shared_ptr<const Crypto::KeyView> built = test.key;
    for (std::size_t round = 0; round < monteCarloRounds; ++round) {
        const Json::Value& expected = rounds[round].value;
        assertRoundField(test, origin, round, expected, keyField, key);
        if (test.mode != AesMode::ecb) {
            assertRoundField(test, origin, round, expected, ivField, iv);
        }
        assertRoundField(test, origin, round, expected, test.inputField(), input);
        const std::vector<std::uint8_t> stream = monteCarloRound(test, *built, iv, input);
        const std::size_t segment = segmentOctets(test.mode, built->blockOctets());
        assertRoundField(test, origin, round, expected, test.outputField(), tail(stream, segment));
        key = xorWith(key, tail(stream, key.size()));
        iv = tail(stream, iv.size());
        input =
            test.mode == AesMode::ecb ? tail(stream, segment) : tail(stream, segment, iv.size());
        built = test.cipher->buildKey(key);
        if (!built) {
            throw DamagedData(test.name + ": buildKey refused the key of round " +
                              std::to_string(round + 1) + ", of the type's own length");
        }
    }
}

// The IV a test gives: the prompt's, or for a CTR encryption (whose IV the tested side
// chooses) the expected result's.
std::optional<std::string_view> ivText(const AcvpFiles::Test& test) {
    const std::optional<std::string_view> prompted = test.input(ivField);
    return prompted ? prompted : test.expected(ivField);
}

std::string octets(std::size_t count) {
    return std::to_string(count) + " octets";
}

// Why the record cannot be bound as a test of its mode, or "".
std::string shapeDamage(const AcvpFiles::Test& test, AesMode mode, bool monteCarlo) {
    if (monteCarlo && mode == AesMode::ctr) {
        return "a Monte Carlo test, which ACVP defines for no CTR";
    }
    if (std::string damage =
            AcvpSuite::groupDamage(test, {"AFT", "MCT", "CTR"}, "AES mode", {"encrypt", "decrypt"});
        !damage.empty()) {
        return damage;
    }
    const bool decrypt = test.group->direction == "decrypt";
    std::string missing;
    AcvpSuite::needField(missing, test.input(keyField).has_value(), keyField);
    AcvpSuite::needField(missing, mode == AesMode::ecb || ivText(test).has_value(), ivField);
    AcvpSuite::needField(missing,
                         test.input(decrypt ? ciphertextField : plaintextField).has_value(),
                         decrypt ? ciphertextField : plaintextField);
    if (!monteCarlo) {
        AcvpSuite::needField(missing,
                             test.expected(decrypt ? plaintextField : ciphertextField).has_value(),
                             decrypt ? plaintextField : ciphertextField);
        return missing;
    }
    const Json::Value* rounds = test.answer.find(roundsField);
    if (!rounds || rounds->kind != Json::Kind::array) {
        JsonVectors::addDamage(missing, "missing field: resultsArray");
    } else if (rounds->members.size() != monteCarloRounds ||
               std::ranges::any_of(rounds->members, [](const Json::Member& round) {
                   return round.value.kind != Json::Kind::object;
               })) {
        JsonVectors::addDamage(missing, "resultsArray holds no 100 round objects");
    }
    return missing;
}

// Binds one test to the cipher: its test, another key size's, a length the type cannot express,
// or a failure.
void bindTest(RecordTests& records, const std::shared_ptr<const Crypto::CipherView>& cipher,
              const Suites::Algorithm& aes, AesMode mode, const AcvpCase& read) {
    const AcvpFiles::Test& test = read.test();
    const RecordLedger::RecordPlace place = read.place();
    const bool monteCarlo = test.group->testType == "MCT";
    if (std::string damage = shapeDamage(test, mode, monteCarlo); !damage.empty()) {
        return records.fail(place, damage);
    }
    const bool decrypt = test.group->direction == "decrypt";
    std::string damage;
    const std::optional<Bytes> key = KatValues::recordHex(keyField, *test.input(keyField), damage);
    const std::optional<Bytes> iv = mode == AesMode::ecb
                                        ? std::optional<Bytes>(Bytes{})
                                        : KatValues::recordHex(ivField, *ivText(test), damage);
    if (!key || !iv) {
        return records.fail(place, damage);
    }
    if (std::ranges::find(aes.keyOctets, key->size()) == aes.keyOctets.end()) {
        return records.fail(place, "a key of " + octets(key->size()) +
                                       ", no AES key size (16, 24 or 32 octets)");
    }
    if (key->size() * 8 != cipher->keyLength()) {
        return records.otherVariant(place, "key of " + octets(key->size()));
    }
    if (mode != AesMode::ecb && iv->size() != aes.blockOctets) {
        return records.fail(place,
                            "an iv of " + octets(iv->size()) + "; AES's is its block, 16 octets");
    }
    if (const std::optional<std::int64_t> bits = read.promptInteger(payloadField)) {
        std::string why;
        const std::optional<std::size_t> payload =
            AcvpSuite::bitsAsOctets(payloadField, *bits, why);
        if (!payload) {
            return records.otherVariant(place, why + ", which the type cannot express");
        }
        const std::size_t digits = test.input(decrypt ? ciphertextField : plaintextField)->size();
        if (*payload * 2 != digits) {
            return records.fail(place, "payloadLen = " + std::to_string(*bits) +
                                           " bits, but the input holds " +
                                           std::to_string(digits * 4) + " bits");
        }
    }
    const std::optional<Bytes> typeIv = mode == AesMode::ecb ? iv : cipher->readIV(*iv);
    if (!typeIv) {
        return records.fail(place, "the type's IV refused " + octets(iv->size()));
    }
    std::shared_ptr<const Crypto::KeyView> built = cipher->buildKey(*key);
    if (!built) {
        return records.fail(place, "buildKey refused key: " + octets(key->size()) +
                                       ", the type's own key length");
    }
    ModeTest bound{read.name(),      std::string(read.directory),
                   read.record,      mode,
                   decrypt,          cipher,
                   std::move(built), *key,
                   *typeIv};
    std::string name = bound.name;
    records.add(zorvan::testing::testCase(std::move(name), [monteCarlo, bound = std::move(bound)] {
        monteCarlo ? runMonteCarlo(bound) : runFunctional(bound);
    }));
}

void addModeSet(RecordTests& records, const std::shared_ptr<const Crypto::CipherView>& cipher,
                const ModeSet& set, std::string_view directory, const DataSource& source) {
    const Suites::Algorithm& aes = Suites::algorithm("AES");
    AcvpSuite::addSet(records, source, directory, set.algorithm, cipher->keyLength(),
                      [&](RecordTests& into, const AcvpCase& read) {
                          bindTest(into, cipher, aes, set.mode, read);
                      });
}

} // namespace

std::vector<zorvan::testing::Test>
acvpAesTests(const std::shared_ptr<const Crypto::CipherView>& cipher, const DataSource& source) {
    RecordTests records(source);
    for (const ModeSet& set : modeSets) {
        addModeSet(records, cipher, set, set.directory, source);
    }
    return std::move(records).take();
}

std::vector<zorvan::testing::Test>
acvpAesSetTests(const std::shared_ptr<const Crypto::CipherView>& cipher, std::string_view algorithm,
                std::string_view relativeDirectory, const DataSource& source) {
    const auto set = std::ranges::find(modeSets, algorithm, &ModeSet::algorithm);
    if (set == modeSets.end()) {
        throw std::invalid_argument("no ACVP AES set of the algorithm " + std::string(algorithm));
    }
    RecordTests records(source);
    addModeSet(records, cipher, *set, relativeDirectory, source);
    return std::move(records).take();
}

} // namespace Test::ACVPAES
