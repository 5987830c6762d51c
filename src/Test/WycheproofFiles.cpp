#include <Test/WycheproofFiles.hpp>

#include <Test/JsonVectors.hpp>

#include <array>

namespace Test::WycheproofFiles {

namespace {

using Json::Kind;
using Json::Value;
using JsonVectors::addDamage;
using JsonVectors::GroupObject;
using JsonVectors::TestObject;
using JsonVectors::wrongKind;

std::string testName(std::size_t group, std::optional<std::int64_t> tcId) {
    std::string name = "group=" + std::to_string(group);
    if (tcId) {
        name.append(",tcId=").append(std::to_string(*tcId));
    }
    return name;
}

std::optional<Result> readResult(std::string_view text) {
    if (text == "valid") {
        return Result::valid;
    }
    if (text == "invalid") {
        return Result::invalid;
    }
    if (text == "acceptable") {
        return Result::acceptable;
    }
    return std::nullopt;
}

// The standard members of a test read into it; the damage they show ("" when none).
std::string readStandard(const Value& object, Test& test) {
    std::string damage;
    const Value* tcId = object.find("tcId");
    const Value* comment = object.find("comment");
    const Value* flags = object.find("flags");
    const Value* result = object.find("result");
    if (tcId == nullptr || comment == nullptr || flags == nullptr || result == nullptr) {
        std::string missing;
        for (const auto& [name, value] : {std::pair{"tcId", tcId}, std::pair{"comment", comment},
                                          std::pair{"flags", flags}, std::pair{"result", result}}) {
            if (value == nullptr) {
                missing.append(missing.empty() ? "" : ", ").append(name);
            }
        }
        addDamage(damage, "missing field: " + missing);
    }
    if (tcId != nullptr) {
        if (const auto id = Json::integerOf(*tcId)) {
            test.tcId = *id;
        } else {
            addDamage(damage, wrongKind("tcId", *tcId, "an integer"));
        }
    }
    if (comment != nullptr) {
        test.comment = comment->text;
        if (comment->kind != Kind::string) {
            addDamage(damage, wrongKind("comment", *comment, "a string"));
        }
    }
    if (flags != nullptr) {
        if (flags->kind != Kind::array) {
            addDamage(damage, wrongKind("flags", *flags, "an array"));
        }
        for (const Json::Member& flag : flags->members) {
            if (flag.value.kind != Kind::string) {
                addDamage(damage, wrongKind("a flag", flag.value, "a string"));
                break;
            }
            test.flags.push_back(flag.value.text);
        }
    }
    if (result != nullptr) {
        const auto read = result->kind == Kind::string ? readResult(result->text) : std::nullopt;
        if (read) {
            test.result = *read;
        } else {
            addDamage(damage, "result is not \"valid\", \"invalid\" or \"acceptable\"");
        }
    }
    return damage;
}

constexpr std::array<std::string_view, 4> standardNames{"tcId", "comment", "flags", "result"};

// The data members (key, iv, msg, ...) hold hex as strings.
std::string readData(const Value& object) {
    std::string damage;
    for (const Json::Member& member : object.members) {
        if (std::ranges::find(standardNames, member.name) == standardNames.end() &&
            member.value.kind != Kind::string) {
            addDamage(damage, wrongKind(member.name, member.value, "a string"));
        }
    }
    return damage;
}

ReadRecord<Test> readTest(const std::string& fileName, const File& file,
                          const std::shared_ptr<const Group>& group, const std::string& groupDamage,
                          TestObject object, std::size_t number) {
    ReadRecord<Test> record{fileName, object.line, std::nullopt, {}, {}, {}};
    Test test{file.storage, group, number, 0, {}, {}, Result::valid, object.fields};
    if (test.fields.kind != Kind::object) {
        record.damage = wrongKind("the test", test.fields, "an object");
        record.test = testName(group->number, std::nullopt);
        return record;
    }
    std::string damage = readStandard(test.fields, test);
    addDamage(damage, readData(test.fields));
    addDamage(damage, groupDamage);
    const Value* tcId = test.fields.find("tcId");
    record.test = testName(group->number, tcId != nullptr ? Json::integerOf(*tcId) : std::nullopt);
    if (damage.empty()) {
        record.vector = std::move(test);
    } else {
        record.damage = std::move(damage);
    }
    return record;
}

// Why a group's tests cannot be tests: its own damage, or a "type" that is no string.
std::string groupDamage(const GroupObject& object) {
    if (!object.damage.empty()) {
        return "its group: " + object.damage;
    }
    const Value* type = object.fields.find("type");
    if (type == nullptr) {
        return "its group: missing field: type";
    }
    return type->kind == Kind::string ? "" : "its group: " + wrongKind("type", *type, "a string");
}

// The damage of the file as a whole: its top-level members and its count of tests.
std::string fileDamage(const File& file, std::size_t tests) {
    std::string damage;
    for (const std::string_view name : {"algorithm", "numberOfTests"}) {
        if (file.header.find(name) == nullptr) {
            addDamage(damage, "missing field: " + std::string(name));
        }
    }
    const Value* algorithm = file.header.find("algorithm");
    if (algorithm != nullptr && algorithm->kind != Kind::string) {
        addDamage(damage, wrongKind("algorithm", *algorithm, "a string"));
    }
    if (const Value* declared = file.header.find("numberOfTests")) {
        const auto count = Json::integerOf(*declared);
        if (!count) {
            addDamage(damage, wrongKind("numberOfTests", *declared, "an integer"));
        } else if (*count < 0 || static_cast<std::size_t>(*count) != tests) {
            addDamage(damage, "numberOfTests is " + std::to_string(*count) +
                                  ", but the file holds " + std::to_string(tests) + " tests");
        }
    }
    return damage;
}

} // namespace

std::string_view resultName(Result result) noexcept {
    switch (result) {
    case Result::valid:
        return "valid";
    case Result::invalid:
        return "invalid";
    case Result::acceptable:
        return "acceptable";
    }
    return "valid";
}

File readFile(std::string name, std::string text) {
    JsonVectors::VectorFile read = JsonVectors::readVectorFile(std::move(text));
    File file{std::move(name), read.storage, {}, {}, read.header, {}, 0};
    file.algorithm = file.header.string("algorithm").value_or("");
    file.schema = file.header.string("schema").value_or("");
    for (const GroupObject& object : read.groups) {
        file.tests += object.tests.size();
    }
    file.records.reserve(file.tests + 1);
    std::size_t number = 0;
    std::string lastTest;
    for (const GroupObject& object : read.groups) {
        const std::string damage = groupDamage(object);
        auto group = std::make_shared<Group>(Group{
            object.number, object.line, object.fields.string("type").value_or(""), object.fields});
        for (const TestObject& test : object.tests) {
            file.records.push_back(readTest(file.name, file, group, damage, test, ++number));
            lastTest = file.records.back().test;
        }
        if (!object.damage.empty() && object.tests.empty()) {
            // No test of the group can be told apart: the group is one damaged record.
            file.records.push_back({file.name,
                                    object.line,
                                    std::nullopt,
                                    damage,
                                    {},
                                    testName(object.number, std::nullopt)});
        }
    }
    if (read.error) {
        file.records.push_back({file.name,
                                read.error->place.line,
                                std::nullopt,
                                JsonVectors::describeError(*read.error),
                                {},
                                lastTest.empty() ? "" : "after " + lastTest});
    } else if (!read.damage.empty()) {
        file.records.push_back({file.name, read.damageLine, std::nullopt, read.damage, {}, {}});
    } else if (std::string damage = fileDamage(file, file.tests); !damage.empty()) {
        file.records.push_back({file.name, 1, std::nullopt, std::move(damage), {}, {}});
    }
    return file;
}

Folder readFolder(const DataSource& source, std::string_view relativeDirectory,
                  const KatFiles::FileSelection& select) {
    Folder folder;
    folder.check = KatFiles::readFiles(
        source, relativeDirectory, select,
        [&folder](const std::string&, const std::string& name, std::string text) {
            return folder.files.emplace_back(readFile(name, std::move(text))).tests;
        });
    return folder;
}

zorvan::testing::VectorOrigin origin(std::string_view relativeDirectory,
                                     const ReadRecord<Test>& record) {
    const Test& test = *record.vector;
    const std::array<const Value*, 2> objects{&test.group->fields, &test.fields};
    return {std::string(relativeDirectory) + "/" + record.fileName, record.line, test.number,
            JsonVectors::originFields(objects)};
}

} // namespace Test::WycheproofFiles
