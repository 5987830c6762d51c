#pragma once
// RecordTests: the tests a known-answer suite makes of the records of its folders, in order,
// with every record accounted for: it becomes a test, is left to another variant of the
// algorithm by a documented rule (noted in the ledger), or becomes a failing leaf named after
// where it stands. A folder that differs from the data's manifest, or whose records give the
// suite no test, fails too.

#include <Test/DataSource.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordLedger.hpp>

#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Test {

/// DamagedData: the error of a failing leaf that stands for damaged data or a refusal the
/// type must not make; what() names the file, the line where there is one, and why.
class DamagedData : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// FieldNames: the names of the fields a suite knows in its records: those it reads, and those
/// it knows to leave (HMAC's Klen, which its Key implies).
using FieldNames = std::span<const std::string_view>;

/// missingFields: the names among needed that the record lacks, joined with ", " ("IV, KEY").
/// Never fails beyond allocation.
std::string missingFields(const ParseNistKATs::KatRecord& record, FieldNames needed);

/// recordDamage: why a record is damaged: the fields among needed it lacks, then the fields it
/// holds that are not among known ("missing field: CIPHERTEXT; unknown field: CIPHERTXT");
/// "" for a record that has every needed field and no unknown one.
std::string recordDamage(const ParseNistKATs::KatRecord& record, FieldNames needed,
                         FieldNames known);

/// placeOf: where a record starts, as the ledger and failing leaves name it.
RecordLedger::RecordPlace placeOf(const zorvan::testing::VectorOrigin& origin) noexcept;

/// ReadRecord: one record of a suite's files, read: the vector it gives, or why it gives none:
/// damage that fails the suite, or another variant of the algorithm the suite leaves by rule.
/// test names the record within a JSON file ("tgId=3,tcId=17"), as RecordPlace does.
template <class Vector> struct ReadRecord {
    std::string fileName;
    std::size_t line = 0;
    std::optional<Vector> vector;
    std::string damage;
    std::string otherVariant;
    std::string test{};
};

/// RecordTests: collects the tests of one suite folder by folder.
class RecordTests {
public:
    explicit RecordTests(const DataSource& source) noexcept : ledger_(source.ledger()) {}

    /// beginFolder: the records that follow are the folder's; each file that differs from the
    /// manifest becomes a failing leaf named after it, and each section of a file with text
    /// that is no record one named after the text's first line.
    void beginFolder(const KatFiles::Folder& folder);
    /// beginFolder: the same for a folder read with KatFiles::readFiles (JSON vector files).
    void beginFolder(const KatFiles::FolderCheck& folder);
    /// add: a record's test.
    void add(zorvan::testing::Test test);
    /// addInto: a record's test, accounted for as add does, put in the suite's own list (for a
    /// suite that nests its tests, as the ACVP sets do by test group).
    void addInto(std::vector<zorvan::testing::Test>& list, zorvan::testing::Test test);
    /// otherVariant: a record left to another variant of the algorithm, noted with why.
    void otherVariant(const RecordLedger::RecordPlace& place, const std::string& why);
    /// fail: a record that fails the suite: a leaf named "<file>:<line>" (then ":<test>" for a
    /// place that names one; without ":<line>" for a place without a line) whose run fails with
    /// DamagedData naming the place and why.
    void fail(const RecordLedger::RecordPlace& place, const std::string& why);
    /// endFolder: when no record of the folder became a test, a failing leaf named after the
    /// folder says so.
    void endFolder();

    /// addFolder: the folder's records in order, between beginFolder and endFolder: each vector
    /// handed to bind(*this, vector), which adds its test or accounts for it otherwise; each
    /// damaged record failed and each other variant noted. Throws what bind throws.
    template <class Vector, class Bind>
    void addFolder(const KatFiles::Folder& folder, std::vector<ReadRecord<Vector>> records,
                   const Bind& bind) {
        beginFolder(folder);
        addRecords(folder.directory, std::move(records), bind);
        endFolder();
    }

    /// addRecords: records of the folder directory in order, as addFolder hands them on, for a
    /// suite that calls beginFolder and endFolder itself. Throws what bind throws.
    template <class Vector, class Bind>
    void addRecords(std::string_view directory, std::vector<ReadRecord<Vector>> records,
                    const Bind& bind) {
        for (ReadRecord<Vector>& record : records) {
            const RecordLedger::RecordPlace place{directory, record.fileName, record.line,
                                                  record.test};
            if (record.vector) {
                bind(*this, std::move(*record.vector));
            } else if (!record.otherVariant.empty()) {
                otherVariant(place, record.otherVariant);
            } else {
                fail(place, record.damage);
            }
        }
    }

    /// take: the tests in the order they came.
    [[nodiscard]] std::vector<zorvan::testing::Test> take() && { return std::move(tests_); }

private:
    RecordLedger::Ledger* ledger_;
    std::vector<zorvan::testing::Test> tests_;
    std::string folder_;
    std::size_t folderFiles_ = 0;
    std::size_t folderRecords_ = 0;
    std::size_t folderTests_ = 0;
};

/// failingLeaf: a unit leaf that fails with DamagedData(message) when run.
zorvan::testing::Test failingLeaf(std::string name, std::string message);

} // namespace Test
