#include <Test/KatValues.hpp>
#include <Test/MacVectors.hpp>
#include <Test/Suites.hpp>
#include <Test/Wycheproof.hpp>
#include <Test/WycheproofTests.hpp>

#include <zorvan/testing/assertion.hpp>

#include <array>

namespace Test::Wycheproof {

namespace {

using WycheproofFiles::Result;

constexpr std::array<std::string_view, 3> macFields{"key", "msg", "tag"};

// The result a MAC test must meet, or nothing when the record is accounted for already (a
// damaged test, or an acceptable one under a policy that takes either outcome: a MAC test has
// one outcome to check, so either leaves none).
std::optional<Result> macResult(RecordTests& records, std::string_view directory,
                                const Record& record, Acceptable acceptable) {
    if (const std::string damage = testDamage(*record.vector, "MacTest", macFields);
        !damage.empty()) {
        records.fail(placeOf(directory, record), damage);
        return std::nullopt;
    }
    const std::optional<Result> result = judged(record.vector->result, acceptable);
    if (!result) {
        records.otherVariant(placeOf(directory, record),
                             "acceptable, and the policy takes either outcome");
    }
    return result;
}

std::string text(const WycheproofFiles::Test& test, std::string_view field) {
    return std::string(*test.text(field));
}

// One HMAC test, its hex decoded when it runs.
struct HmacCase {
    std::string name;
    std::string keyHex;
    std::string messageHex;
    std::string tagHex;
    bool valid;
    zorvan::testing::VectorOrigin origin;
};

// A valid tag must be the HMAC's first octets and verify; an invalid one must not verify.
void runHmac(const Crypto::HashView& hash, const HmacCase& test) {
    const zorvan::Bytes key = KatValues::hexField(test.origin, "key", test.keyHex);
    const zorvan::Bytes message = KatValues::hexField(test.origin, "msg", test.messageHex);
    const zorvan::Bytes tag = KatValues::hexField(test.origin, "tag", test.tagHex);
    if (test.valid) {
        zorvan::testing::assertKnownAnswer(
            test.name + ": hmacStrict, as long as the tag",
            hash.encode(hash.hmacStrict(key, message)).take(tag.size()), tag, test.origin);
    }
    zorvan::testing::assertKnownAnswer(test.valid ? test.name + ": hmacVerify accepts the tag"
                                                  : test.name + ": hmacVerify must refuse the tag",
                                       hash.hmacVerify(key, message, tag), test.valid, test.origin);
}

} // namespace

std::vector<zorvan::testing::Test> cmacTests(const std::shared_ptr<const Crypto::MacView>& mac,
                                             Acceptable acceptable, const DataSource& source,
                                             const FileAt& file) {
    const Suites::Algorithm& row = Suites::algorithm("AES-CMAC");
    return fileTests(source, file, fileOf(row.name),
                     [&mac, &row, acceptable, &file](RecordTests& records, const Record& record) {
                         const std::optional<Result> result =
                             macResult(records, file.directory, record, acceptable);
                         if (!result) {
                             return;
                         }
                         const WycheproofFiles::Test& test = *record.vector;
                         CMAC::bindMacVector(records, mac, row.keyOctets,
                                             {leafName(test), text(test, "key"), text(test, "msg"),
                                              text(test, "tag"),
                                              *result == Result::valid ? CMAC::MacResult::valid
                                                                       : CMAC::MacResult::invalid,
                                              WycheproofFiles::origin(file.directory, record)});
                     });
}

std::vector<zorvan::testing::Test> hmacTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                             std::string_view algorithm, Acceptable acceptable,
                                             const DataSource& source, const FileAt& file) {
    return fileTests(source, file, fileOf(algorithm),
                     [&hash, acceptable, &file](RecordTests& records, const Record& record) {
                         const std::optional<Result> result =
                             macResult(records, file.directory, record, acceptable);
                         if (!result) {
                             return;
                         }
                         const WycheproofFiles::Test& test = *record.vector;
                         HmacCase hmacCase{leafName(test),
                                           text(test, "key"),
                                           text(test, "msg"),
                                           text(test, "tag"),
                                           *result == Result::valid,
                                           WycheproofFiles::origin(file.directory, record)};
                         std::string name = hmacCase.name;
                         records.add(zorvan::testing::testCase(
                             std::move(name),
                             [hash, hmacCase = std::move(hmacCase)] { runHmac(*hash, hmacCase); }));
                     });
}

} // namespace Test::Wycheproof
