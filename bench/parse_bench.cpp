// Throughput of parseCategories on the NIST SHA-1 and SHA-2 message files, beside a plain
// memchr scan of the same bytes for line feeds (the floor any line-based parser stands on),
// and of hexStringToBS on the messages of those files.

#include <Test/Crypto/hex.hpp>
#include <Test/ParseNistKATs.hpp>

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 10> shaMessageFiles{
    "SHA1ShortMsg.rsp",   "SHA1LongMsg.rsp",   "SHA224ShortMsg.rsp", "SHA224LongMsg.rsp",
    "SHA256ShortMsg.rsp", "SHA256LongMsg.rsp", "SHA384ShortMsg.rsp", "SHA384LongMsg.rsp",
    "SHA512ShortMsg.rsp", "SHA512LongMsg.rsp"};

// The project's own copy when it has one, else the shared published vectors.
std::filesystem::path findShaFile(std::string_view name) {
    for (const char* directory : {ZORVAN_BENCH_KAT_SHA_DIR, ZORVAN_BENCH_SHARED_SHA_DIR}) {
        const std::filesystem::path path = std::filesystem::path(directory) / name;
        if (std::filesystem::is_regular_file(path)) {
            return path;
        }
    }
    throw std::runtime_error("parse_bench: no " + std::string(name) + " in " +
                             ZORVAN_BENCH_KAT_SHA_DIR + " or " + ZORVAN_BENCH_SHARED_SHA_DIR);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

const std::vector<std::string>& shaTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> read;
        for (const std::string_view name : shaMessageFiles) {
            read.push_back(readFile(findShaFile(name)));
        }
        return read;
    }();
    return texts;
}

std::int64_t totalBytes(const std::vector<std::string>& texts) {
    std::size_t total = 0;
    for (const std::string& text : texts) {
        total += text.size();
    }
    return static_cast<std::int64_t>(total);
}

std::size_t countLineFeeds(std::string_view text) {
    std::size_t count = 0;
    const char* const end = text.data() + text.size();
    for (const char* next = text.data(); next != end; ++count) {
        const void* lineFeed = std::memchr(next, '\n', static_cast<std::size_t>(end - next));
        if (lineFeed == nullptr) {
            break;
        }
        next = static_cast<const char*>(lineFeed) + 1;
    }
    return count;
}

void parseShaMessageFiles(benchmark::State& state) {
    const std::vector<std::string>& texts = shaTexts();
    for (auto _ : state) {
        for (const std::string& text : texts) {
            benchmark::DoNotOptimize(Test::ParseNistKATs::parseCategories("Len", text));
        }
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(texts));
}

void countLineFeedsOfShaMessageFiles(benchmark::State& state) {
    const std::vector<std::string>& texts = shaTexts();
    for (auto _ : state) {
        for (const std::string& text : texts) {
            benchmark::DoNotOptimize(countLineFeeds(text));
        }
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(texts));
}

std::vector<std::string> shaMessages() {
    std::vector<std::string> messages;
    for (const std::string& text : shaTexts()) {
        for (const auto& category : Test::ParseNistKATs::parseCategories("Len", text)) {
            for (const auto& record : category.records) {
                messages.emplace_back(record.field("Msg").value_or(""));
            }
        }
    }
    return messages;
}

void decodeShaMessages(benchmark::State& state) {
    const std::vector<std::string> messages = shaMessages();
    for (auto _ : state) {
        for (const std::string& message : messages) {
            benchmark::DoNotOptimize(Test::Crypto::hexStringToBS(message));
        }
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(messages));
}

BENCHMARK(parseShaMessageFiles);
BENCHMARK(countLineFeedsOfShaMessageFiles);
BENCHMARK(decodeShaMessages);

} // namespace

BENCHMARK_MAIN();
