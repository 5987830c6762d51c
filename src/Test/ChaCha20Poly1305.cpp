#include <Test/ChaCha20Poly1305.hpp>

#include <Test/AeadConformance.hpp>
#include <Test/AeadVectors.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>

#include <array>
#include <string_view>

namespace Test::ChaCha20Poly1305 {

namespace {

using AeadVectors::AeadVector;
using AeadVectors::Expectation;

constexpr std::string_view countField = "COUNT";
constexpr std::string_view resultField = "Result";
constexpr std::string_view refusedResult = "CIPHERFINAL_ERROR";

// The names each file's layout gives the fields: BoringSSL's and OpenSSL's.
struct Layout {
    std::string_view key;
    std::string_view nonce;
    std::string_view aad;
    std::string_view plaintext;
    std::string_view ciphertext;
    std::string_view tag;

    [[nodiscard]] std::array<std::string_view, 7> needed() const {
        return {countField, key, nonce, aad, plaintext, ciphertext, tag};
    }
};

constexpr std::array<Layout, 2> layouts{{{"KEY", "NONCE", "AD", "IN", "CT", "TAG"},
                                         {"Key", "IV", "AAD", "Plaintext", "Ciphertext", "Tag"}}};

// A value in double quotes is ASCII text; the parser drops the spaces inside it, so it is read
// again from its line.
std::string hexOf(std::string_view value, const std::vector<std::string_view>& lines,
                  std::size_t line) {
    if (!value.starts_with('"') || line == 0 || line > lines.size()) {
        return std::string(value);
    }
    std::string_view raw = lines[line - 1];
    raw = raw.substr(raw.find('"') + 1);
    raw = raw.substr(0, raw.rfind('"'));
    static constexpr std::string_view digits = "0123456789abcdef";
    std::string hex;
    for (const char character : raw) {
        const auto octet = static_cast<unsigned char>(character);
        hex.push_back(digits[octet >> 4]);
        hex.push_back(digits[octet & 15]);
    }
    return hex;
}

std::size_t lineOf(const ParseNistKATs::KatRecord& record, std::string_view field) {
    for (const ParseNistKATs::KatField& each : record.fields) {
        if (each.name == field) {
            return each.line;
        }
    }
    return 0;
}

std::vector<zorvan::testing::Test> knownAnswers(const std::shared_ptr<const Crypto::AeadView>& aead,
                                                const DataSource& source,
                                                std::string_view directory,
                                                std::string_view algorithmName) {
    const Suites::Algorithm& algorithm = Suites::algorithm(algorithmName);
    const KatFiles::Folder folder = KatFiles::readFolder(source, directory, countField);
    RecordTests records(source);
    records.beginFolder(folder);
    for (const KatFiles::KatFile& file : folder.files) {
        const std::string text = KatFiles::readWhole(file.path);
        const std::vector<std::string_view> lines = ParseNistKATs::splitLines(text);
        std::size_t number = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++number;
                const Layout& layout = record.field(layouts[0].key) ? layouts[0] : layouts[1];
                const std::array<std::string_view, 7> needed = layout.needed();
                std::vector<std::string_view> known(needed.begin(), needed.end());
                known.push_back(resultField);
                const std::optional<std::string_view> result = record.field(resultField);
                std::string damage = recordDamage(record, needed, known);
                if (damage.empty() && result && *result != refusedResult) {
                    damage = "a Result other than " + std::string(refusedResult);
                }
                if (!damage.empty()) {
                    records.fail({folder.directory, file.name, record.line()}, damage);
                    continue;
                }
                const auto hex = [&](std::string_view field) {
                    return hexOf(*record.field(field), lines, lineOf(record, field));
                };
                AeadVectors::bindVector(
                    records, aead, algorithm,
                    {.expectation = result ? Expectation::refuse : Expectation::sealAndOpen,
                     .keyHex = hex(layout.key),
                     .nonceHex = hex(layout.nonce),
                     .aadHex = hex(layout.aad),
                     .plaintextHex = hex(layout.plaintext),
                     .ciphertextHex = hex(layout.ciphertext),
                     .tagHex = hex(layout.tag),
                     .note = {},
                     .file = folder.directory + "/" + file.name,
                     .line = record.line(),
                     .number = number});
            }
        }
    }
    records.endFolder();
    return std::move(records).take();
}

} // namespace

std::vector<zorvan::testing::Test>
chachaKnownAnswers(const std::shared_ptr<const Crypto::AeadView>& aead, const DataSource& source) {
    return knownAnswers(aead, source, katDirectory, "ChaCha20-Poly1305");
}

std::vector<zorvan::testing::Test>
xchachaKnownAnswers(const std::shared_ptr<const Crypto::AeadView>& aead, const DataSource& source) {
    return knownAnswers(aead, source, xKatDirectory, "XChaCha20-Poly1305");
}

std::vector<zorvan::testing::Test> chachaTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                               const DataSource& source) {
    return AeadConformance::knownAnswersThenLaws(chachaKnownAnswers(aead, source), aead);
}

std::vector<zorvan::testing::Test> xchachaTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                                const DataSource& source) {
    return AeadConformance::knownAnswersThenLaws(xchachaKnownAnswers(aead, source), aead);
}

} // namespace Test::ChaCha20Poly1305
