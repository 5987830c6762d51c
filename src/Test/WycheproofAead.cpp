#include <Test/AeadVectors.hpp>
#include <Test/Suites.hpp>
#include <Test/Wycheproof.hpp>
#include <Test/WycheproofTests.hpp>

#include <array>

namespace Test::Wycheproof {

namespace {

using AeadVectors::Expectation;
using WycheproofFiles::Result;

constexpr std::array<std::string_view, 6> aeadFields{"key", "iv", "aad", "msg", "ct", "tag"};

Expectation expectationOf(Result result, Acceptable acceptable) {
    switch (judged(result, acceptable).value_or(Result::acceptable)) {
    case Result::valid:
        return Expectation::sealAndOpen;
    case Result::invalid:
        return Expectation::refuse;
    case Result::acceptable:
        break;
    }
    return Expectation::acceptable;
}

AeadVectors::AeadVector vectorOf(std::string_view directory, const Record& record,
                                 Expectation expectation) {
    const WycheproofFiles::Test& test = *record.vector;
    const auto text = [&test](std::string_view field) { return std::string(*test.text(field)); };
    return {.expectation = expectation,
            .keyHex = text("key"),
            .nonceHex = text("iv"),
            .aadHex = text("aad"),
            // An invalid test's msg is what a faulty open might give; it is no answer.
            .plaintextHex =
                expectation == Expectation::refuse ? std::nullopt : std::optional(text("msg")),
            .ciphertextHex = text("ct"),
            .tagHex = text("tag"),
            .note = describe(test),
            .file = std::string(directory) + "/" + record.fileName,
            .line = record.line,
            .number = test.number,
            .name = leafName(test),
            .test = record.test};
}

} // namespace

std::vector<zorvan::testing::Test> aeadTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                             std::string_view algorithm, Acceptable acceptable,
                                             const DataSource& source, const FileAt& file) {
    const Suites::Algorithm& row = Suites::algorithm(algorithm);
    return fileTests(
        source, file, fileOf(algorithm),
        [&aead, &row, acceptable, &file](RecordTests& records, const Record& record) {
            if (const std::string damage = testDamage(*record.vector, "AeadTest", aeadFields);
                !damage.empty()) {
                return records.fail(placeOf(file.directory, record), damage);
            }
            AeadVectors::bindVector(
                records, aead, row,
                vectorOf(file.directory, record, expectationOf(record.vector->result, acceptable)));
        });
}

} // namespace Test::Wycheproof
