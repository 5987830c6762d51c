#include <Test/Wycheproof.hpp>
#include <Test/WycheproofTests.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace Test::Wycheproof {

namespace {

using WycheproofFiles::Result;

// The file of each row that has one.
constexpr std::array<std::pair<std::string_view, std::string_view>, 17> rowFiles{{
    {"AES-GCM", "aes_gcm_test.json"},
    {"AES-CCM", "aes_ccm_test.json"},
    {"ChaCha20-Poly1305", "chacha20_poly1305_test.json"},
    {"XChaCha20-Poly1305", "xchacha20_poly1305_test.json"},
    {"AES-CMAC", "aes_cmac_test.json"},
    {"AES-XTS", "aes_xts_test.json"},
    {"SHA1", "hmac_sha1_test.json"},
    {"SHA224", "hmac_sha224_test.json"},
    {"SHA256", "hmac_sha256_test.json"},
    {"SHA384", "hmac_sha384_test.json"},
    {"SHA512", "hmac_sha512_test.json"},
    {"SHA512-224", "hmac_sha512_224_test.json"},
    {"SHA512-256", "hmac_sha512_256_test.json"},
    {"SHA3-224", "hmac_sha3_224_test.json"},
    {"SHA3-256", "hmac_sha3_256_test.json"},
    {"SHA3-384", "hmac_sha3_384_test.json"},
    {"SHA3-512", "hmac_sha3_512_test.json"},
}};

constexpr std::array<std::string_view, 4> standardFields{"tcId", "comment", "flags", "result"};

} // namespace

std::optional<Acceptable> acceptableNamed(std::string_view name) noexcept {
    if (name == "either") {
        return Acceptable::either;
    }
    if (name == "valid") {
        return Acceptable::asValid;
    }
    if (name == "invalid") {
        return Acceptable::asInvalid;
    }
    return std::nullopt;
}

std::string_view fileOf(std::string_view algorithm) {
    const auto found = std::ranges::find(rowFiles, algorithm,
                                         &std::pair<std::string_view, std::string_view>::first);
    if (found == rowFiles.end()) {
        throw std::invalid_argument("no Wycheproof file for the algorithm " +
                                    std::string(algorithm));
    }
    return found->second;
}

std::vector<zorvan::testing::Test> fileTests(const DataSource& source, const FileAt& file,
                                             std::string_view defaultName, const BindTest& bind) {
    const std::string_view fileName = file.name.empty() ? defaultName : file.name;
    const WycheproofFiles::Folder folder =
        WycheproofFiles::readFolder(source, file.directory, [fileName](std::string_view name) {
            return name == fileName ||
                   (name.starts_with(fileName) && name.substr(fileName.size()) == ".gz");
        });
    RecordTests records(source);
    records.beginFolder(folder.check);
    for (const WycheproofFiles::File& read : folder.files) {
        for (const Record& record : read.records) {
            if (record.vector) {
                bind(records, record);
            } else {
                records.fail(placeOf(file.directory, record), record.damage);
            }
        }
    }
    records.endFolder();
    return std::move(records).take();
}

RecordLedger::RecordPlace placeOf(std::string_view directory, const Record& record) noexcept {
    return {directory, record.fileName, record.line, record.test};
}

std::string leafName(const WycheproofFiles::Test& test) {
    return "tc" + std::to_string(test.tcId);
}

std::string describe(const WycheproofFiles::Test& test) {
    std::string text = "tcId " + std::to_string(test.tcId);
    if (!test.comment.empty()) {
        text.append(" (").append(test.comment).append(")");
    }
    std::string flags;
    for (const std::string_view flag : test.flags) {
        flags.append(flags.empty() ? "" : ", ").append(flag);
    }
    if (!flags.empty()) {
        text.append("; flags: ").append(flags);
    }
    return text.append("; result: ").append(WycheproofFiles::resultName(test.result));
}

std::string testDamage(const WycheproofFiles::Test& test, std::string_view groupType,
                       JsonVectors::FieldNames needed) {
    if (test.group->type != groupType) {
        return "a test of a group of type " + std::string(test.group->type) + ", not " +
               std::string(groupType);
    }
    std::vector<std::string_view> known(standardFields.begin(), standardFields.end());
    known.insert(known.end(), needed.begin(), needed.end());
    return JsonVectors::fieldDamage(test.fields, needed, known);
}

std::optional<Result> judged(Result result, Acceptable acceptable) noexcept {
    if (result != Result::acceptable) {
        return result;
    }
    switch (acceptable) {
    case Acceptable::asValid:
        return Result::valid;
    case Acceptable::asInvalid:
        return Result::invalid;
    case Acceptable::either:
        break;
    }
    return std::nullopt;
}

} // namespace Test::Wycheproof
