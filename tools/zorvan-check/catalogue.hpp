#pragma once
// The catalogue of zorvan-check: every suite for every backend. Each backend lists its
// algorithms once, each with the type that implements it (openssl_suites.cpp and the like); the
// algorithm table (Test/Suites.hpp) says which suites an algorithm gets. The run order, --help,
// --list and --suite all come from those lists.

#include <Test/DataSource.hpp>
#include <Test/Suites.hpp>
#include <zorvan/testing/test.hpp>

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::check {

/// BackendAlgorithm: one line of a backend's list: an algorithm of the table and the view of
/// the backend's type for it, such as {"SHA256", Test::Suites::subject<openssl::SHA256>}.
struct BackendAlgorithm {
    std::string_view algorithm;
    ::Test::Suites::Subject (*subject)();
};

/// Backend: a backend zorvan-check knows, the library it adapts, and its algorithms.
struct Backend {
    std::string_view name;
    std::string_view library;
    std::span<const BackendAlgorithm> algorithms;
};

Backend opensslBackend();
Backend gcryptBackend();
Backend nettleBackend();
Backend sodiumBackend();

/// knownBackends: openssl, gcrypt, nettle and sodium, in the order they run.
std::vector<Backend> knownBackends();

/// SuiteEntry: one suite of one backend; build makes its tests from a data source (reading its
/// files).
struct SuiteEntry {
    std::string backend;
    std::string suite;
    std::function<std::vector<zorvan::testing::Test>(const ::Test::DataSource&)> build;
};

/// backendSuites: the suites of the backend's algorithms, kind by kind (SuiteKind's order),
/// and within a kind in the order of its list. Builds no test.
std::vector<SuiteEntry> backendSuites(const Backend& backend,
                                      const ::Test::Suites::SuiteOptions& options = {});

/// builtSuites: backendSuites of every known backend, backend by backend. Builds no test.
std::vector<SuiteEntry> builtSuites(const ::Test::Suites::SuiteOptions& options = {});

/// SuiteName: a suite name of the catalogue and the backends that run it.
struct SuiteName {
    std::string name;
    std::vector<std::string_view> backends;
};

/// suiteNames: every suite name of the catalogue once, in the order the backends run them.
std::vector<SuiteName> suiteNames();

} // namespace zorvan::check
