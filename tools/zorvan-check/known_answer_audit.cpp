#include "known_answer_audit.hpp"

#include <Paths_zorvan_tests.hpp>
#include <Test/HMAC.hpp>
#include <zorvan/testing/runner.hpp>

#include <array>
#include <charconv>
#include <fstream>
#include <sstream>

namespace zorvan::check {

namespace {

using Test::KatFiles::KatRecordCount;

constexpr std::string_view readmePath = "Test/README.md";

std::optional<std::size_t> readCount(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> cells(std::string_view row) {
    std::vector<std::string_view> parts;
    std::size_t start = 1;
    for (std::size_t bar = row.find('|', start); bar != std::string_view::npos;
         bar = row.find('|', start)) {
        parts.push_back(row.substr(start, bar - start));
        start = bar + 1;
    }
    return parts;
}

std::string describe(const KatRecordCount& count) {
    return std::to_string(count.files) + " files and " + std::to_string(count.records) + " records";
}

} // namespace

std::optional<SuiteData> suiteData(std::string_view suite) {
    constexpr std::array<std::string_view, 5> shaLabels{"SHA1", "SHA224", "SHA256", "SHA384",
                                                        "SHA512"};
    for (const std::string_view label : shaLabels) {
        if (suite == label) {
            return SuiteData{"KAT_SHA", "Len", std::string(label), ""};
        }
        if (suite.starts_with("HMAC-") && suite.substr(5) == label) {
            return SuiteData{"KAT_HMAC", "Count", "", std::string(Test::HMAC::algToLen(label))};
        }
    }
    if (suite == "AES128" || suite == "AES192" || suite == "AES256") {
        return SuiteData{"KAT_AES", "COUNT", "", ""};
    }
    if (suite == "Twofish") {
        return SuiteData{"KAT_TWOFISH", "I", "", ""};
    }
    if (suite == "Camellia128" || suite == "Camellia192" || suite == "Camellia256") {
        return SuiteData{"KAT_CAMELLIA", "COUNT", "", ""};
    }
    if (suite == "HMAC-MD5") {
        return SuiteData{"KAT_HMAC_MD5", "Count", "", ""};
    }
    // SHA3-256 reads SHA3_256ShortMsg.rsp and SHA3_256LongMsg.rsp; SHA512-224, SHA512_224....
    for (const auto& [prefix, folder] :
         {std::pair{"SHA3-", "KAT_SHA3"}, std::pair{"SHA512-", "KAT_SHA512T"}}) {
        if (suite.starts_with(prefix) && suite.size() > std::string_view(prefix).size()) {
            std::string label(suite);
            label[label.find('-')] = '_';
            return SuiteData{folder, "Len", label, ""};
        }
    }
    return std::nullopt;
}

std::map<std::string, KatRecordCount> readDocumentedCounts(std::string_view readmeText) {
    std::map<std::string, KatRecordCount> counts;
    for (const std::string_view line : Test::ParseNistKATs::splitLines(readmeText)) {
        if (!line.starts_with("| `KAT_")) {
            continue;
        }
        const std::vector<std::string_view> row = cells(line);
        if (row.size() < 3) {
            continue;
        }
        const std::string_view name = row[0].substr(row[0].find('`') + 1);
        const auto files = readCount(row[1]);
        const auto records = readCount(row[2]);
        if (files && records && name.find('`') != std::string_view::npos) {
            counts[std::string(name.substr(0, name.find('`')))] = {*files, *records};
        }
    }
    return counts;
}

std::size_t knownAnswerLeaves(const std::vector<zorvan::testing::Test>& tests) {
    std::size_t count = 0;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        if (std::holds_alternative<zorvan::testing::UnitTest>(leaf.test->node())) {
            ++count;
        }
    }
    return count;
}

const std::vector<Test::KatFiles::KatFile>* KnownAnswerAudit::folder(const SuiteData& data) {
    const std::string key = data.folder + '\n' + data.startName;
    auto found = folders_.find(key);
    if (found == folders_.end()) {
        std::optional<std::vector<Test::KatFiles::KatFile>> files;
        try {
            files = Test::KatFiles::readKatDirectory("Test/" + data.folder, data.startName);
        } catch (const std::exception&) {
            // The suite's own building meets the same error and reports it as a failing leaf.
        }
        found = folders_.emplace(key, std::move(files)).first;
    }
    return found->second ? &*found->second : nullptr;
}

std::optional<std::string> KnownAnswerAudit::installProblem(const std::string& folderName,
                                                            const KatRecordCount& found) {
    const std::string readme = Paths_zorvan_tests::getDataFileName(readmePath);
    if (!documented_) {
        std::ifstream file(readme, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        documented_ = readDocumentedCounts(text.str());
    }
    const auto expected = documented_->find(folderName);
    if (expected == documented_->end()) {
        return "the record counts of " + folderName + " are missing from " + readme +
               ", so the installed data cannot be checked";
    }
    if (expected->second != found) {
        return "Test/" + folderName + " holds " + describe(found) + " where " + readme + " lists " +
               describe(expected->second) + ": the installed data is incomplete or changed";
    }
    return std::nullopt;
}

std::optional<SuiteAccount>
KnownAnswerAudit::account(std::string_view suite, const std::vector<zorvan::testing::Test>& tests,
                          Test::RecordLedger::Ledger ledger) {
    const std::optional<SuiteData> data = suiteData(suite);
    if (!data) {
        return std::nullopt;
    }
    const std::vector<Test::KatFiles::KatFile>* files = folder(*data);
    if (files == nullptr) {
        return std::nullopt;
    }
    std::vector<Test::KatFiles::KatFile> read;
    for (const Test::KatFiles::KatFile& file : *files) {
        if (file.name.starts_with(data->fileLabel)) {
            read.push_back(file);
        }
    }
    SuiteAccount account;
    account.held =
        Test::KatFiles::countRecords(read, [&](const Test::ParseNistKATs::KatCategory& section) {
            return data->sectionLength.empty() || section.property("L") == data->sectionLength;
        });
    account.tests = knownAnswerLeaves(tests);
    account.ledger = std::move(ledger);
    if (account.tests == 0) {
        account.problems.push_back("no known-answer test came from " + describe(account.held) +
                                   " in Test/" + data->folder);
    }
    if (auto problem = installProblem(data->folder, Test::KatFiles::countRecords(*files))) {
        account.problems.push_back(std::move(*problem));
    }
    return account;
}

std::string accountLine(std::string_view suite, const SuiteAccount& account) {
    return std::string(suite) + ": " + std::to_string(account.tests) + " of " +
           std::to_string(account.held.records) + " records in " +
           std::to_string(account.held.files) + " files became tests" + ledgerLines(account.ledger);
}

std::optional<std::string> ledgerLine(std::string_view suite,
                                      const Test::RecordLedger::Ledger& ledger) {
    if (ledger.droppedRecords() == 0 && ledger.unreadFields.empty()) {
        return std::nullopt;
    }
    return std::string(suite) + ": " + std::to_string(ledger.tests) + " records became tests" +
           ledgerLines(ledger);
}

std::string ledgerLines(const Test::RecordLedger::Ledger& ledger) {
    std::string lines;
    const auto add = [&](std::string_view what, const Test::RecordLedger::Occurrences& seen) {
        lines.append("\n  ")
            .append(std::to_string(seen.records))
            .append(" ")
            .append(what)
            .append(" (first at ")
            .append(seen.first)
            .append(")");
    };
    for (const auto& [reason, seen] : ledger.dropped) {
        add(std::string(Test::RecordLedger::describe(reason.first)) + ": " + reason.second, seen);
    }
    for (const auto& [name, seen] : ledger.unreadFields) {
        add("unread field: " + name, seen);
    }
    return lines;
}

} // namespace zorvan::check
