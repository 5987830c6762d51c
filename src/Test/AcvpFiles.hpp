#pragma once
// Test::AcvpFiles: the reader of ACVP vector sets: a prompt file and its expectedResults file,
// paired test by test through tgId and tcId, or an internalProjection file, which holds both.
// It yields, per test, a record with its origin for a suite to bind: the test with its set and
// group, or why it cannot be one (malformed JSON, a missing required field, a wrong type, an
// answer with no prompt, a prompt with no answer), so that every test is accounted for.

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

namespace Test::AcvpFiles {

/// Set: what every test of a vector set shares, as its prompt (or projection) declares it:
/// vsId, algorithm ("ACVP-AES-GCM", "SHA2-256"), mode ("" when it has none), revision ("1.0"),
/// isSample, and the file's top-level members other than "testGroups".
struct Set {
    std::int64_t vsId = 0;
    std::string_view algorithm;
    std::string_view mode;
    std::string_view revision;
    bool isSample = false;
    Json::Value header;
};

/// Group: a prompt's test group: tgId, its line, testType ("AFT", "MCT", "LDT", "VOT", ...),
/// direction ("encrypt", "decrypt", "gen", "ver"; "" when it has none) and its members other
/// than "tests" (keyLen, ivLen, tagLen, mctVersion, ...).
struct Group {
    std::int64_t tgId = 0;
    std::size_t line = 0;
    std::string_view testType;
    std::string_view direction;
    Json::Value fields;
};

/// LargeMessage: the message of a Large Data Test as the file describes it: content (hex) of
/// contentLength bits, stretched by expansionTechnique ("repeating") to fullLength bits. It
/// stays a description: nothing of fullLength is ever held in memory by the reader.
struct LargeMessage {
    std::string_view content;
    std::uint64_t contentLength = 0;
    std::uint64_t fullLength = 0;
    std::string_view expansionTechnique;
};

/// Test: one test of a set: its set and group, tcId, the prompt's test object (the inputs),
/// the expected result's test object (the outputs; the same object in a projection) and that
/// one's line, and the described large message of a test that has "largeMsg". Its views point
/// into the storages it keeps alive: copy the test, not its views alone, into what outlives
/// it.
struct Test {
    std::shared_ptr<const Set> set;
    std::shared_ptr<const Group> group;
    std::shared_ptr<const Json::Storage> promptStorage;
    std::shared_ptr<const Json::Storage> answerStorage;
    std::size_t number = 0; // among the set's prompt tests, from 1
    std::int64_t tcId = 0;
    Json::Value prompt;
    Json::Value answer;
    std::size_t answerLine = 0;
    std::optional<LargeMessage> largeMessage;

    /// input: the prompt's string member named name, or nothing. Never fails.
    [[nodiscard]] std::optional<std::string_view> input(std::string_view name) const noexcept {
        return prompt.string(name);
    }
    /// expected: the expected result's string member named name, or nothing. Never fails.
    [[nodiscard]] std::optional<std::string_view> expected(std::string_view name) const noexcept {
        return answer.string(name);
    }
};

/// SetRead: a set read: its set (nullptr when the prompt cannot say it), one record per test
/// in the prompt's order, each a test or damage, then the answers with no prompt and the
/// damage of the files as a whole; and how many test objects each file holds. A record names
/// its test "tgId=<id>,tcId=<id>"; it carries the prompt's file name, or the answers' for an
/// answer with no prompt and the answers' own damage.
struct SetRead {
    std::shared_ptr<const Set> set;
    std::vector<ReadRecord<Test>> records;
    std::size_t promptTests = 0;
    std::size_t answerTests = 0;
};

/// readPair: the prompt file named promptName holding promptText and its expectedResults file
/// named answersName holding answersText, paired by tgId and tcId. The two must declare the
/// same vsId, algorithm and revision, or every test is damaged. Never throws beyond
/// allocation.
SetRead readPair(std::string promptName, std::string promptText, std::string answersName,
                 std::string answersText);

/// readProjection: an internalProjection file (prompt and answers in one) named name holding
/// text. Never throws beyond allocation.
SetRead readProjection(std::string name, std::string text);

/// readPairFiles, readProjectionFile: the same of files at paths, read with KatFiles::readWhole
/// (".gz" expanded); records carry the paths as file names. Throw what readWhole throws.
SetRead readPairFiles(const std::string& promptPath, const std::string& answersPath);
SetRead readProjectionFile(const std::string& path);

/// Folder: a set's folder under the data root read, and what reading it found.
struct Folder {
    KatFiles::FolderCheck check;
    SetRead set;
};

/// readFolder: the set in the source's relativeDirectory: its prompt and expectedResults files
/// ("prompt.json", "expectedResults.json", each optionally ".gz") when a prompt is there, else
/// its internalProjection file, read as KatFiles::readFiles reads them. A folder with a prompt
/// and no expectedResults, or with neither a prompt nor a projection, gives one damaged record
/// saying so. Throws what readFiles throws.
Folder readFolder(const DataSource& source, std::string_view relativeDirectory);

/// origin: the origin of a test record of the set in relativeDirectory: the prompt file as
/// "directory/fileName", the record's line, the test's number, and its group's fields, then the
/// prompt test's, then the expected result's other than tcId. Never fails beyond allocation.
zorvan::testing::VectorOrigin origin(std::string_view relativeDirectory,
                                     const ReadRecord<Test>& record);

} // namespace Test::AcvpFiles
