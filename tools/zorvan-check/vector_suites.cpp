#include "vector_suites.hpp"

#include <zorvan/testing/runner.hpp>

namespace zorvan::check {

namespace {

// The suite's name for one type: its file's number, the row and the type's key bits, if any.
std::string suiteNameFor(std::size_t number, const std::string& row,
                         const ::Test::Suites::Subject& subject) {
    const ::Test::Suites::Suite pattern{
        ::Test::Suites::SuiteKind::knownAnswers, row + "-{bits}", {}, {}};
    std::string name = ::Test::Suites::suiteName(pattern, subject);
    if (name.ends_with('-')) {
        name.pop_back();
    }
    return "File" + std::to_string(number) + "-" + name;
}

::Test::VectorFile::Inferred inspected(const std::string& path) {
    try {
        return ::Test::VectorFile::inspect(path);
    } catch (const ::Test::VectorFile::MappingError& error) {
        throw zorvan::testing::UsageError(error.what());
    }
}

} // namespace

std::vector<VectorFileSuites> vectorFileSuites(const std::vector<std::string>& paths,
                                               const std::vector<Backend>& backends,
                                               const ::Test::Suites::SuiteOptions& options) {
    std::vector<VectorFileSuites> files;
    for (const std::string& path : paths) {
        VectorFileSuites file{inspected(path), {}};
        const std::size_t number = files.size() + 1;
        for (const Backend& backend : backends) {
            for (const BackendAlgorithm& line : backend.algorithms) {
                if (line.algorithm != file.inferred.row) {
                    continue;
                }
                const ::Test::Suites::Subject subject = line.subject();
                file.suites.push_back(
                    {std::string(backend.name), suiteNameFor(number, file.inferred.row, subject),
                     [subject, path, options](const ::Test::DataSource& source) {
                         return ::Test::VectorFile::vectorFileTests(subject, path, options,
                                                                    source.ledger());
                     }});
            }
        }
        if (file.suites.empty()) {
            throw zorvan::testing::UsageError(path + ": " + file.inferred.description +
                                              ", and no backend selected here has " +
                                              file.inferred.row);
        }
        files.push_back(std::move(file));
    }
    return files;
}

} // namespace zorvan::check
