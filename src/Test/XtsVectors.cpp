#include <Test/KatValues.hpp>
#include <Test/VectorCases.hpp>
#include <Test/XtsVectors.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>

namespace Test::XTS {

namespace {

constexpr std::string_view keyField = "Key";

void assertBothWays(const Crypto::XtsKeyView& key, const XtsVector& vector) {
    const std::string_view inputField = vector.decrypt ? "CT" : "PT";
    const std::string_view answerField = vector.decrypt ? "PT" : "CT";
    const zorvan::Bytes input = KatValues::hexField(vector.origin, inputField, vector.inputHex);
    const zorvan::Bytes answer = KatValues::hexField(vector.origin, answerField, vector.answerHex);
    const auto run = [&](bool decrypt, const zorvan::Bytes& data) {
        return decrypt ? key.decrypt(vector.tweak, data) : key.encrypt(vector.tweak, data);
    };
    zorvan::testing::assertKnownAnswer(vector.name, run(vector.decrypt, input), answer,
                                       vector.origin);
    zorvan::testing::assertKnownAnswer(vector.name + ": the other way",
                                       run(!vector.decrypt, answer), input, vector.origin);
}

} // namespace

void bindXtsVector(RecordTests& records, const std::shared_ptr<const Crypto::XtsView>& xts,
                   std::span<const std::size_t> keyOctets, XtsVector vector) {
    const RecordLedger::RecordPlace place = placeOf(vector.origin);
    std::string damage;
    const std::optional<zorvan::Bytes> decodedKey =
        KatValues::recordHex(keyField, vector.keyHex, damage);
    if (!decodedKey) {
        return records.fail(place, damage);
    }
    const zorvan::Bytes& key = *decodedKey;
    const std::size_t half = key.size() / 2;
    if (key.size() % 2 != 0 || std::ranges::find(keyOctets, half) == keyOctets.end()) {
        return records.fail(place, "a Key of " + std::to_string(key.size()) +
                                       " octets, not two keys of one AES size");
    }
    if (vector.tweak.size() != zorvan::xtsBlockOctets) {
        return records.fail(place, "a tweak of " + std::to_string(vector.tweak.size()) +
                                       " octets; XTS's is one block, 16 octets");
    }
    if (key.size() * 8 != xts->keyLength()) {
        return records.otherVariant(place, "keys of " + std::to_string(half) + " octets");
    }
    std::shared_ptr<const Crypto::XtsKeyView> built = xts->buildKey(key);
    if (!built) {
        return records.fail(place, "buildKey refused two keys of " + std::to_string(half) +
                                       " octets, the type's own key length");
    }
    records.add(vectorCase(std::move(vector), [key = std::move(built)](const XtsVector& each) {
        assertBothWays(*key, each);
    }));
}

} // namespace Test::XTS
