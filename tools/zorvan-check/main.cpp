// zorvan-check: tests the crypto libraries this build knows (OpenSSL, libgcrypt, nettle,
// libsodium) against every installed vector and every property, and reports what failed.

#include "accounting.hpp"
#include "catalogue.hpp"
#include "differential.hpp"
#include "progress.hpp"
#include "vector_suites.hpp"

#include <Paths_zorvan_tests.hpp>
#include <zorvan/testing/html_report.hpp>
#include <zorvan/testing/main.hpp>
#include <zorvan/testing/runner.hpp>
#include <zorvan/testing/session.hpp>
#include <zorvan/testing/suite_table.hpp>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace {

using namespace zorvan::check;
using zorvan::testing::UsageError;

struct CheckOptions {
    std::vector<std::string> backends;
    std::vector<std::string> suites;
    std::vector<std::string> vectors;
    std::optional<std::string> dataDirectory;
    std::optional<std::string> htmlPath;
    ::Test::Suites::SuiteOptions suiteOptions;
    std::vector<const char*> runnerArguments;
    bool differential = false;
    double differentialSeconds = 0;
};

// --duration's value: a whole number of seconds.
double durationSeconds(std::string_view value) {
    if (value.empty() || value.size() > 7 ||
        !std::ranges::all_of(value, [](char digit) { return digit >= '0' && digit <= '9'; })) {
        throw UsageError("--duration takes a whole number of seconds, not '" + std::string(value) +
                         "'");
    }
    return std::stod(std::string(value));
}

void appendList(std::vector<std::string>& list, std::string_view commaSeparated) {
    std::size_t start = 0;
    while (start <= commaSeparated.size()) {
        const std::size_t comma = std::min(commaSeparated.find(',', start), commaSeparated.size());
        if (comma > start) {
            list.emplace_back(commaSeparated.substr(start, comma - start));
        }
        start = comma + 1;
    }
}

::Test::Wycheproof::Acceptable acceptablePolicy(std::string_view name) {
    if (const auto policy = ::Test::Wycheproof::acceptableNamed(name)) {
        return *policy;
    }
    throw UsageError("--acceptable takes either, valid or invalid, not '" + std::string(name) +
                     "'");
}

// Takes zorvan-check's own options out of the command line; the runner reads the rest.
CheckOptions splitOptions(int argc, char** argv) {
    CheckOptions options;
    options.runnerArguments.push_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const auto value = [&]() -> std::string_view {
            if (equals != std::string_view::npos) {
                return argument.substr(equals + 1);
            }
            return zorvan::testing::separateValue(argc, argv, i, name);
        };
        if (name == "--backend") {
            appendList(options.backends, value());
        } else if (name == "--suite") {
            appendList(options.suites, value());
        } else if (name == "--vectors") {
            options.vectors.emplace_back(value());
            // The paths that follow, up to the next option.
            while (equals == std::string_view::npos && i + 1 < argc && argv[i + 1][0] != '-') {
                options.vectors.emplace_back(argv[++i]);
            }
        } else if (name == "--data-dir") {
            options.dataDirectory = std::string(value());
        } else if (name == "--html") {
            options.htmlPath = std::string(value());
            if (options.htmlPath->empty()) {
                throw UsageError("--html needs a file name, not ''");
            }
        } else if (name == "--long" && equals == std::string_view::npos) {
            options.suiteOptions.longMessages = true;
        } else if (name == "--acceptable") {
            options.suiteOptions.acceptable = acceptablePolicy(value());
        } else if (name == "--differential" && equals == std::string_view::npos) {
            options.differential = true;
        } else if (name == "--duration") {
            options.differential = true;
            options.differentialSeconds = durationSeconds(value());
        } else {
            options.runnerArguments.push_back(argv[i]);
        }
    }
    return options;
}

// The catalogue's suite names, wrapped under the --suite option; a suite that only some
// backends run names them.
std::string suiteList() {
    const std::string indent(21, ' ');
    constexpr std::size_t width = 92;
    std::string list;
    std::size_t column = width;
    const std::size_t allBackends = knownBackends().size();
    for (const SuiteName& suite : suiteNames()) {
        std::string item = suite.name;
        if (suite.backends.size() < allBackends) {
            std::string backends;
            for (const std::string_view backend : suite.backends) {
                backends.append(backends.empty() ? "" : " ").append(backend);
            }
            item += " (" + backends + ")";
        }
        if (column + 1 + item.size() > width) {
            list += "\n" + indent + item;
            column = indent.size() + item.size();
        } else {
            list += " " + item;
            column += 1 + item.size();
        }
    }
    return list;
}

