#pragma once
// Test::JsonVectors: what the Wycheproof and ACVP readers share. Both formats are one JSON
// object whose "testGroups" array holds group objects whose "tests" array holds the tests; this
// unit walks that shape once, notes where each group and test stands, and says what breaks it,
// so that the readers only judge fields.

#include <Test/Json.hpp>

#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Test::JsonVectors {

/// TestObject: one item of a group's "tests": its line and the value itself (an object in a
/// well-formed file).
struct TestObject {
    std::size_t line = 0;
    Json::Value fields;
};

/// GroupObject: one item of "testGroups": its number in the file (from 1), its line, its
/// members other than "tests" (an empty object for an item that is no object), its tests, and
/// why its tests cannot be read when they cannot ("" otherwise).
struct GroupObject {
    std::size_t number = 0;
    std::size_t line = 0;
    Json::Value fields;
    std::vector<TestObject> tests;
    std::string damage;
};

/// VectorFile: a JSON vector file walked: the storage its values view, its top-level members
/// other than "testGroups", its groups, why nothing of it can be read as groups ("" when it can)
/// and where the text stopped reading as JSON, if it did. The groups and tests before that
/// error are all there; a test the text broke off inside is left out (the error accounts for
/// it).
struct VectorFile {
    std::shared_ptr<const Json::Storage> storage;
    Json::Value header;
    std::vector<GroupObject> groups;
    std::string damage;
    std::size_t damageLine = 0;
    std::optional<Json::ReadError> error;
};

/// readVectorFile: text walked as a vector file. An ACVP exchange that wraps the object in an
/// array after a version object ([{"acvVersion": ...}, {...}]) is read as that object. Never
/// throws beyond allocation.
VectorFile readVectorFile(std::string text);

/// recordStart: the record-start field that a suite's data folder names for JSON vector files
/// (Suites::DataFolder): each test object, which holds a tcId, is a record.
inline constexpr std::string_view recordStart = "tcId";

/// countTests: how many test objects readVectorFile finds in text, whole or not: the record
/// count of a JSON vector file in the data manifest. Never throws beyond allocation.
std::size_t countTests(std::string text);

/// FieldNames: names of members.
using FieldNames = std::span<const std::string_view>;

/// fieldDamage: why a test or group object does not hold what a suite reads: the names among
/// needed it lacks, those of needed that are not strings, and the members it holds that are
/// not among known ("missing field: tag; not a string: iv (a number); unknown field: tga");
/// "" when all is well. Never fails beyond allocation.
std::string fieldDamage(const Json::Value& object, FieldNames needed, FieldNames known);

/// originFields: the members of each object in turn as an origin's fields: strings, numbers,
/// booleans and nulls as their text, arrays of those joined with ", ", deeper values as
/// "(an array)" or "(an object)". Never fails beyond allocation.
std::vector<zorvan::testing::VectorField> originFields(std::span<const Json::Value* const> objects);

/// addDamage: appends part to damage, joined with "; "; nothing for an empty part. Never fails
/// beyond allocation.
void addDamage(std::string& damage, std::string_view part);

/// wrongKind: "<name> is <the value's kind>, not <expected>" ("tcId is a string, not an
/// integer"). Never fails beyond allocation.
std::string wrongKind(std::string_view name, const Json::Value& value, std::string_view expected);

/// describeError: "the text stops reading as JSON at line L, column C: why; nothing after it
/// is read". Never fails beyond allocation.
std::string describeError(const Json::ReadError& error);

} // namespace Test::JsonVectors
