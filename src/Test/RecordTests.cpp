#include <Test/RecordTests.hpp>

#include <algorithm>

namespace Test {

namespace {

bool isAmong(std::string_view name, FieldNames names) {
    return std::ranges::find(names, name) != names.end();
}

void appendPart(std::string& text, std::string_view part) {
    text.append(text.empty() ? "" : "; ").append(part);
}

std::string leafName(const RecordLedger::RecordPlace& place) {
    std::string name(place.fileName);
    if (place.line != 0) {
        name.append(":").append(std::to_string(place.line));
    }
    if (!place.test.empty()) {
        name.append(":").append(place.test);
    }
    return name;
}

} // namespace

std::string missingFields(const ParseNistKATs::KatRecord& record, FieldNames needed) {
    std::string missing;
    for (const std::string_view name : needed) {
        if (!record.field(name)) {
            missing.append(missing.empty() ? "" : ", ").append(name);
        }
    }
    return missing;
}

std::string recordDamage(const ParseNistKATs::KatRecord& record, FieldNames needed,
                         FieldNames known) {
    std::string damage;
    if (const std::string missing = missingFields(record, needed); !missing.empty()) {
        appendPart(damage, "missing field: " + missing);
    }
    std::vector<std::string_view> unknown;
    for (const ParseNistKATs::KatField& field : record.fields) {
        if (!isAmong(field.name, known) &&
            std::ranges::find(unknown, field.name) == unknown.end()) {
            unknown.push_back(field.name);
        }
    }
    if (!unknown.empty()) {
        std::string names;
        for (const std::string_view name : unknown) {
            names.append(names.empty() ? "" : ", ").append(name);
        }
        appendPart(damage, "unknown field: " + names);
    }
    return damage;
}

RecordLedger::RecordPlace placeOf(const zorvan::testing::VectorOrigin& origin) noexcept {
    const std::string_view file = origin.file;
    const std::size_t slash = file.rfind('/');
    return {file.substr(0, slash == std::string_view::npos ? 0 : slash),
            file.substr(slash == std::string_view::npos ? 0 : slash + 1), origin.line};
}

zorvan::testing::Test failingLeaf(std::string name, std::string message) {
    return zorvan::testing::testCase(
        std::move(name), [message = std::move(message)] { throw DamagedData(message); });
}

void RecordTests::beginFolder(const KatFiles::FolderCheck& folder) {
    folder_ = folder.directory;
    folderFiles_ = folder.files;
    folderRecords_ = 0;
    folderTests_ = 0;
    for (const KatFiles::FileProblem& problem : folder.problems) {
        tests_.push_back(failingLeaf(problem.fileName, folder.directory + "/" + problem.fileName +
                                                           ": " + problem.what));
    }
}

void RecordTests::beginFolder(const KatFiles::Folder& folder) {
    beginFolder(KatFiles::FolderCheck{folder.directory, folder.files.size(), folder.problems});
    for (const KatFiles::KatFile& file : folder.files) {
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            if (!category.strayFields.empty()) {
                const std::size_t line = category.strayFields.front().line;
                fail({folder.directory, file.name, line},
                     "text that is no record: " + std::to_string(category.strayFields.size()) +
                         " lines before the first record of its section");
            }
        }
    }
}

void RecordTests::add(zorvan::testing::Test test) {
    addInto(tests_, std::move(test));
}

void RecordTests::addInto(std::vector<zorvan::testing::Test>& list, zorvan::testing::Test test) {
    RecordLedger::noteTest(ledger_);
    list.push_back(std::move(test));
    ++folderRecords_;
    ++folderTests_;
}

void RecordTests::otherVariant(const RecordLedger::RecordPlace& place, const std::string& why) {
    RecordLedger::noteOtherVariant(ledger_, place, why);
    ++folderRecords_;
}

void RecordTests::fail(const RecordLedger::RecordPlace& place, const std::string& why) {
    RecordLedger::noteFailed(ledger_, place, why);
    tests_.push_back(failingLeaf(leafName(place), RecordLedger::describePlace(place) + ": " + why));
    ++folderRecords_;
}

void RecordTests::endFolder() {
    if (folderTests_ > 0) {
        return;
    }
    const std::string_view folder = folder_;
    const std::size_t slash = folder.rfind('/');
    tests_.push_back(failingLeaf(
        std::string(slash == std::string_view::npos ? folder : folder.substr(slash + 1)),
        folder_ + " gave this suite no known-answer test: " + std::to_string(folderRecords_) +
            " records in " + std::to_string(folderFiles_) +
            " files were read, and none became a test"));
}

} // namespace Test
