#include <Test/AcvpFiles.hpp>

#include <Test/JsonVectors.hpp>

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace Test::AcvpFiles {

namespace {

using Json::Kind;
using Json::Value;
using JsonVectors::addDamage;
using JsonVectors::GroupObject;
using JsonVectors::VectorFile;
using JsonVectors::wrongKind;

using TestKey = std::pair<std::int64_t, std::int64_t>; // tgId, tcId

std::string testName(std::optional<std::int64_t> tgId, std::optional<std::int64_t> tcId) {
    std::string name = tgId ? "tgId=" + std::to_string(*tgId) : std::string();
    if (tcId) {
        name.append(name.empty() ? "" : ",").append("tcId=").append(std::to_string(*tcId));
    }
    return name;
}

// An integer member, or the damage that its absence or type is.
std::optional<std::int64_t> integerMember(const Value& object, std::string_view name,
                                          std::string& damage) {
    const Value* value = object.find(name);
    if (value == nullptr) {
        addDamage(damage, "missing field: " + std::string(name));
        return std::nullopt;
    }
    const auto integer = Json::integerOf(*value);
    if (!integer) {
        addDamage(damage, wrongKind(name, *value, "an integer"));
    }
    return integer;
}

// A string member's text ("" when absent and optional), noting its absence when required and a
// wrong type always.
std::string_view stringMember(const Value& object, std::string_view name, bool required,
                              std::string& damage) {
    const Value* value = object.find(name);
    if (value == nullptr) {
        if (required) {
            addDamage(damage, "missing field: " + std::string(name));
        }
        return {};
    }
    if (value->kind != Kind::string) {
        addDamage(damage, wrongKind(name, *value, "a string"));
        return {};
    }
    return value->text;
}

// The tcId of a test object, noting in damage what keeps it from having one.
std::optional<std::int64_t> tcIdOf(const Value& test, std::string& damage) {
    if (test.kind != Kind::object) {
        addDamage(damage, wrongKind("the test", test, "an object"));
        return std::nullopt;
    }
    return integerMember(test, "tcId", damage);
}

// The key of a test whose ids both read; kept out of line, where the ids are plain integers.
[[gnu::noinline]] TestKey keyOf(std::optional<std::int64_t> tgId,
                                std::optional<std::int64_t> tcId) noexcept {
    return {tgId.value_or(0), tcId.value_or(0)};
}

std::optional<LargeMessage> readLargeMessage(const Value& test, std::string& damage) {
    const Value* large = test.find("largeMsg");
    if (large == nullptr) {
        return std::nullopt;
    }
    if (large->kind != Kind::object) {
        addDamage(damage, wrongKind("largeMsg", *large, "an object"));
        return std::nullopt;
    }
    std::string own;
    LargeMessage message{stringMember(*large, "content", true, own), 0, 0,
                         stringMember(*large, "expansionTechnique", true, own)};
    const auto contentLength = integerMember(*large, "contentLength", own);
    const auto fullLength = integerMember(*large, "fullLength", own);
    for (const auto& length : {contentLength, fullLength}) {
        if (length && *length < 0) {
            addDamage(own, "a negative length");
        }
    }
    if (!own.empty()) {
        addDamage(damage, "largeMsg: " + own);
        return std::nullopt;
    }
    message.contentLength = static_cast<std::uint64_t>(*contentLength);
    message.fullLength = static_cast<std::uint64_t>(*fullLength);
    return message;
}

// The set a file declares, and the damage of its top-level members.
std::shared_ptr<Set> readSet(Value header, std::string& damage) {
    auto set = std::make_shared<Set>();
    set->vsId = integerMember(header, "vsId", damage).value_or(0);
    set->algorithm = stringMember(header, "algorithm", true, damage);
    set->mode = stringMember(header, "mode", false, damage);
    set->revision = stringMember(header, "revision", true, damage);
    if (const Value* sample = header.find("isSample")) {
        if (sample->kind != Kind::boolean) {
            addDamage(damage, wrongKind("isSample", *sample, "a boolean"));
        }
        set->isSample = sample->text == "true";
    }
    set->header = header;
    return set;
}

// One side of a set: its file walked, with its set, its damage and where it stopped.
struct Side {
    std::string name;
    VectorFile file;
    std::shared_ptr<Set> set;
    std::string damage; // of the file as a whole
    std::size_t tests = 0;
};

Side readSide(std::string name, std::string text) {
    Side side{std::move(name), JsonVectors::readVectorFile(std::move(text)), nullptr, {}, 0};
    side.damage = side.file.damage;
    if (side.file.header.kind == Kind::object) {
        side.set = readSet(side.file.header, side.damage);
    }
    for (const GroupObject& group : side.file.groups) {
        side.tests += group.tests.size();
    }
    return side;
}

// Reads the sides into records: the prompt's tests, each with its answer from answers.
class Pairing {
public:
    Pairing(Side& prompt, Side* answers) : prompt_(prompt), answers_(answers) {}

    SetRead read() && {
        records_.reserve(prompt_.tests + 1);
        if (answers_ != nullptr) {
            indexAnswers();
        }
        readPrompts();
        if (answers_ != nullptr) {
            unpromptedAnswers();
        }
        fileRecords(prompt_, lastTest_);
        if (answers_ != nullptr) {
            fileRecords(*answers_, lastAnswer_);
        }
        return {prompt_.set, std::move(records_), prompt_.tests,
                answers_ == nullptr ? prompt_.tests : answers_->tests};
    }

private:
    struct Answer {
        const Value* fields;
        std::size_t line;
        bool used = false;
    };

    void indexAnswers() {
        for (const GroupObject& group : answers_->file.groups) {
            std::string groupDamage = group.damage;
            const auto tgId = integerMember(group.fields, "tgId", groupDamage);
            for (const JsonVectors::TestObject& test : group.tests) {
                std::string damage = groupDamage;
                const auto tcId = tcIdOf(test.fields, damage);
                if (damage.empty() &&
                    !answerIndex_.emplace(keyOf(tgId, tcId), Answer{&test.fields, test.line})
                         .second) {
                    damage = "an answer given twice";
                }
                if (!damage.empty()) {
                    fail(answers_->name, test.line, testName(tgId, tcId),
                         "in the expected results: " + damage);
                }
                lastAnswer_ = testName(tgId, tcId);
            }
            if (!group.damage.empty() && group.tests.empty()) {
                fail(answers_->name, group.line, testName(tgId, std::nullopt),
                     "in the expected results: " + group.damage);
            }
        }
    }

    void readPrompts() {
        const std::string mismatch = setMismatch();
        std::size_t number = 0;
        for (const GroupObject& object : prompt_.file.groups) {
            std::string groupDamage = object.damage;
            auto group = std::make_shared<Group>();
            const auto tgId = integerMember(object.fields, "tgId", groupDamage);
            group->tgId = tgId.value_or(0);
            group->line = object.line;
            group->testType = stringMember(object.fields, "testType", true, groupDamage);
            group->direction = stringMember(object.fields, "direction", false, groupDamage);
            group->fields = object.fields;
            for (const JsonVectors::TestObject& test : object.tests) {
                readPrompt(group, tgId, groupDamage, mismatch, test, ++number);
            }
            if (!object.damage.empty() && object.tests.empty()) {
                fail(prompt_.name, object.line, testName(tgId, std::nullopt), object.damage);
            }
        }
    }

    void readPrompt(const std::shared_ptr<const Group>& group, std::optional<std::int64_t> tgId,
                    const std::string& groupDamage, const std::string& mismatch,
                    const JsonVectors::TestObject& object, std::size_t number) {
        std::string damage;
        const auto tcId = tcIdOf(object.fields, damage);
        addDamage(damage, groupDamage.empty() ? "" : "its group: " + groupDamage);
        addDamage(damage, mismatch);
        Test test{prompt_.set,          group,  prompt_.file.storage,
                  prompt_.file.storage, number, tcId.value_or(0),
                  object.fields,        {},     object.line,
                  std::nullopt};
        test.largeMessage = readLargeMessage(test.prompt, damage);
        if (answers_ != nullptr && tgId && tcId) {
            const auto found = answerIndex_.find(keyOf(tgId, tcId));
            if (found == answerIndex_.end() || found->second.used) {
                addDamage(damage, found == answerIndex_.end() ? "a prompt with no answer"
                                                              : "a prompt given twice");
            } else {
                found->second.used = true;
                test.answer = *found->second.fields;
                test.answerLine = found->second.line;
                test.answerStorage = answers_->file.storage;
            }
        } else if (answers_ == nullptr) {
            test.answer = test.prompt;
        }
        ReadRecord<Test> record{prompt_.name,      object.line, std::nullopt,
                                std::move(damage), {},          testName(tgId, tcId)};
        if (record.damage.empty()) {
            record.vector = std::move(test);
        }
        lastTest_ = record.test;
        records_.push_back(std::move(record));
    }

    void unpromptedAnswers() {
        for (const auto& [key, answer] : answerIndex_) {
            if (!answer.used) {
                fail(answers_->name, answer.line, testName(key.first, key.second),
                     "an answer with no prompt");
            }
        }
    }

    // The two files must be of one vector set.
    [[nodiscard]] std::string setMismatch() const {
        if (answers_ == nullptr || prompt_.set == nullptr || answers_->set == nullptr) {
            return {};
        }
        const Set& mine = *prompt_.set;
        const Set& theirs = *answers_->set;
        std::string damage;
        if (mine.vsId != theirs.vsId) {
            addDamage(damage, "the prompt is vsId " + std::to_string(mine.vsId) +
                                  ", the expected results vsId " + std::to_string(theirs.vsId));
        }
        for (const auto& [what, left, right] :
             {std::tuple{"algorithm", mine.algorithm, theirs.algorithm},
              std::tuple{"revision", mine.revision, theirs.revision}}) {
            if (left != right) {
                addDamage(damage, "the prompt is " + std::string(what) + " " + std::string(left) +
                                      ", the expected results " + std::string(right));
            }
        }
        return damage;
    }

    void fileRecords(const Side& side, const std::string& lastTest) {
        if (side.file.error) {
            fail(side.name, side.file.error->place.line,
                 lastTest.empty() ? "" : "after " + lastTest,
                 JsonVectors::describeError(*side.file.error));
        } else if (!side.damage.empty()) {
            fail(side.name, side.file.damageLine, {}, side.damage);
        }
    }

    void fail(const std::string& fileName, std::size_t line, std::string test, std::string why) {
        records_.push_back({fileName, line, std::nullopt, std::move(why), {}, std::move(test)});
    }

    Side& prompt_;
    Side* answers_;
    std::map<TestKey, Answer> answerIndex_;
    std::vector<ReadRecord<Test>> records_;
    std::string lastTest_;
    std::string lastAnswer_;
};

bool hasStem(std::string_view name, std::string_view stem) {
    return name == std::string(stem) + ".json" || name == std::string(stem) + ".json.gz";
}

} // namespace

SetRead readPair(std::string promptName, std::string promptText, std::string answersName,
                 std::string answersText) {
    Side prompt = readSide(std::move(promptName), std::move(promptText));
    Side answers = readSide(std::move(answersName), std::move(answersText));
    return Pairing(prompt, &answers).read();
}

SetRead readProjection(std::string name, std::string text) {
    Side side = readSide(std::move(name), std::move(text));
    return Pairing(side, nullptr).read();
}

SetRead readPairFiles(const std::string& promptPath, const std::string& answersPath) {
    return readPair(promptPath, KatFiles::readWhole(promptPath), answersPath,
                    KatFiles::readWhole(answersPath));
}

SetRead readProjectionFile(const std::string& path) {
    return readProjection(path, KatFiles::readWhole(path));
}

Folder readFolder(const DataSource& source, std::string_view relativeDirectory) {
    std::optional<Side> prompt;
    std::optional<Side> other; // the expectedResults, or the projection
    const auto keep = [&prompt, &other](const std::string&, const std::string& name,
                                        std::string text) {
        std::optional<Side>& side = hasStem(name, "prompt") ? prompt : other;
        side = readSide(name, std::move(text));
        return side->tests;
    };
    Folder folder;
    folder.check = KatFiles::readFiles(
        source, relativeDirectory,
        [](std::string_view name) {
            return hasStem(name, "prompt") || hasStem(name, "expectedResults");
        },
        keep);
    if (prompt && other) {
        folder.set = Pairing(*prompt, &*other).read();
        return folder;
    }
    if (!prompt && !other) {
        KatFiles::FolderCheck projection = KatFiles::readFiles(
            source, relativeDirectory,
            [](std::string_view name) { return hasStem(name, "internalProjection"); }, keep);
        folder.check.files += projection.files;
        // Both readings find the files the manifest does not list: each is one problem.
        for (KatFiles::FileProblem& problem : projection.problems) {
            if (std::ranges::find(folder.check.problems, problem.fileName,
                                  &KatFiles::FileProblem::fileName) ==
                folder.check.problems.end()) {
                folder.check.problems.push_back(std::move(problem));
            }
        }
        if (other) {
            folder.set = Pairing(*other, nullptr).read();
            return folder;
        }
    }
    const std::string why = prompt  ? "a prompt without its expectedResults file"
                            : other ? "an expectedResults file without its prompt"
                                    : "neither a prompt and its expectedResults nor an "
                                      "internalProjection file";
    // Named after the file that is missing.
    folder.set.records.push_back(
        {prompt ? "expectedResults.json" : "prompt.json", 0, std::nullopt, why, {}, {}});
    return folder;
}

zorvan::testing::VectorOrigin origin(std::string_view relativeDirectory,
                                     const ReadRecord<Test>& record) {
    const Test& test = *record.vector;
    std::vector<Json::Member> answerMembers;
    if (test.answerStorage != test.promptStorage) {
        std::ranges::remove_copy(test.answer.members, std::back_inserter(answerMembers), "tcId",
                                 &Json::Member::name);
    }
    const Value answers{Kind::object, true, 0, {}, answerMembers};
    const std::array<const Value*, 3> objects{&test.group->fields, &test.prompt, &answers};
    return {std::string(relativeDirectory) + "/" + record.fileName, record.line, test.number,
            JsonVectors::originFields(objects)};
}

} // namespace Test::AcvpFiles
