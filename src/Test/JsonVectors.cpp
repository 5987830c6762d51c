#include <Test/JsonVectors.hpp>

#include <algorithm>

namespace Test::JsonVectors {

namespace {

using Json::Kind;
using Json::Value;

constexpr std::string_view groupsName = "testGroups";
constexpr std::string_view testsName = "tests";

// The object of an ACVP exchange ([{"acvVersion": ...}, {...}]), else the root itself.
Value& vectorObject(Value& root) {
    if (root.kind == Kind::array && root.members.size() == 2 &&
        root.members.front().value.find("acvVersion") != nullptr) {
        return root.members.back().value;
    }
    return root;
}

// The members of object other than name, in their order. They are moved to the front of the
// object's own members, so that no new room is needed: object holds no whole members after.
Value without(Value& object, std::string_view name) {
    Value rest = object;
    const auto removed = std::ranges::remove(rest.members, name, &Json::Member::name);
    rest.members = rest.members.first(rest.members.size() - removed.size());
    object.members = {};
    return rest;
}

// The member named name of object; a null when there is none.
Value take(const Value& object, std::string_view name) {
    const Value* found = object.find(name);
    return found == nullptr ? Value{} : *found;
}

GroupObject readGroup(Value& item, std::size_t number, Json::LineCounter& lines) {
    GroupObject group{number, lines.lineAt(item.offset), {}, {}, {}};
    if (item.kind != Kind::object) {
        group.fields.kind = Kind::object;
        group.damage = "the group is " + std::string(Json::kindName(item.kind)) + ", not an object";
        return group;
    }
    const bool named = item.find(testsName) != nullptr;
    const Value tests = take(item, testsName);
    group.fields = without(item, testsName);
    if (tests.kind != Kind::array) {
        // A group the text broke off in before its tests is the read error's to report.
        if (item.complete) {
            group.damage = !named ? "the group has no \"tests\" array"
                                  : "the group's \"tests\" is " +
                                        std::string(Json::kindName(tests.kind)) + ", not an array";
        }
        return group;
    }
    for (const Json::Member& test : tests.members) {
        if (test.value.complete) {
            const std::size_t line = lines.lineAt(test.value.offset);
            group.tests.push_back({line, test.value});
        }
    }
    return group;
}

std::string joined(const Value& array) {
    std::string text;
    for (const Json::Member& item : array.members) {
        // Appended piece by piece: GCC 12 at -O3 takes "(" + ... for an overlapping copy.
        text.append(text.empty() ? "" : ", ");
        if (item.value.kind == Kind::array || item.value.kind == Kind::object) {
            text.append("(").append(Json::kindName(item.value.kind)).append(")");
        } else {
            text.append(item.value.text);
        }
    }
    return text;
}

} // namespace

VectorFile readVectorFile(std::string text) {
    Json::Document document = Json::parse(std::move(text));
    VectorFile file{document.storage, {}, {}, {}, 0, std::move(document.error)};
    Value& root = vectorObject(document.root);
    const std::string_view stored = Json::storedText(*file.storage);
    Json::LineCounter lines(stored);
    if (root.kind != Kind::object) {
        if (!file.error) {
            file.damage =
                "the file holds " + std::string(Json::kindName(root.kind)) + ", not a JSON object";
            file.damageLine = lines.lineAt(root.offset);
        }
        return file;
    }
    Value groups = take(root, groupsName);
    file.header = without(root, groupsName);
    if (groups.kind != Kind::array) {
        if (root.complete) {
            file.damage = "the file has no \"testGroups\" array";
            file.damageLine = lines.lineAt(root.offset);
        }
        return file;
    }
    std::size_t number = 0;
    for (Json::Member& item : groups.members) {
        file.groups.push_back(readGroup(item.value, ++number, lines));
    }
    return file;
}

std::size_t countTests(std::string text) {
    std::size_t tests = 0;
    for (const GroupObject& group : readVectorFile(std::move(text)).groups) {
        tests += group.tests.size();
    }
    return tests;
}

std::string fieldDamage(const Value& object, FieldNames needed, FieldNames known) {
    std::string missing;
    std::string wrong;
    std::string unknown;
    const auto add = [](std::string& list, std::string_view item) {
        list.append(list.empty() ? "" : ", ").append(item);
    };
    for (const std::string_view name : needed) {
        const Value* value = object.find(name);
        if (value == nullptr) {
            add(missing, name);
        } else if (value->kind != Kind::string) {
            add(wrong, std::string(name) + " (" + std::string(Json::kindName(value->kind)) + ")");
        }
    }
    std::vector<std::string_view> strangers;
    for (const Json::Member& member : object.members) {
        if (std::ranges::find(known, member.name) == known.end() &&
            std::ranges::find(strangers, member.name) == strangers.end()) {
            strangers.push_back(member.name);
            add(unknown, member.name);
        }
    }
    std::string damage;
    for (const auto& [label, list] :
         {std::pair{"missing field: ", &missing}, std::pair{"not a string: ", &wrong},
          std::pair{"unknown field: ", &unknown}}) {
        if (!list->empty()) {
            damage.append(damage.empty() ? "" : "; ").append(label).append(*list);
        }
    }
    return damage;
}

std::vector<zorvan::testing::VectorField>
originFields(std::span<const Json::Value* const> objects) {
    std::vector<zorvan::testing::VectorField> fields;
    for (const Value* object : objects) {
        for (const Json::Member& member : object->members) {
            const Value& value = member.value;
            fields.push_back({std::string(member.name), value.kind == Kind::array ? joined(value)
                                                        : value.kind == Kind::object
                                                            ? "(an object)"
                                                            : std::string(value.text)});
        }
    }
    return fields;
}

void addDamage(std::string& damage, std::string_view part) {
    if (!part.empty()) {
        damage.append(damage.empty() ? "" : "; ").append(part);
    }
}

std::string wrongKind(std::string_view name, const Value& value, std::string_view expected) {
    return std::string(name)
        .append(" is ")
        .append(Json::kindName(value.kind))
        .append(", not ")
        .append(expected);
}

std::string describeError(const Json::ReadError& error) {
    return "the text stops reading as JSON at line " + std::to_string(error.place.line) +
           ", column " + std::to_string(error.place.column) + ": " + error.what +
           "; nothing after it is read";
}

} // namespace Test::JsonVectors
