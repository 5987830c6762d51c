#pragma once
// Test::RecordLedger: what the known-answer suites made of the records they read. Their
// builders return tests only; when the data source they read from keeps a ledger, the record
// readers also note there each record that became a test, each one left to another variant of
// the algorithm (a key of another size, another digest's section) and each one that failed the
// suite because the data is damaged or the type refused what it must take.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace Test::RecordLedger {

/// Occurrences: how many records share a note, and where the first of them starts
/// ("Test/KAT_AES/CBCMMT128-e.rsp:47").
struct Occurrences {
    /// records: how many records share the note.
    std::size_t records = 0;
    /// first: where the first of them starts, as describePlace writes it.
    std::string first;

    /// operator==: the same count and first place.
    friend bool operator==(const Occurrences&, const Occurrences&) = default;
};

/// Ledger: the records noted while a suite was built from a data source that keeps it.
struct Ledger {
    /// files: how many files the suites read.
    std::size_t files = 0;
    /// tests: how many records became a test.
    std::size_t tests = 0;
    /// otherVariants: the records left to another variant of the algorithm by a documented
    /// rule, by why ("refused key: 24 octets", "section [L=28]").
    std::map<std::string, Occurrences> otherVariants;
    /// failed: the records that became a failing leaf, by why ("missing field: CIPHERTEXT",
    /// "unknown field: CIPHERTXT", "refused key of the type's own size: 16 octets").
    std::map<std::string, Occurrences> failed;

    /// records: every record noted, whatever became of it.
    [[nodiscard]] std::size_t records() const noexcept;
};

/// Recording: while it lives, a data source made on this thread with no ledger of its own
/// (Test::DataSource's default) notes into ledger; the recording open before it, if any,
/// resumes when it ends.
class Recording {
public:
    /// Recording: opens a recording into ledger on this thread; ledger must outlive it.
    explicit Recording(Ledger& ledger) noexcept;
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    /// open: the ledger of the recording open on this thread, or nullptr.
    [[nodiscard]] static Ledger* open() noexcept;

private:
    Ledger* resumed_;
};

/// RecordPlace: where a record starts: its folder under the data directory, its file's name,
/// its line (0 where it has none) and, in a JSON vector file, the test it is ("tgId=3,tcId=17";
/// empty in a response file). Notes show it as "directory/fileName:line (test)".
struct RecordPlace {
    /// directory: the folder relative to the data directory ("Test/KAT_AES").
    std::string_view directory;
    /// fileName: the file's name in that folder.
    std::string_view fileName;
    /// line: the line the record starts on, from 1.
    std::size_t line;
    /// test: the test within a JSON vector file ("tgId=3,tcId=17"); empty in a response file.
    std::string_view test{};
};

/// describePlace: "directory/fileName:line", without ":line" when the line is 0 and followed by
/// " (test)" when the place names a test. Never fails beyond allocation.
std::string describePlace(const RecordPlace& place);

/// noteFile: a file the suite read. Does nothing without a ledger.
void noteFile(Ledger* ledger) noexcept;
/// noteTest: a record that became a test. Does nothing without a ledger.
void noteTest(Ledger* ledger) noexcept;
/// noteOtherVariant: a record at place left to another variant, for why. Does nothing without
/// a ledger; never fails beyond allocation.
void noteOtherVariant(Ledger* ledger, const RecordPlace& place, const std::string& why);
/// noteFailed: a record at place that became a failing leaf, for why. Does nothing without a
/// ledger; never fails beyond allocation.
void noteFailed(Ledger* ledger, const RecordPlace& place, const std::string& why);

} // namespace Test::RecordLedger