std::string usage(std::string_view program) {
    std::string backends;
    for (const Backend& backend : knownBackends()) {
        backends += "\n                     " + std::string(backend.name) + " (" +
                    std::string(backend.library) + ")";
    }
    return "usage: " + std::string(program) + R"( [options]

Tests the crypto libraries this build knows against every installed known-answer vector and
every property, then the vectors the published files lack (AES-CTR counter carries, RFC HMAC,
hash length sweeps) and the conformance laws of every hash, HMAC and cipher.

options:
  --backend NAMES    only these backends (comma-separated, or the option repeated):)" +
           backends + R"(
  --suite GLOBS      only the suites whose name matches (comma-separated globs, or the option
                     repeated); in the order they run, with the backends that have them
                     where not all do:)" +
           suiteList() + R"(
  --data-dir DIR     read the KAT files under DIR (the folder that holds Test/KAT_*); by
                     default $zorvan_tests_datadir when set, else the installed data, or the
                     source tree's when run from the build tree
  --vectors PATH...  run these vector files instead of the installed ones: ACVP sets' files
                     (a prompt.json or expectedResults.json, read as a pair, or an
                     internalProjection.json; each optionally .gz), Wycheproof files, and
                     CAVP response files whose header names their algorithm; says what each
                     is taken for, then runs it on every backend type that has its
                     algorithm, as suites File<n>-<algorithm>[-<key bits>]
  --long             end each Sweep suite with its long message (512 MiB: a second or two each)
                     and run the ACVP large data tests (1 to 8 GiB each, streamed)
  --html FILE        also write the results as one self-contained HTML page: the suites of
                     each backend coloured by result, the skips with their reasons, and each
                     failure with its vector and the octets that differ marked
  --acceptable WHICH how the Wycheproof suites judge their "acceptable" tests: either (the
                     default: taken or refused, what is taken must be right), valid (must be
                     taken) or invalid (must be refused)
  --differential     also compare every pair of backends on every algorithm and key size they
                     share, on drawn inputs (suites Diff-<algorithm>[-<key bits>], backend
                     first-vs-second); each leaf checks the --cases count (default 100) of
                     inputs, and a disagreement shows its shrunk case
  --duration SECONDS the differential suites draw inputs for about SECONDS in all (implies
                     --differential)
)" + zorvan::testing::runOptionsHelp() +
           R"(
Leaf paths are backend/suite/..., for example openssl/SHA256/NistSHA256-17.

)" + zorvan::testing::exitStatusHelp();
}

bool matchesAny(const std::vector<std::string>& patterns, std::string_view name) {
    return patterns.empty() ||
           std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
               return zorvan::testing::globMatch(pattern, name);
           });
}

std::vector<Backend> selectedBackends(const CheckOptions& options) {
    std::vector<Backend> backends = knownBackends();
    std::erase_if(backends, [&](const Backend& backend) {
        return !matchesAny(options.backends, backend.name);
    });
    return backends;
}

// The suites a run may select from: the vector files' when --vectors names some, else the
// catalogue's.
std::vector<SuiteEntry> candidateSuites(const CheckOptions& options,
                                        const std::vector<VectorFileSuites>& files) {
    if (files.empty()) {
        return builtSuites(options.suiteOptions);
    }
    std::vector<SuiteEntry> suites;
    for (const VectorFileSuites& file : files) {
        suites.insert(suites.end(), file.suites.begin(), file.suites.end());
    }
    return suites;
}

void requireKnownBackends(const CheckOptions& options) {
    const std::vector<Backend> known = knownBackends();
    for (const std::string& name : options.backends) {
        const auto backend = std::find_if(known.begin(), known.end(),
                                          [&](const Backend& info) { return info.name == name; });
        if (backend == known.end()) {
            std::string names;
            for (const Backend& info : known) {
                names += (names.empty() ? "" : ", ") + std::string(info.name);
            }
            throw UsageError("unknown backend '" + name + "' (known: " + names + ")");
        }
    }
}

