#pragma once
// Test::RecordLedger: what the known-answer suites made of the records they read. Their
// builders return tests only; while a ledger is open on a thread, the record readers of the
// suites built there also note each record that became a test, each one that did not and why,
// and each field that no test reads (a misspelled CIPHERTXT, say).

#include <Test/ParseNistKATs.hpp>

#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace Test::RecordLedger {

/// DropReason: why a record became no test.
enum class DropReason { missingField, refusedKey, refusedIV, unknownSection };

/// describe: "missing field", "refused key", "refused IV" or "unknown section".
std::string_view describe(DropReason reason) noexcept;

/// Occurrences: how many records share a note, and where the first of them starts
/// ("Test/KAT_AES/CBCMMT128-e.rsp:47").
struct Occurrences {
    std::size_t records = 0;
    std::string first;

    friend bool operator==(const Occurrences&, const Occurrences&) = default;
};

/// Ledger: the records noted while it was open.
struct Ledger {
    std::size_t tests = 0;
    /// dropped: the records that became no test, by reason and detail ("CIPHERTEXT",
    /// "24 octets").
    std::map<std::pair<DropReason, std::string>, Occurrences> dropped;
    /// unreadFields: by name, the fields that no test reads, in records that became a test or
    /// lack a field.
    std::map<std::string, Occurrences> unreadFields;

    /// droppedRecords: how many records became no test.
    [[nodiscard]] std::size_t droppedRecords() const noexcept;
};

/// Recording: while it lives, the record readers on this thread note into ledger; the
/// recording open before it, if any, resumes when it ends.
class Recording {
public:
    explicit Recording(Ledger& ledger) noexcept;
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

private:
    Ledger* resumed_;
};

/// FieldNames: the names of the fields a suite knows in its records: those it reads, and those
/// it knows to leave (HMAC's Klen, which its Key implies).
using FieldNames = std::span<const std::string_view>;

/// RecordPlace: where a record starts: its folder under the data directory, its file's name
/// and its line. Notes show it as "directory/fileName:line", formatted only when a ledger is
/// open, so that readers pay nothing for it otherwise.
struct RecordPlace {
    std::string_view directory;
    std::string_view fileName;
    std::size_t line;
};

/// noteTest: a record that became a test, and its fields that are not among knownFields. Does
/// nothing when no ledger is open; never fails beyond allocation.
void noteTest(const zorvan::testing::VectorOrigin& origin, FieldNames knownFields);

/// missingNames: the names among knownFields that the record lacks, joined with ", " ("IV,
/// KEY"). Never fails beyond allocation.
std::string missingNames(const ParseNistKATs::KatRecord& record, FieldNames knownFields);

/// noteMissingFields: a record at place that became no test because it lacks the fields
/// named in missing (the detail), and its fields that are not among knownFields, as noteTest
/// notes them. Does nothing when no ledger is open; never fails beyond allocation.
void noteMissingFields(const RecordPlace& place, const ParseNistKATs::KatRecord& record,
                       FieldNames knownFields, std::string missing);

/// noteRefused: a record that became no test because the implementation refused its key or
/// its IV (reason), of octets octets: the detail is "24 octets". Does nothing when no ledger is
/// open; never fails beyond allocation.
void noteRefused(const zorvan::testing::VectorOrigin& origin, DropReason reason,
                 std::size_t octets);

/// noteDropped: a record at place that became no test for reason, with its detail. Does
/// nothing when no ledger is open; never fails beyond allocation.
void noteDropped(const RecordPlace& place, DropReason reason, std::string detail);

} // namespace Test::RecordLedger
