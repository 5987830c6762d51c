#include <Test/AESCTR.hpp>

#include <Test/Crypto/hex.hpp>
#include <zorvan/testing/assertion.hpp>

#include <array>
#include <string_view>

namespace Test::AESCTR {

namespace {

constexpr std::array<std::string_view, 2> katDirectories{"Test/KAT_AES_CTR",
                                                         "Test/KAT_AES_CTR_CARRY"};
constexpr std::string_view countField = "COUNT";
constexpr std::string_view keyField = "KEY";
constexpr std::string_view ivField = "IV";
constexpr std::string_view plaintextField = "PLAINTEXT";
constexpr std::string_view ciphertextField = "CIPHERTEXT";
constexpr std::string_view nextIVField = "NEXTIV";
constexpr std::string_view encryptSection = "ENCRYPT";
constexpr std::string_view decryptSection = "DECRYPT";

std::optional<CtrVector> ctrVector(std::string_view prefix, bool decrypt, std::size_t keyOctets,
                                   const ParseNistKATs::KatRecord& record) {
    const auto count = record.field(countField);
    const auto key = record.field(keyField);
    const auto iv = record.field(ivField);
    const auto plaintext = record.field(plaintextField);
    const auto ciphertext = record.field(ciphertextField);
    if (!count || !key || !iv || !plaintext || !ciphertext) {
        return std::nullopt;
    }
    zorvan::Bytes keyOctetsRead = Crypto::hexStringToBS(*key);
    if (keyOctetsRead.size() != keyOctets) {
        return std::nullopt;
    }
    const auto nextIV = record.field(nextIVField);
    return CtrVector{
        .name = std::string(prefix) + std::string(*count),
        .decrypt = decrypt,
        .key = std::move(keyOctetsRead),
        .iv = Crypto::hexStringToBS(*iv),
        .inputHex = std::string(decrypt ? *ciphertext : *plaintext),
        .answerHex = std::string(decrypt ? *plaintext : *ciphertext),
        .nextIVHex = nextIV ? std::optional<std::string>(*nextIV) : std::nullopt,
    };
}

} // namespace

std::vector<CtrVector> ctrVectors(std::span<const KatFiles::KatFile> files, std::size_t keyOctets) {
    std::vector<CtrVector> vectors;
    for (const KatFiles::KatFile& file : files) {
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            const bool decrypt = category.property(decryptSection).has_value();
            if (!decrypt && !category.property(encryptSection)) {
                continue;
            }
            const std::string prefix =
                file.name + "-" + std::string(decrypt ? decryptSection : encryptSection) + "-";
            for (const ParseNistKATs::KatRecord& record : category.records) {
                if (std::optional<CtrVector> vector =
                        ctrVector(prefix, decrypt, keyOctets, record)) {
                    vectors.push_back(std::move(*vector));
                }
            }
        }
    }
    return vectors;
}

std::vector<CtrVector> readVectors(std::size_t keyBits) {
    std::vector<CtrVector> vectors;
    for (const std::string_view directory : katDirectories) {
        for (CtrVector& vector :
             ctrVectors(KatFiles::readKatDirectory(directory, countField), keyBits / 8)) {
            vectors.push_back(std::move(vector));
        }
    }
    return vectors;
}

void assertCtrResult(const CtrVector& vector, const zorvan::Bytes& output,
                     const zorvan::Bytes& nextIV) {
    zorvan::testing::assertEqual(vector.name + ": output", Crypto::hexStringToBS(vector.answerHex),
                                 output);
    if (vector.nextIVHex) {
        zorvan::testing::assertEqual(vector.name + ": next IV",
                                     Crypto::hexStringToBS(*vector.nextIVHex), nextIV);
    }
}

} // namespace Test::AESCTR
