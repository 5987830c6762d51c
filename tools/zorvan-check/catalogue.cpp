#include "catalogue.hpp"

#include <algorithm>

namespace zorvan::check {

std::vector<Backend> knownBackends() {
    return {opensslBackend(), gcryptBackend(), nettleBackend(), sodiumBackend()};
}

std::vector<SuiteEntry> backendSuites(const Backend& backend,
                                      const ::Test::Suites::SuiteOptions& options) {
    struct Kinded {
        ::Test::Suites::SuiteKind kind;
        SuiteEntry entry;
    };
    std::vector<Kinded> suites;
    for (const BackendAlgorithm& line : backend.algorithms) {
        const ::Test::Suites::Subject subject = line.subject();
        for (const ::Test::Suites::Suite& suite :
             ::Test::Suites::algorithm(line.algorithm).suites) {
            suites.push_back({suite.kind,
                              {std::string(backend.name), ::Test::Suites::suiteName(suite, subject),
                               [&suite, subject, options](const ::Test::DataSource& source) {
                                   return suite.build(subject, source, options);
                               }}});
        }
    }
    std::ranges::stable_sort(suites, {}, &Kinded::kind);
    std::vector<SuiteEntry> entries;
    entries.reserve(suites.size());
    for (Kinded& suite : suites) {
        entries.push_back(std::move(suite.entry));
    }
    return entries;
}

std::vector<SuiteEntry> builtSuites(const ::Test::Suites::SuiteOptions& options) {
    std::vector<SuiteEntry> entries;
    for (const Backend& backend : knownBackends()) {
        for (SuiteEntry& entry : backendSuites(backend, options)) {
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
