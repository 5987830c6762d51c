#include "AcvpSets.hpp"

#include <Test/Crypto/hex.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <utility>

namespace Test::AcvpSets {

namespace {

constexpr std::string_view setPrefix = "ACVP-";

// The tests of one test group, in the prompt's order.
struct TestGroupLeaves {
    std::int64_t tgId;
    std::vector<zorvan::testing::Test> leaves;
};

std::string lastComponent(std::string_view directory) {
    const std::size_t slash = directory.rfind('/');
    return std::string(slash == std::string_view::npos ? directory : directory.substr(slash + 1));
}

// The records with each test's origin and name made, so that RecordTests hands them on.
std::vector<ReadRecord<SetTest>> withOrigins(std::string_view directory, const std::string& set,
                                             std::vector<ReadRecord<AcvpFiles::Test>> records) {
    std::vector<ReadRecord<SetTest>> bound;
    bound.reserve(records.size());
    for (ReadRecord<AcvpFiles::Test>& record : records) {
        ReadRecord<SetTest>& each = bound.emplace_back(ReadRecord<SetTest>{
            record.fileName, record.line, std::nullopt, std::move(record.damage),
            std::move(record.otherVariant), record.test});
        if (record.vector) {
            zorvan::testing::VectorOrigin origin = AcvpFiles::origin(directory, record);
            each.vector =
                SetTest{std::move(*record.vector), std::move(origin), set + " " + record.test};
        }
    }
    return bound;
}

const Json::Value& member(const SetTest& test, const Json::Value& object, std::string_view name) {
    const Json::Value* value = object.find(name);
    if (value == nullptr) {
        damaged(test, "missing field: " + std::string(name));
    }
    return *value;
}

} // namespace

std::string setName(std::string_view algorithm) {
    std::string name = algorithm.starts_with(setPrefix) ? std::string() : std::string(setPrefix);
    name.append(algorithm);
    std::ranges::replace(name, '/', '-');
    return name;
}

std::vector<zorvan::testing::Test> setTests(const DataSource& source,
                                            std::string_view relativeDirectory, const Bind& bind) {
    AcvpFiles::Folder folder = AcvpFiles::readFolder(source, relativeDirectory);
    const std::string name =
        setName(folder.set.set ? folder.set.set->algorithm : lastComponent(relativeDirectory));
    std::vector<TestGroupLeaves> groups;
    RecordTests records(source);
    records.beginFolder(folder.check);
    records.addRecords(
        folder.check.directory,
        withOrigins(folder.check.directory, name, std::move(folder.set.records)),
        [&](RecordTests& each, SetTest test) {
            const std::int64_t tgId = test.test.group->tgId;
            auto group = std::ranges::find(groups, tgId, &TestGroupLeaves::tgId);
            if (group == groups.end()) {
                group = groups.insert(groups.end(), TestGroupLeaves{tgId, {}});
            }
            std::string leaf = "tc" + std::to_string(test.test.tcId);
            each.addInto(
                group->leaves,
                zorvan::testing::testCase(std::move(leaf),
                                          bind(std::make_shared<const SetTest>(std::move(test)))));
        });
    records.endFolder();
    // The damage first, then the test groups in the prompt's order.
    std::vector<zorvan::testing::Test> tests = std::move(records).take();
    for (TestGroupLeaves& group : groups) {
        tests.emplace_back(
            zorvan::testing::TestGroup{"tg" + std::to_string(group.tgId), std::move(group.leaves)});
    }
    return {zorvan::testing::TestGroup{name, std::move(tests)}};
}

void damaged(const SetTest& test, const std::string& why) {
    throw DamagedData(test.origin.file + ":" + std::to_string(test.origin.line) + ": " +
                      test.name.substr(test.name.find(' ') + 1) + ": " + why);
}

void skipped(std::string_view reason) {
    throw zorvan::testing::TestSkipped(std::string(reason));
}

std::int64_t integerMember(const SetTest& test, const Json::Value& object, std::string_view name) {
    const std::optional<std::int64_t> integer = Json::integerOf(member(test, object, name));
    if (!integer) {
        damaged(test, std::string(name) + " is no integer");
    }
    return *integer;
}

zorvan::Bytes hexMember(const SetTest& test, const Json::Value& object, std::string_view name) {
    const Json::Value& value = member(test, object, name);
    if (value.kind != Json::Kind::string) {
        damaged(test, std::string(name) + " is no string");
    }
    return hexText(test, name, value.text);
}

zorvan::Bytes hexText(const SetTest& test, std::string_view name, std::string_view text) {
    try {
        return Crypto::hexStringToBS(text);
    } catch (const Crypto::HexDecodingError& error) {
        damaged(test, std::string(name) + ": " + error.what());
    }
}

void unknownTestType(const SetTest& test) {
    damaged(test, "testType " + std::string(test.test.group->testType) +
                      ": this suite has no check of that type");
}

zorvan::Bytes octetMessage(const SetTest& test) {
    const std::int64_t bits = integerMember(test, test.test.prompt, "len");
    const zorvan::Bytes message = hexMember(test, test.test.prompt, "msg");
    if (bits % 8 != 0) {
        skipped(bitLengthReason);
    }
    // An empty message is written "" or "00".
    const bool empty = bits == 0 && message.size() <= 1;
    if (bits < 0 || (!empty && message.size() * 8 != static_cast<std::uint64_t>(bits))) {
        damaged(test, "len = " + std::to_string(bits) + " bits, but msg holds " +
                          std::to_string(message.size()) + " octets");
    }
    return message.take(static_cast<std::size_t>(bits / 8));
}

std::vector<const Json::Value*> results(const SetTest& test) {
    const Json::Value& array = member(test, test.test.answer, "resultsArray");
    if (array.kind != Json::Kind::array) {
        damaged(test, "resultsArray is no array");
    }
    std::vector<const Json::Value*> items;
    for (const Json::Member& item : array.members) {
        if (item.value.kind != Json::Kind::object) {
            damaged(test, "resultsArray holds " + std::string(Json::kindName(item.value.kind)));
        }
        items.push_back(&item.value);
    }
    if (items.empty()) {
        damaged(test, "resultsArray is empty");
    }
    return items;
}

void assertAnswer(const SetTest& test, const zorvan::Bytes& computed, const zorvan::Bytes& known,
                  std::string_view what) {
    std::string message = test.name;
    if (!what.empty()) {
        message.append(" ").append(what);
    }
    zorvan::testing::assertKnownAnswer(message, computed, known, test.origin);
}

zorvan::Bytes fitted(const zorvan::Bytes& octets, std::size_t length) {
    if (octets.size() >= length) {
        return octets.take(length);
    }
    return zorvan::Bytes::create(length, [&octets](std::span<std::uint8_t> target) {
        std::ranges::fill(std::ranges::copy(octets, target.begin()).out, target.end(), 0);
    });
}

zorvan::Bytes leadingBits(const zorvan::Bytes& octets, std::uint64_t bits, BitOrder order) {
    const std::uint64_t whole = bits / 8;
    const auto spare = static_cast<unsigned>(bits % 8);
    if (spare == 0 || whole >= octets.size()) {
        return octets.take(static_cast<std::size_t>(whole));
    }
    const auto kept = static_cast<std::size_t>(whole + 1);
    return zorvan::Bytes::create(kept, [&](std::span<std::uint8_t> target) {
        std::ranges::copy(octets.view().first(kept), target.begin());
        const auto used = static_cast<std::uint8_t>((1U << spare) - 1);
        target.back() &=
            order == BitOrder::lowFirst ? used : static_cast<std::uint8_t>(used << (8 - spare));
    });
}

} // namespace Test::AcvpSets
