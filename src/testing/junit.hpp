#pragma once
// The JUnit report: its XML, and a file that no reader ever sees half written.

#include <zorvan/testing/runner.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::testing::detail {

/// JUnitCase: one testcase of the report: its leaf, its outcome (none for a leaf that did not
/// run) and, for a failure, the whole text the console shows for it.
struct JUnitCase {
    const Leaf* leaf = nullptr;
    std::optional<LeafOutcome> outcome;
    std::string failureText;
};

/// renderJUnit: the JUnit XML of a run: the seed as a property of the suite, then each case;
/// a case without an outcome is written as skipped with notRunReason. Times are decimal
/// numbers of seconds; text that XML cannot hold (control characters, bytes that are not
/// UTF-8) is escaped visibly, so the document is well-formed whatever the values hold.
/// Never fails beyond allocation.
std::string renderJUnit(std::uint64_t seed, const std::vector<JUnitCase>& cases,
                        std::string_view notRunReason);

/// JUnitFile: a report file written beside its path under a temporary name and renamed
/// over the path only when complete.
class JUnitFile {
public:
    /// JUnitFile: creates the temporary file, so that a path that cannot be written is found
    /// before the first leaf runs. Throws std::runtime_error naming the path and the reason.
    explicit JUnitFile(std::string path);
    JUnitFile(const JUnitFile&) = delete;
    JUnitFile& operator=(const JUnitFile&) = delete;
    /// ~JUnitFile: removes the temporary file unless it was committed.
    ~JUnitFile();

    /// commit: writes the text to the temporary file and renames it over the path. Throws
    /// std::runtime_error naming the path and the reason ("No space left on device") when a
    /// write, the close or the rename fails; the path is then left as it was.
    void commit(std::string_view text);

private:
    std::string path_;
    std::string temporaryPath_;
    int fd_ = -1;
};

/// JUnitReporter: writes the JUnit report of a run to a JUnitFile when the run ends; a run
/// cut short marks the leaves that did not run as skipped, "not run: " and the reason.
class JUnitReporter : public RunListener {
public:
    /// JUnitReporter: creates the JUnitFile; throws as it does.
    JUnitReporter(std::string path, const RunOptions& options)
        : file_(std::move(path)), options_(options) {}

    void runStarting(const RunStart& start) override;
    void leafEnded(std::size_t index, const Leaf& leaf, const LeafOutcome& outcome,
                   const RunSummary& soFar) override;
    /// runEnded: commits the file; throws as JUnitFile::commit does.
    void runEnded(const RunEnd& end) override;

private:
    JUnitFile file_;
    const RunOptions& options_;
    const std::vector<Leaf>* all_ = nullptr;
    std::vector<JUnitCase> cases_;
};

} // namespace zorvan::testing::detail
