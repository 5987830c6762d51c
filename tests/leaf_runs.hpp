#pragma once
// Running every leaf of a built list, unit and property leaves alike, and reading the outcomes:
// what the XOF, MAC and XTS suite tests share.

#include <zorvan/testing/runner.hpp>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace leaf_runs {

/// LeafRun: how one leaf of a built list ended.
struct LeafRun {
    std::string path;
    zorvan::testing::LeafStatus status;
    std::string report;
};

/// runAll: every leaf of tests in order, properties with the default 100 cases and a fixed seed.
inline std::vector<LeafRun> runAll(const std::vector<zorvan::testing::Test>& tests) {
    std::vector<LeafRun> runs;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        const zorvan::testing::LeafOutcome outcome = zorvan::testing::runLeaf(leaf, {.seed = 7});
        runs.push_back({leaf.path, outcome.status, outcome.report()});
    }
    return runs;
}

/// pathsWith: the paths of the leaves that ended with status, in order.
inline std::vector<std::string> pathsWith(const std::vector<LeafRun>& runs,
                                          zorvan::testing::LeafStatus status) {
    std::vector<std::string> paths;
    for (const LeafRun& run : runs) {
        if (run.status == status) {
            paths.push_back(run.path);
        }
    }
    return paths;
}

/// failedLeafNames: the last path component of every failed leaf, as a set.
inline std::set<std::string> failedLeafNames(const std::vector<LeafRun>& runs) {
    std::set<std::string> names;
    for (const std::string& path : pathsWith(runs, zorvan::testing::LeafStatus::failed)) {
        names.insert(path.substr(path.rfind('/') + 1));
    }
    return names;
}

/// reportOf: the report of the first leaf whose path ends with name; "" when there is none.
inline std::string reportOf(const std::vector<LeafRun>& runs, const std::string& name) {
    const auto found = std::ranges::find_if(runs, [&](const LeafRun& run) {
        return run.path.size() >= name.size() &&
               run.path.compare(run.path.size() - name.size(), name.size(), name) == 0;
    });
    return found == runs.end() ? std::string() : found->report;
}

} // namespace leaf_runs