std::vector<SuiteEntry> selectSuites(const CheckOptions& options,
                                     const std::vector<VectorFileSuites>& files,
                                     std::string_view filter) {
    const std::vector<Backend> known = knownBackends();
    std::vector<SuiteEntry> candidates = candidateSuites(options, files);
    std::vector<std::string> suites;
    if (files.empty()) {
        for (const SuiteName& suite : suiteNames()) {
            suites.push_back(suite.name);
        }
    } else {
        for (const SuiteEntry& entry : candidates) {
            suites.push_back(entry.suite);
        }
    }
    if (options.differential) {
        for (const SuiteEntry& entry : differentialSuites(
                 known, [](std::string_view, std::string_view) { return true; }, 0)) {
            suites.push_back(entry.suite);
        }
    }
    for (const std::string& pattern : options.suites) {
        if (std::none_of(suites.begin(), suites.end(), [&](const std::string& suite) {
                return zorvan::testing::globMatch(pattern, suite);
            })) {
            throw UsageError("no suite is named like '" + pattern + "' (--help lists the suites)");
        }
    }
    // Suites that the filter cannot reach are not built, so reading their files costs nothing.
    const std::string prefix = zorvan::testing::globLiteralPrefix(filter);
    const auto reachable = [&](std::string_view backend, std::string_view suite) {
        const std::string start = std::string(backend) + "/" + std::string(suite) + "/";
        return (start.starts_with(prefix) || prefix.starts_with(start)) &&
               matchesAny(options.suites, suite);
    };
    std::vector<SuiteEntry> selected;
    for (SuiteEntry& entry : candidates) {
        if (reachable(entry.backend, entry.suite) && matchesAny(options.backends, entry.backend)) {
            selected.push_back(std::move(entry));
        }
    }
    if (options.differential) {
        for (SuiteEntry& entry : differentialSuites(selectedBackends(options), reachable,
                                                    options.differentialSeconds)) {
            selected.push_back(std::move(entry));
        }
    }
    if (selected.empty()) {
        throw std::runtime_error(
            "no suite is selected by these --backend, --suite and --filter options");
    }
    return selected;
}

// The data root: --data-dir; else $zorvan_tests_datadir or the installed data, except that in
// the build tree the checker reads the source tree's data.
std::string dataRoot(const CheckOptions& options) {
    if (options.dataDirectory) {
        return *options.dataDirectory;
    }
    std::error_code error;
    const auto executable = std::filesystem::canonical("/proc/self/exe", error);
    const std::string buildTree = ZORVAN_CHECK_BUILD_DIR;
    if (!error && executable.string().starts_with(buildTree + "/") &&
        std::getenv("zorvan_tests_datadir") == nullptr) {
        return ZORVAN_CHECK_SOURCE_DATA_DIR;
    }
    return Paths_zorvan_tests::getDataDir();
}

// A suite that cannot be built (its KAT directory missing, say) becomes one failing leaf that
// says why, so that the run reports it and counts it.
std::vector<zorvan::testing::Test> buildSuite(const SuiteEntry& entry,
                                              const ::Test::DataSource& source) {
    try {
        return entry.build(source);
    } catch (const std::exception& error) {
        const std::string message = std::string("cannot build the suite: ") + error.what() +
                                    "; point --data-dir (or zorvan_tests_datadir) at the folder "
                                    "that holds Test/KAT_*";
        return {zorvan::testing::testCase("building",
                                          [message] { throw std::runtime_error(message); })};
    }
}

// For the checker's own tests: ZORVAN_CHECK_FAULT_IN names a leaf path whose run does what
// a faulty library call might: ZORVAN_CHECK_FAULT says what ("abort", the default; "exit",
// exit(0); "hang", sleep for good; "throw", an exception from the leaf runner itself).
zorvan::testing::LeafRunner leafRunner() {
    const char* faultIn = std::getenv("ZORVAN_CHECK_FAULT_IN");
    if (faultIn == nullptr) {
        return zorvan::testing::runLeaf;
    }
    const std::string fault =
        std::getenv("ZORVAN_CHECK_FAULT") == nullptr ? "abort" : std::getenv("ZORVAN_CHECK_FAULT");
    const auto faulty =
        std::make_shared<zorvan::testing::Test>(zorvan::testing::testCase("fault", [fault] {
            if (fault == "exit") {
                std::exit(0);
            }
            while (fault == "hang") {
                ::pause();
            }
            std::abort();
        }));
    return [path = std::string(faultIn), fault, faulty](
               const zorvan::testing::Leaf& leaf, const zorvan::testing::CheckSettings& settings) {
        zorvan::testing::Leaf chosen = leaf;
        if (leaf.path == path && fault == "throw") {
            throw std::runtime_error("the leaf runner broke");
        }
        if (leaf.path == path) {
            chosen.test = faulty.get();
        }
        return zorvan::testing::runLeaf(chosen, settings);
    };
}

