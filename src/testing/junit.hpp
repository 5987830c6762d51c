#pragma once
// The JUnit report: its XML, and a destination that no reader ever sees half written and that
// never keeps an earlier run's report.

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

/// renderRunFailure: the JUnit XML of a run that ended without running its leaves: one failed
/// testcase "zorvan" / name whose message is why. CI systems that read it see a failure.
/// Never fails beyond allocation.
std::string renderRunFailure(std::uint64_t seed, std::string_view name, std::string_view why);

/// unfinishedRunReason: what the report standing in for a run that is still going says.
inline constexpr std::string_view unfinishedRunReason =
    "the run did not finish: it was killed, crashed or ended by _exit before it could write "
    "this report";

/// JUnitDestination: where a report goes. A regular file (or a path where none is yet) is
/// replaced whole on each write: the text goes to a temporary file beside it that is renamed
/// over it. A character device or a FIFO (/dev/null, /dev/stdout, a pipe) is written in place,
/// once; it is never replaced. A symbolic link is followed, so the link stays.
class JUnitDestination {
public:
    /// JUnitDestination: checks the path and, for a device or FIFO, opens it. Throws
    /// std::runtime_error naming the path and the reason when it cannot take a report: an empty
    /// path, a directory, a block device or socket, a dangling link, a FIFO no process reads, a
    /// folder where no file can be created.
    explicit JUnitDestination(std::string path);
    JUnitDestination(const JUnitDestination&) = delete;
    JUnitDestination& operator=(const JUnitDestination&) = delete;
    ~JUnitDestination();

    /// replaceable: whether earlier writes can be replaced (a regular file), so that a stand-in
    /// report is worth writing first.
    [[nodiscard]] bool replaceable() const noexcept { return !inPlace_; }

    /// standIn: for a replaceable destination, writes text (a report standing in for the run
    /// until it ends) in the place of what the file held; when that fails, removes the file, so
    /// that no earlier report outlives the run, and throws as write does. Does nothing for a
    /// device or FIFO.
    void standIn(std::string_view text);

    /// write: puts text at the destination (see the class). Throws std::runtime_error naming the
    /// path and the reason ("No space left on device") when a write, the close or the rename
    /// fails; a regular file then keeps what it held, and no temporary file stays behind.
    void write(std::string_view text);

private:
    void replace(std::string_view text) const;

    std::string path_;
    std::string shownPath_;
    int fd_ = -1;
    bool inPlace_ = false;
};

/// JUnitReporter: writes the JUnit report of a run to its destination when the run ends; a run
/// cut short marks the leaves that did not run as skipped, "not run: " and the reason, and a
/// run whose selection holds no leaf is one failed testcase "selection" saying so.
class JUnitReporter : public RunListener {
public:
    JUnitReporter(JUnitDestination& destination, const RunOptions& options)
        : destination_(destination), options_(options) {}

    void runStarting(const RunStart& start) override;
    void leafEnded(std::size_t index, const Leaf& leaf, const LeafOutcome& outcome,
                   const RunSummary& soFar) override;
    /// runEnded: writes the report; throws as JUnitDestination::write does.
    void runEnded(const RunEnd& end) override;

private:
    JUnitDestination& destination_;
    const RunOptions& options_;
    const std::vector<Leaf>* all_ = nullptr;
    std::vector<JUnitCase> cases_;
};

} // namespace zorvan::testing::detail
