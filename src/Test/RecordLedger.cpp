#include <Test/RecordLedger.hpp>

#include <algorithm>
#include <numeric>
#include <vector>

namespace Test::RecordLedger {

namespace {

thread_local Ledger* openLedger = nullptr;

void count(Occurrences& occurrences, const std::string& recordPlace) {
    if (occurrences.records++ == 0) {
        occurrences.first = recordPlace;
    }
}

bool isKnown(std::string_view name, FieldNames knownFields) {
    return std::find(knownFields.begin(), knownFields.end(), name) != knownFields.end();
}

// Each name once per record, so that a record that repeats a field counts once.
template <class Fields>
void noteUnread(Ledger& ledger, const std::string& recordPlace, const Fields& fields,
                FieldNames knownFields) {
    std::vector<std::string_view> noted;
    for (const auto& field : fields) {
        const std::string_view name = field.name;
        if (!isKnown(name, knownFields) &&
            std::find(noted.begin(), noted.end(), name) == noted.end()) {
            noted.push_back(name);
            count(ledger.unreadFields[std::string(name)], recordPlace);
        }
    }
}

std::string describePlace(std::string_view file, std::size_t line) {
    return std::string(file).append(":").append(std::to_string(line));
}

std::string describePlace(const RecordPlace& place) {
    return describePlace(std::string(place.directory).append("/").append(place.fileName),
                         place.line);
}

void noteDroppedAt(const std::string& place, DropReason reason, std::string detail) {
    count(openLedger->dropped[{reason, std::move(detail)}], place);
}

} // namespace

std::string_view describe(DropReason reason) noexcept {
    switch (reason) {
    case DropReason::missingField:
        return "missing field";
    case DropReason::refusedKey:
        return "refused key";
    case DropReason::refusedIV:
        return "refused IV";
    case DropReason::unknownSection:
        return "unknown section";
    }
    return "unknown reason";
}

std::size_t Ledger::droppedRecords() const noexcept {
    return std::accumulate(
        dropped.begin(), dropped.end(), std::size_t{0},
        [](std::size_t sum, const auto& entry) { return sum + entry.second.records; });
}

Recording::Recording(Ledger& ledger) noexcept : resumed_(openLedger) {
    openLedger = &ledger;
}

Recording::~Recording() {
    openLedger = resumed_;
}

void noteTest(const zorvan::testing::VectorOrigin& origin, FieldNames knownFields) {
    if (openLedger == nullptr) {
        return;
    }
    ++openLedger->tests;
    noteUnread(*openLedger, describePlace(origin.file, origin.line), origin.fields, knownFields);
}

std::string missingNames(const ParseNistKATs::KatRecord& record, FieldNames knownFields) {
    std::string missing;
    for (const std::string_view name : knownFields) {
        if (!record.field(name)) {
            missing.append(missing.empty() ? "" : ", ").append(name);
        }
    }
    return missing;
}

void noteMissingFields(const RecordPlace& place, const ParseNistKATs::KatRecord& record,
                       FieldNames knownFields, std::string missing) {
    if (openLedger == nullptr) {
        return;
    }
    const std::string described = describePlace(place);
    count(openLedger->dropped[{DropReason::missingField, std::move(missing)}], described);
    noteUnread(*openLedger, described, record.fields, knownFields);
}

void noteRefused(const zorvan::testing::VectorOrigin& origin, DropReason reason,
                 std::size_t octets) {
    if (openLedger != nullptr) {
        noteDroppedAt(describePlace(origin.file, origin.line), reason,
                      std::to_string(octets) + " octets");
    }
}

void noteDropped(const RecordPlace& place, DropReason reason, std::string detail) {
    if (openLedger != nullptr) {
        noteDroppedAt(describePlace(place), reason, std::move(detail));
    }
}

} // namespace Test::RecordLedger
