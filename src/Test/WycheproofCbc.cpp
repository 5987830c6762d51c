#include <Test/KatValues.hpp>
#include <Test/Suites.hpp>
#include <Test/Wycheproof.hpp>
#include <Test/WycheproofTests.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace Test::Wycheproof {

namespace {

using WycheproofFiles::Result;

constexpr std::array<std::string_view, 4> cbcFields{"key", "iv", "msg", "ct"};

// One padded CBC test, its hex decoded when it runs.
struct CbcCase {
    std::string name;
    std::string keyHex;
    std::string ivHex;
    std::string messageHex;
    std::string ciphertextHex;
    bool valid;
    zorvan::testing::VectorOrigin origin;
};

// A valid test's msg must encrypt to its ct and back; an invalid ct (its padding wrong) must be
// refused.
void runCbc(const Crypto::CipherView& cipher, const CbcCase& test) {
    const zorvan::Bytes keyOctets = KatValues::hexField(test.origin, "key", test.keyHex);
    const std::shared_ptr<const Crypto::KeyView> key = cipher.buildKey(keyOctets);
    if (!key) {
        throw DamagedData(test.origin.file + ":" + std::to_string(test.origin.line) +
                          ": buildKey refused a key of " + std::to_string(keyOctets.size()) +
                          " octets, the type's own key length");
    }
    const std::optional<zorvan::Bytes> iv =
        cipher.readIV(KatValues::hexField(test.origin, "iv", test.ivHex));
    if (!iv) {
        throw DamagedData(test.origin.file + ":" + std::to_string(test.origin.line) +
                          ": the type's IV refused the iv");
    }
    const zorvan::Bytes message = KatValues::hexField(test.origin, "msg", test.messageHex);
    const zorvan::Bytes ciphertext = KatValues::hexField(test.origin, "ct", test.ciphertextHex);
    if (test.valid) {
        zorvan::testing::assertKnownAnswer(test.name + ": cbcPadded", key->cbcPadded(*iv, message),
                                           ciphertext, test.origin);
        zorvan::testing::assertKnownAnswer(test.name + ": unCbcPadded",
                                           key->unCbcPadded(*iv, ciphertext),
                                           std::optional(message), test.origin);
    } else {
        zorvan::testing::assertKnownAnswer(test.name + ": unCbcPadded must refuse the padding",
                                           key->unCbcPadded(*iv, ciphertext),
                                           std::optional<zorvan::Bytes>(), test.origin);
    }
}

// The Wycheproof file of each row with padded CBC.
std::string_view cbcFileOf(std::string_view algorithm) {
    if (algorithm == "AES") {
        return "aes_cbc_pkcs5_test.json";
    }
    if (algorithm == "Camellia") {
        return "camellia_cbc_pkcs5_test.json";
    }
    throw std::invalid_argument("no Wycheproof padded CBC file for the algorithm " +
                                std::string(algorithm));
}

} // namespace

std::vector<zorvan::testing::Test>
cbcPaddedTests(const std::shared_ptr<const Crypto::CipherView>& cipher, std::string_view algorithm,
               Acceptable acceptable, const DataSource& source, const FileAt& file) {
    const Suites::Algorithm& row = Suites::algorithm(algorithm);
    return fileTests(
        source, file, cbcFileOf(algorithm),
        [&cipher, &row, acceptable, &file](RecordTests& records, const Record& record) {
            const WycheproofFiles::Test& test = *record.vector;
            std::string damage = testDamage(test, "IndCpaTest", cbcFields);
            const std::optional<zorvan::Bytes> key =
                damage.empty() ? KatValues::recordHex("key", *test.text("key"), damage)
                               : std::nullopt;
            if (!key) {
                return records.fail(placeOf(file.directory, record), damage);
            }
            const std::string octets = std::to_string(key->size()) + " octets";
            if (std::ranges::find(row.keyOctets, key->size()) == row.keyOctets.end()) {
                return records.fail(placeOf(file.directory, record),
                                    "a key of " + octets + ", no key size of " + row.name);
            }
            if (key->size() * 8 != cipher->keyLength()) {
                return records.otherVariant(placeOf(file.directory, record), "key of " + octets);
            }
            const std::optional<Result> result = judged(test.result, acceptable);
            if (!result) {
                return records.otherVariant(placeOf(file.directory, record),
                                            "acceptable, and the policy takes either outcome");
            }
            const auto text = [&test](std::string_view field) {
                return std::string(*test.text(field));
            };
            CbcCase cbcCase{leafName(test),
                            text("key"),
                            text("iv"),
                            text("msg"),
                            text("ct"),
                            *result == Result::valid,
                            WycheproofFiles::origin(file.directory, record)};
            std::string name = cbcCase.name;
            records.add(
                zorvan::testing::testCase(std::move(name), [cipher, cbcCase = std::move(cbcCase)] {
                    runCbc(*cipher, cbcCase);
                }));
        });
}

} // namespace Test::Wycheproof