int check(int argc, char** argv) {
    const CheckOptions options = splitOptions(argc, argv);
    zorvan::testing::CommandLine line = zorvan::testing::parseCommandLine(
        static_cast<int>(options.runnerArguments.size()), options.runnerArguments.data());
    if (line.helpRequested) {
        std::cout << usage(argv[0]);
        zorvan::testing::flushStandardOutput("the help");
        return 0;
    }
    zorvan::testing::requireStandardOutput();
    if (!options.vectors.empty() && options.differential) {
        throw UsageError("--vectors runs the files' known answers; --differential draws its "
                         "inputs, so the two do not combine");
    }
    const std::string root = dataRoot(options);
    zorvan::testing::RunOptions& run = line.options;
    // Building the suites reads every vector file: guard that as well as the run.
    zorvan::testing::RunSession session(run);
    // Checked before any vector is read, as the JUnit destination is; a list writes no page.
    std::optional<zorvan::testing::HtmlReport> html;
    if (options.htmlPath && !run.list) {
        html.emplace(*options.htmlPath, "zorvan-check");
    }
    // Skips are listed by reason under the table; --verbose lists each one.
    run.reportEachSkip = false;
    if (options.dataDirectory) {
        run.rerunCommand += " --data-dir " + zorvan::testing::shellWord(*options.dataDirectory);
    }

    ProgressLine progress(std::cout, ::isatty(STDOUT_FILENO) != 0 && !run.list);
    std::ostream report(&progress);
    zorvan::testing::SuiteTable table(report, {"backend", "suite"});
    std::vector<std::pair<std::string, std::string>> accounting;
    table.setNotes([&] { return accountingReport(accounting); });
    // Each suite is built when the run reaches it and dropped once it ran, so the run holds one
    // suite's tests at a time.
    // The session reports a selection that fails as it reports a build that fails.
    std::vector<SuiteEntry> selected;
    std::vector<VectorFileSuites> files;
    session.build([&] {
        requireKnownBackends(options);
        files = vectorFileSuites(options.vectors, selectedBackends(options), options.suiteOptions);
        selected = selectSuites(options, files, run.filter);
        return std::vector<zorvan::testing::Test>{};
    });
    for (const VectorFileSuites& file : files) {
        if (!run.list) {
            report << file.inferred.path << ": " << file.inferred.description << '\n';
        }
        run.rerunCommand += " --vectors " + zorvan::testing::shellWord(file.inferred.path);
    }
    std::vector<zorvan::testing::LazyGroup> suites;
    for (SuiteEntry& entry : selected) {
        table.addRow({entry.backend, entry.suite});
        if (html) {
            html->addSuite(entry.backend, entry.suite);
        }
        suites.push_back({entry.backend + "/" + entry.suite, [&, entry = std::move(entry)] {
                              ::Test::RecordLedger::Ledger ledger;
                              std::vector<zorvan::testing::Test> suite =
                                  buildSuite(entry, ::Test::DataSource(root, &ledger));
                              if (std::optional<std::string> account =
                                      accountLine(entry.suite, ledger)) {
                                  accounting.emplace_back(entry.backend, std::move(*account));
                              }
                              return suite;
                          }});
    }

    ProgressReporter progressReporter(progress, suites.size());
    run.listeners = {&progressReporter, &table};
    if (html) {
        run.listeners.push_back(&*html);
    }
    const zorvan::testing::LeafRunner runOne = leafRunner();
    run.executor = run.isolate ? zorvan::testing::isolatedExecutor(run.jobs, run.timeout, runOne)
                               : zorvan::testing::threadedExecutor(run.jobs, runOne);
    const zorvan::testing::RunSummary summary = zorvan::testing::run(suites, run, report);
    report.flush();
    zorvan::testing::flushStandardOutput(run.list ? "the list" : "the report");
    return summary.failed == 0 && !summary.nothingSelected ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return check(argc, argv);
    } catch (const UsageError& error) {
        zorvan::testing::reportRefusedCommandLine(argc, argv, error.what());
        std::cerr << argv[0] << ": " << error.what() << "\n(see " << argv[0] << " --help)\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << argv[0] << ": " << error.what() << '\n';
        return 1;
    }
}
