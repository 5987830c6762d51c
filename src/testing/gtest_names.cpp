#include <zorvan/testing/gtest_names.hpp>

#include "visible_text.hpp"

#include <Paths_zorvan_tests.hpp>

#include <map>
#include <set>

namespace zorvan::testing {

namespace {

constexpr std::string_view filterSpecial = "-:*?";
constexpr char replacement = '_';
constexpr std::string_view topLevelSuite = "zorvan";

std::string fullName(const GoogleTestName& name) {
    return name.suite + '.' + name.name;
}

} // namespace

std::string filterSafeName(std::string_view text) {
    if (text.empty()) {
        return std::string(1, replacement);
    }
    std::string safe(text);
    for (char& character : safe) {
        if (filterSpecial.find(character) != std::string_view::npos) {
            character = replacement;
        }
    }
    return safe;
}

std::vector<GoogleTestName> googleTestNames(const std::vector<Leaf>& leaves) {
    std::vector<GoogleTestName> names;
    names.reserve(leaves.size());
    for (const Leaf& leaf : leaves) {
        // GoogleTest writes names into its XML as they are: only visible UTF-8 keeps it readable.
        names.push_back({filterSafeName(detail::visibleText(
                             leaf.groupPath.empty() ? topLevelSuite : leaf.groupPath)),
                         filterSafeName(detail::visibleText(leaf.name))});
    }
    // Every name as the leaves give it is reserved first, so that a numbered repeat never takes
    // the name of a later leaf.
    std::set<std::string> taken;
    for (const GoogleTestName& name : names) {
        taken.insert(fullName(name));
    }
    std::map<std::string, std::size_t> occurrences;
    for (GoogleTestName& name : names) {
        std::size_t& occurrence = occurrences[fullName(name)];
        if (++occurrence == 1) {
            continue;
        }
        const std::string plain = name.name;
        name.name = plain + replacement + std::to_string(occurrence);
        while (taken.contains(fullName(name))) {
            name.name = plain + replacement + std::to_string(++occurrence);
        }
        taken.insert(fullName(name));
    }
    return names;
}

FailurePlace failurePlace(const FailedCheck& check) {
    if (check.origin && check.origin->line > 0) {
        return {Paths_zorvan_tests::getDataFileName(check.origin->file),
                static_cast<int>(check.origin->line)};
    }
    return {check.location.file, static_cast<int>(check.location.line)};
}

FailurePlace failurePlace(const AssertionFailure& failure) {
    return failurePlace(failure.check());
}

std::string googleTestFailure(const Leaf& leaf, const LeafOutcome& outcome, std::uint64_t seed) {
    std::string text = outcome.report();
    if (std::holds_alternative<PropertyTest>(leaf.test->node())) {
        text +=
            "\n  seed " + std::to_string(seed) + "; rerun with ZORVAN_SEED=" + std::to_string(seed);
    }
    return googleTestText(text);
}

std::string googleTestText(std::string_view text) {
    return detail::visibleText(text);
}

} // namespace zorvan::testing
