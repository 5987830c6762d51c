#pragma once
// Test::WycheproofFiles: the reader of Wycheproof's JSON vector files (testvectors_v1). It
// yields, per test, a record with its origin for a suite to bind: the test with its group, or
// why it cannot be one (malformed JSON, a missing required field, a wrong type), so that every
// test of a file is accounted for as the response files' records are.

#include <Test/DataSource.hpp>
#include <Test/Json.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Test::WycheproofFiles {

/// Result: what a test expects of the primitive: valid (must be produced and accepted),
/// invalid (must be refused, parameters the primitive does not allow included) or acceptable
/// (either).
enum class Result { valid, invalid, acceptable };

/// resultName: "valid", "invalid" or "acceptable". Never fails.
std::string_view resultName(Result result) noexcept;

/// Group: a test group: its number in the file (from 1), its line, and its members other than
/// "tests" (type, keySize, ivSize, tagSize, source, ...). type is its "type" ("AeadTest").
struct Group {
    std::size_t number = 0;
    std::size_t line = 0;
    std::string_view type;
    Json::Value fields;
};

/// Test: one test of a file: its group, its tcId, comment, flags and result, and the test
/// object whole, whose other members (key, iv, aad, msg, ct, tag, ...) are strings: text(name)
/// gives them. Its views point into storage, which it keeps alive: copy the test, not its
/// views alone, into what outlives it.
struct Test {
    std::shared_ptr<const Json::Storage> storage;
    std::shared_ptr<const Group> group;
    std::size_t number = 0; // among the file's tests, from 1
    std::int64_t tcId = 0;
    std::string_view comment;
    std::vector<std::string_view> flags;
    Result result = Result::valid;
    Json::Value fields;

    /// text: the string member named name of the test, or nothing. Never fails.
    [[nodiscard]] std::optional<std::string_view> text(std::string_view name) const noexcept {
        return fields.string(name);
    }
};

/// File: one Wycheproof file read: its entry name, its algorithm ("AES-GCM") and schema
/// ("aead_test_schema_v1.json") as it declares them ("" when it does not), its top-level members
/// other than "testGroups" (header, notes, numberOfTests, ...), and one record per test in file
/// order, each a test or damage, then the damage of the file as a whole (not JSON, a missing
/// or mistyped top-level field, a numberOfTests the tests do not make). A record's test names
/// it "group=<n>,tcId=<id>".
struct File {
    std::string name;
    std::shared_ptr<const Json::Storage> storage;
    std::string_view algorithm;
    std::string_view schema;
    Json::Value header;
    std::vector<ReadRecord<Test>> records;
    std::size_t tests = 0; // the test objects read, damaged or not
};

/// readFile: the file named name (a path or an entry name: records carry it as their
/// fileName) whose text is text. Never throws beyond allocation: what is wrong is a record.
File readFile(std::string name, std::string text);

/// Folder: the Wycheproof files of a folder under the data root, and what reading it found.
struct Folder {
    KatFiles::FolderCheck check;
    std::vector<File> files;
};

/// readFolder: the files of the source's relativeDirectory that select accepts, read as
/// KatFiles::readFiles reads them (".gz" expanded, checked against the manifest, whose record
/// count for a JSON file is its number of test objects). Throws what readFiles throws.
Folder readFolder(const DataSource& source, std::string_view relativeDirectory,
                  const KatFiles::FileSelection& select = KatFiles::everyFile);

/// origin: the origin of a test record of the file in relativeDirectory: the file as
/// "directory/fileName", the record's line, the test's number, and its group's fields then
/// its own. Never fails beyond allocation.
zorvan::testing::VectorOrigin origin(std::string_view relativeDirectory,
                                     const ReadRecord<Test>& record);

} // namespace Test::WycheproofFiles
