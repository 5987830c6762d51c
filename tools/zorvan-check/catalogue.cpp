#include "catalogue.hpp"

#include <algorithm>

namespace zorvan::check {

std::vector<Backend> knownBackends() {
    return {opensslBackend(), gcryptBackend(), nettleBackend()};
}

std::vector<SuiteEntry> backendSuites(const Backend& backend, LongMessage longMessage) {
    std::vector<AlgorithmSuite> suites;
    for (const Algorithm algorithm : backend.algorithms) {
        for (AlgorithmSuite& suite : algorithm()) {
            suites.push_back(std::move(suite));
        }
    }
    std::stable_sort(suites.begin(), suites.end(),
                     [](const AlgorithmSuite& first, const AlgorithmSuite& second) {
                         return first.kind < second.kind;
                     });
    std::vector<SuiteEntry> entries;
    for (AlgorithmSuite& suite : suites) {
        entries.push_back(
            {std::string(backend.name), std::move(suite.name),
             [build = std::move(suite.build), longMessage] { return build(longMessage); }});
    }
    return entries;
}

std::vector<SuiteEntry> builtSuites(LongMessage longMessage) {
    std::vector<SuiteEntry> entries;
    for (const Backend& backend : knownBackends()) {
        for (SuiteEntry& entry : backendSuites(backend, longMessage)) {
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

std::vector<SuiteName> suiteNames() {
    std::vector<SuiteName> names;
    for (const Backend& backend : knownBackends()) {
        // A suite this backend lacks goes after the one it ran before, so that each backend's
        // order holds in the merged list.
        auto next = names.begin();
        for (const SuiteEntry& entry : backendSuites(backend)) {
            auto known = std::find_if(names.begin(), names.end(), [&](const SuiteName& name) {
                return name.name == entry.suite;
            });
            if (known == names.end()) {
                known = names.insert(next, {entry.suite, {}});
            }
            known->backends.push_back(backend.name);
            next = known + 1;
        }
    }
    return names;
}

} // namespace zorvan::check
