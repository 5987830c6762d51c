#pragma once
// What the Wycheproof suites share: which file a row reads, walking its tests with every one
// accounted for, their leaf names and notes, the check of their fields, and the acceptable
// policy.

#include <Test/DataSource.hpp>
#include <Test/JsonVectors.hpp>
#include <Test/RecordTests.hpp>
#include <Test/WycheproofFiles.hpp>
#include <Test/WycheproofPolicy.hpp>

#include <zorvan/testing/test.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Test::Wycheproof {

/// Record: one test of a Wycheproof file, read.
using Record = ReadRecord<WycheproofFiles::Test>;

/// BindTest: binds one intact test record to the type under test: adds its test, or accounts
/// for it otherwise (RecordTests::otherVariant, fail).
using BindTest = std::function<void(RecordTests&, const Record&)>;

/// fileOf: the file that the algorithm table's row algorithm reads ("aes_gcm_test.json"; the
/// data holds it gzip-compressed, with ".gz" added).
/// Throws std::invalid_argument for a row without one.
std::string_view fileOf(std::string_view algorithm);

/// fileTests: the tests of file, its name (or the installed file defaultName when file names
/// none) read under its folder, and name.gz as well: each intact test handed to bind; each
/// damaged one, and the file's damage, a failing leaf naming file and tcId; a file that differs
/// from the manifest, or gives no test, fails too. Throws Test::KatFiles::KatDirectoryError when
/// the folder cannot be listed or the file read, and what bind throws.
std::vector<zorvan::testing::Test> fileTests(const DataSource& source, const FileAt& file,
                                             std::string_view defaultName, const BindTest& bind);

/// placeOf: where a record of a file in directory stands, as the ledger and failing leaves name
/// it.
RecordLedger::RecordPlace placeOf(std::string_view directory, const Record& record) noexcept;

/// leafName: the test's leaf, "tc" and its tcId ("tc17"). Never fails beyond allocation.
std::string leafName(const WycheproofFiles::Test& test);

/// describe: what a failure shows of the test besides its values: "tcId 17 (comment); flags:
/// ModifiedTag; result: invalid". Never fails beyond allocation.
std::string describe(const WycheproofFiles::Test& test);

/// testDamage: why the test is no test of groupType ("AeadTest") with the data fields needed:
/// a group of another type, a missing or unknown field; "" when none. Never fails beyond
/// allocation.
std::string testDamage(const WycheproofFiles::Test& test, std::string_view groupType,
                       JsonVectors::FieldNames needed);

/// judged: the result a test must meet under the policy: valid or invalid, or nothing for an
/// acceptable test either outcome meets. Never fails.
std::optional<WycheproofFiles::Result> judged(WycheproofFiles::Result result,
                                              Acceptable acceptable) noexcept;

} // namespace Test::Wycheproof
