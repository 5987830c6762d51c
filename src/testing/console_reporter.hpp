#pragma once
// The text report of a run: the seed, each failure (and skip) with a command that reruns it,
// and the closing line.

#include <zorvan/testing/runner.hpp>

#include <iosfwd>
#include <string>
#include <vector>

namespace zorvan::testing::detail {

/// rerunLine: "seed N; rerun: COMMAND", the command naming the leaf by path, and by
/// occurrence where all holds other leaves of that path, so that it runs exactly that leaf.
/// Never fails beyond allocation.
std::string rerunLine(const std::vector<Leaf>& all, const Leaf& leaf, const RunOptions& options);

/// ConsoleReporter: writes the text report to out, flushing each leaf's lines as they come so
/// that a run that hangs or is killed still shows how far it got. Text from the code under
/// test is made visible (see visibleText). Throws what the stream throws.
class ConsoleReporter : public RunListener {
public:
    ConsoleReporter(const RunOptions& options, std::ostream& out) : options_(options), out_(out) {}

    void runStarting(const RunStart& start) override;
    void groupStarting(const RunStart& group) override;
    void leafEnded(std::size_t index, const Leaf& leaf, const LeafOutcome& outcome,
                   const RunSummary& soFar) override;
    void runEnded(const RunEnd& end) override;

private:
    const RunOptions& options_;
    std::ostream& out_;
    const std::vector<Leaf>* all_ = nullptr;
};

} // namespace zorvan::testing::detail
