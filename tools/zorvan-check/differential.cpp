#include "differential.hpp"

#include <Test/Differential.hpp>

#include <algorithm>
#include <memory>
#include <variant>

namespace zorvan::check {

namespace {

using ::Test::Suites::Subject;

template <class View> using ViewOf = std::shared_ptr<const View>;

// The key bits that tell a subject's variants of an algorithm apart; 0 for an unkeyed one.
struct KeyBits {
    std::size_t operator()(const ViewOf<::Test::Crypto::HashView>&) const { return 0; }
    std::size_t operator()(const ViewOf<::Test::Crypto::XofView>&) const { return 0; }
    std::size_t operator()(const ViewOf<::Test::Crypto::XtsView>& view) const {
        return view->keyLength() / 2;
    }
    template <class View> std::size_t operator()(const ViewOf<View>& view) const {
        return view->keyLength();
    }
};

struct Variant {
    std::string_view backend;
    Subject subject;
};

// One algorithm at one key size, and the backends that have it.
struct Shared {
    std::string suite;
    std::vector<Variant> variants;
};

std::vector<Shared> sharedAlgorithms(const std::vector<Backend>& backends) {
    std::vector<Shared> shared;
    for (const Backend& backend : backends) {
        for (const BackendAlgorithm& line : backend.algorithms) {
            Subject subject = line.subject();
            const std::size_t bits = std::visit(KeyBits{}, subject);
            // Appended, not concatenated: GCC 12 at -O3 takes "-" + ... for an overlapping copy.
            std::string suite = "Diff-";
            suite.append(line.algorithm);
            if (bits != 0) {
                suite.append("-").append(std::to_string(bits));
            }
            auto known = std::ranges::find(shared, suite, &Shared::suite);
            if (known == shared.end()) {
                known = shared.insert(shared.end(), {std::move(suite), {}});
            }
            known->variants.push_back({backend.name, std::move(subject)});
        }
    }
    return shared;
}

} // namespace

std::vector<SuiteEntry> differentialSuites(
    const std::vector<Backend>& backends,
    const std::function<bool(std::string_view backend, std::string_view suite)>& selected,
    double seconds) {
    struct Pair {
        std::string backend;
        std::string suite;
        ::Test::Differential::Side first;
        ::Test::Differential::Side second;
    };
    std::vector<Pair> pairs;
    for (const Shared& algorithm : sharedAlgorithms(backends)) {
        for (std::size_t i = 0; i < algorithm.variants.size(); ++i) {
            for (std::size_t j = i + 1; j < algorithm.variants.size(); ++j) {
                const Variant& first = algorithm.variants[i];
                const Variant& second = algorithm.variants[j];
                std::string backend =
                    std::string(first.backend) + "-vs-" + std::string(second.backend);
                if (selected(backend, algorithm.suite)) {
                    pairs.push_back({std::move(backend),
                                     algorithm.suite,
                                     {std::string(first.backend), first.subject},
                                     {std::string(second.backend), second.subject}});
                }
            }
        }
    }
    const ::Test::Differential::Budget budget{
        pairs.empty() ? 0 : seconds / static_cast<double>(pairs.size())};
    std::vector<SuiteEntry> entries;
    entries.reserve(pairs.size());
    for (Pair& pair : pairs) {
        entries.push_back({std::move(pair.backend), std::move(pair.suite),
                           [first = std::move(pair.first), second = std::move(pair.second),
                            budget](const ::Test::DataSource&) {
                               return ::Test::Differential::differentialTests(first, second,
                                                                              budget);
                           }});
    }
    return entries;
}

} // namespace zorvan::check
