#pragma once
// The known-answer audit of zorvan-check: a suite that reads fewer vectors than its data
// holds, or data that holds fewer than README.md records, must not end in a green run.

#include <Test/KatFiles.hpp>
#include <Test/RecordLedger.hpp>
#include <zorvan/testing/test.hpp>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::check {

/// SuiteData: where a suite's known answers come from: a folder under the data directory,
/// the record-start field, the start of the names of the files it reads ("" for all), and
/// the "L" header of the sections it reads ("" for all).
struct SuiteData {
    std::string folder;
    std::string startName;
    std::string fileLabel;
    std::string sectionLength;
};

/// suiteData: the data of a suite of the catalogue by its exact name (SHA256, HMAC-SHA1,
/// AES128, Twofish, Camellia128, HMAC-MD5, SHA3-256, SHA512-224), or nothing for a suite with
/// no KAT folder (MD5) or not audited (the suites that read two folders, the sweeps and the
/// Monte Carlo files, whose checkpoints are not records).
std::optional<SuiteData> suiteData(std::string_view suite);

/// readDocumentedCounts: the files and records of each folder in the table of a data
/// README ("| `KAT_SHA` | 10 | 901 | ..."), by folder name. Rows that do not read as such
/// are ignored. Never fails.
std::map<std::string, Test::KatFiles::KatRecordCount>
readDocumentedCounts(std::string_view readmeText);

/// knownAnswerLeaves: how many unit-test leaves a suite's tree has: its known-answer tests
/// (the property groups hold property leaves only). Never fails.
std::size_t knownAnswerLeaves(const std::vector<zorvan::testing::Test>& tests);

/// SuiteAccount: what became of a suite's records: how many its files held, how many became
/// tests, and what its building noted of the rest.
struct SuiteAccount {
    Test::KatFiles::KatRecordCount held;
    std::size_t tests = 0;
    Test::RecordLedger::Ledger ledger;
    /// problems: why the suite must fail: no test from a folder that exists, or a folder
    /// whose files or records differ from README.md's counts.
    std::vector<std::string> problems;
};

/// KnownAnswerAudit: accounts for the suites of one run, reading each folder once.
class KnownAnswerAudit {
public:
    /// account: the records the suite's files held, the tests its tree has, the ledger its
    /// building kept, and its problems; nothing for a suite with no data. A folder that cannot
    /// be read is not accounted (the suite's own building reports it). Never throws.
    std::optional<SuiteAccount> account(std::string_view suite,
                                        const std::vector<zorvan::testing::Test>& tests,
                                        Test::RecordLedger::Ledger ledger);

private:
    const std::vector<Test::KatFiles::KatFile>* folder(const SuiteData& data);
    std::optional<std::string> installProblem(const std::string& folderName,
                                              const Test::KatFiles::KatRecordCount& found);

    std::map<std::string, std::optional<std::vector<Test::KatFiles::KatFile>>> folders_;
    std::optional<std::map<std::string, Test::KatFiles::KatRecordCount>> documented_;
};

/// accountLine: "SHA256: 129 of 129 records in 2 files became tests", then ledgerLines.
std::string accountLine(std::string_view suite, const SuiteAccount& account);

/// ledgerLine: for a suite the audit does not account, "AES128-CTR: 15 records became tests"
/// then ledgerLines, when its ledger noted a record that became no test or an unread field;
/// nothing otherwise. Never fails beyond allocation.
std::optional<std::string> ledgerLine(std::string_view suite,
                                      const Test::RecordLedger::Ledger& ledger);

/// ledgerLines: a line for each reason records became no test and for each field no test
/// reads, with how many records and where the first stands:
/// "\n  2572 refused key: 24 octets (first at Test/KAT_AES/CBCGFSbox192-d.rsp:8)",
/// "\n  1 unread field: CIPHERTXT (first at ...)"; "" for a ledger with neither.
std::string ledgerLines(const Test::RecordLedger::Ledger& ledger);

} // namespace zorvan::check
