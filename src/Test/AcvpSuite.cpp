#include <Test/AcvpSuite.hpp>

#include <Test/Json.hpp>
#include <Test/JsonVectors.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <set>

namespace Test::AcvpSuite {

namespace {

std::optional<std::int64_t> integerMember(const Json::Value& object,
                                          std::string_view name) noexcept {
    const Json::Value* value = object.find(name);
    return value ? Json::integerOf(*value) : std::nullopt;
}

// The leaf of a set that holds no test of the type's key length.
zorvan::testing::Test keyLengthSkip(std::string_view algorithm, std::size_t keyBits,
                                    const std::set<std::int64_t>& keyLengths) {
    std::string held;
    for (const std::int64_t bits : keyLengths) {
        held += (held.empty() ? "" : ", ") + std::to_string(bits);
    }
    return zorvan::testing::testCase(
        std::string(algorithm) + "/KeyLength" + std::to_string(keyBits),
        [reason = "the set holds tests of keyLen " + held + " only, none of " +
                  std::to_string(keyBits) +
                  " bits"] { throw zorvan::testing::TestSkipped(reason); });
}

} // namespace

std::string AcvpCase::name() const {
    const AcvpFiles::Test& read = test();
    return std::string(read.set->algorithm) + "/tg" + std::to_string(read.group->tgId) + "/tc" +
           std::to_string(read.tcId);
}

std::optional<std::int64_t> AcvpCase::groupInteger(std::string_view name) const noexcept {
    return integerMember(test().group->fields, name);
}

std::optional<std::int64_t> AcvpCase::promptInteger(std::string_view name) const noexcept {
    return integerMember(test().prompt, name);
}

void addSet(RecordTests& records, const DataSource& source, std::string_view directory,
            std::string_view algorithm, std::size_t keyBits, const Bind& bind) {
    const AcvpFiles::Folder folder = AcvpFiles::readFolder(source, directory);
    records.beginFolder(folder.check);
    const bool otherAlgorithm = folder.set.set && folder.set.set->algorithm != algorithm;
    std::set<std::int64_t> keyLengths;
    for (const ReadRecord<AcvpFiles::Test>& record : folder.set.records) {
        const AcvpCase read{directory, record};
        if (record.vector) {
            keyLengths.insert(read.groupInteger("keyLen").value_or(-1));
        }
        if (record.vector && otherAlgorithm) {
            records.fail(read.place(), "a set of " + std::string(folder.set.set->algorithm) +
                                           ", not " + std::string(algorithm));
        } else if (record.vector) {
            bind(records, read);
        } else if (!record.otherVariant.empty()) {
            records.otherVariant(read.place(), record.otherVariant);
        } else {
            records.fail(read.place(), record.damage);
        }
    }
    if (!keyLengths.empty() && !keyLengths.contains(static_cast<std::int64_t>(keyBits))) {
        records.add(keyLengthSkip(algorithm, keyBits, keyLengths));
    }
    records.endFolder();
}

std::string groupDamage(const AcvpFiles::Test& test,
                        std::initializer_list<std::string_view> testTypes, std::string_view kind,
                        std::array<std::string_view, 2> directions) {
    const std::string_view type = test.group->testType;
    if (std::ranges::find(testTypes, type) == testTypes.end()) {
        return "a test type \"" + std::string(type) + "\" that no " + std::string(kind) +
               " set has";
    }
    const std::string_view direction = test.group->direction;
    if (direction != directions[0] && direction != directions[1]) {
        return "a direction \"" + std::string(direction) + "\", neither " +
               std::string(directions[0]) + " nor " + std::string(directions[1]);
    }
    return {};
}

void needField(std::string& damage, bool present, std::string_view field) {
    if (!present) {
        JsonVectors::addDamage(damage, "missing field: " + std::string(field));
    }
}

std::optional<std::size_t> bitsAsOctets(std::string_view name, std::int64_t bits,
                                        std::string& why) {
    if (bits < 0 || bits % 8 != 0) {
        why = "a " + std::string(name) + " of no whole number of octets";
        return std::nullopt;
    }
    return static_cast<std::size_t>(bits / 8);
}

} // namespace Test::AcvpSuite
