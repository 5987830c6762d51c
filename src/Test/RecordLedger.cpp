#include <Test/RecordLedger.hpp>

namespace Test::RecordLedger {

namespace {

thread_local Ledger* openLedger = nullptr;

void count(std::map<std::string, Occurrences>& notes, const RecordPlace& place,
           const std::string& why) {
    Occurrences& occurrences = notes[why];
    if (occurrences.records++ == 0) {
        occurrences.first = describePlace(place);
    }
}

std::size_t total(const std::map<std::string, Occurrences>& notes) noexcept {
    std::size_t sum = 0;
    for (const auto& [why, occurrences] : notes) {
        sum += occurrences.records;
    }
    return sum;
}

} // namespace

std::size_t Ledger::records() const noexcept {
    return tests + total(otherVariants) + total(failed);
}

Recording::Recording(Ledger& ledger) noexcept : resumed_(openLedger) {
    openLedger = &ledger;
}

Recording::~Recording() {
    openLedger = resumed_;
}

Ledger* Recording::open() noexcept {
    return openLedger;
}

std::string describePlace(const RecordPlace& place) {
    std::string text = std::string(place.directory).append("/").append(place.fileName);
    if (place.line != 0) {
        text.append(":").append(std::to_string(place.line));
    }
    if (!place.test.empty()) {
        text.append(" (").append(place.test).append(")");
    }
    return text;
}

void noteFile(Ledger* ledger) noexcept {
    if (ledger != nullptr) {
        ++ledger->files;
    }
}

void noteTest(Ledger* ledger) noexcept {
    if (ledger != nullptr) {
        ++ledger->tests;
    }
}

void noteOtherVariant(Ledger* ledger, const RecordPlace& place, const std::string& why) {
    if (ledger != nullptr) {
        count(ledger->otherVariants, place, why);
    }
}

void noteFailed(Ledger* ledger, const RecordPlace& place, const std::string& why) {
    if (ledger != nullptr) {
        count(ledger->failed, place, why);
    }
}

} // namespace Test::RecordLedger
