// The JSON vector files: the two JSON libraries Debian packages parsing them (the choice of
// the readers' library), and the readers loading and building every shipped ACVP set and
// Wycheproof file. bench/json-vs-python runs the readers beside Python's json.load.
//
// The files: the folder $ZORVAN_BENCH_JSON_DIR when set (an "acvp/<set>/" tree of decompressed
// .json files and a "wycheproof/" folder, as bench/json-vs-python writes it), else the published
// vectors beside the repository, expanded from gzip once before timing.

#include <Test/AcvpFiles.hpp>
#include <Test/Json.hpp>
#include <Test/KatFiles.hpp>
#include <Test/WycheproofFiles.hpp>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One ACVP set's files (the projection may be absent) or one Wycheproof file.
struct SetFiles {
    fs::path prompt;
    fs::path answers;
    fs::path projection;
};

struct Corpus {
    std::vector<SetFiles> sets;
    std::vector<fs::path> wycheproof;
    std::vector<std::string> texts; // every file's text, for the parsers alone
    std::size_t octets = 0;
};

std::vector<fs::path> sorted(const fs::path& folder) {
    std::vector<fs::path> paths;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        paths.push_back(entry.path());
    }
    std::ranges::sort(paths);
    return paths;
}

// The file of a set named stem, as .json or .json.gz.
fs::path setFile(const fs::path& set, const std::string& stem) {
    for (const char* extension : {".json", ".json.gz"}) {
        if (fs::exists(set / (stem + extension))) {
            return set / (stem + extension);
        }
    }
    return {};
}

Corpus loadCorpus() {
    const char* own = std::getenv("ZORVAN_BENCH_JSON_DIR");
    const fs::path root = own != nullptr ? fs::path(own) : fs::path(ZORVAN_BENCH_VECTORS_DIR);
    const fs::path wycheproof =
        own != nullptr ? root / "wycheproof" : root / "wycheproof/testvectors_v1";
    Corpus corpus;
    for (const fs::path& set : sorted(root / "acvp")) {
        if (fs::is_directory(set)) {
            corpus.sets.push_back({setFile(set, "prompt"), setFile(set, "expectedResults"),
                                   setFile(set, "internalProjection")});
        }
    }
    corpus.wycheproof = sorted(wycheproof);
    const auto keep = [&corpus](const fs::path& path) {
        if (!path.empty()) {
            corpus.texts.push_back(Test::KatFiles::readWhole(path.string()));
            corpus.octets += corpus.texts.back().size();
        }
    };
    for (const SetFiles& set : corpus.sets) {
        keep(set.prompt);
        keep(set.answers);
        keep(set.projection);
    }
    std::ranges::for_each(corpus.wycheproof, keep);
    if (corpus.sets.empty() || corpus.wycheproof.empty()) {
        throw std::runtime_error("no vector files under " + root.string());
    }
    return corpus;
}

const Corpus& corpus() {
    static const Corpus loaded = loadCorpus();
    return loaded;
}

void countOctets(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(corpus().octets));
}

// The libraries on their own: each text parsed to the library's own tree.
void BM_ParseNlohmannJson(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& text : corpus().texts) {
            benchmark::DoNotOptimize(nlohmann::json::parse(text));
        }
    }
    countOctets(state);
}

void BM_ParseSimdjsonDom(benchmark::State& state) {
    simdjson::dom::parser parser;
    for (auto _ : state) {
        for (const std::string& text : corpus().texts) {
            simdjson::dom::element root;
            if (parser.parse(text).get(root)) {
                state.SkipWithError("simdjson refused a file");
            }
            benchmark::DoNotOptimize(root);
        }
    }
    countOctets(state);
}

// The readers' own JSON layer (simdjson On-Demand into values with their places).
void BM_ParseJsonValues(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& text : corpus().texts) {
            benchmark::DoNotOptimize(Test::Json::parse(text));
        }
    }
    countOctets(state);
}

// Loading and building every set and file: the records the suites bind, read from the files
// (page-cached), each ACVP set paired and its projection read alone.
std::size_t readEverySet() {
    std::size_t records = 0;
    for (const SetFiles& set : corpus().sets) {
        records += Test::AcvpFiles::readPairFiles(set.prompt.string(), set.answers.string())
                       .records.size();
        if (!set.projection.empty()) {
            records += Test::AcvpFiles::readProjectionFile(set.projection.string()).records.size();
        }
    }
    for (const fs::path& path : corpus().wycheproof) {
        records += Test::WycheproofFiles::readFile(path.filename().string(),
                                                   Test::KatFiles::readWhole(path.string()))
                       .records.size();
    }
    return records;
}

void BM_ReadEverySet(benchmark::State& state) {
    std::size_t records = 0;
    for (auto _ : state) {
        records = readEverySet();
        benchmark::DoNotOptimize(records);
    }
    state.counters["records"] = static_cast<double>(records);
    countOctets(state);
}

} // namespace

BENCHMARK(BM_ParseNlohmannJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseSimdjsonDom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseJsonValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEverySet)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
