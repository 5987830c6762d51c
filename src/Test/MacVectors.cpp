#include <Test/KatValues.hpp>
#include <Test/MacVectors.hpp>
#include <Test/VectorCases.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>

namespace Test::CMAC {

namespace {

constexpr std::string_view keyField = "key";
constexpr std::string_view messageField = "message";
constexpr std::string_view tagField = "tag";

std::string octetsOfKey(std::size_t size) {
    return "key of " + std::to_string(size) + " octets";
}

void assertValid(const Crypto::MacKeyView& key, const MacVector& vector) {
    const zorvan::Bytes message =
        KatValues::hexField(vector.origin, messageField, vector.messageHex);
    const zorvan::Bytes tag = KatValues::hexField(vector.origin, tagField, vector.tagHex);
    const zorvan::LazyBytes whole = zorvan::LazyBytes::fromChunks({message});
    zorvan::testing::assertKnownAnswer(
        vector.name,
        std::pair(key.tag(whole).take(tag.size()),
                  key.tag(KatValues::chunkMessage(message)).take(tag.size())),
        std::pair(tag, tag), vector.origin);
    zorvan::testing::assertKnownAnswer(vector.name + ": verifyTag", key.verifyTag(whole, tag), true,
                                       vector.origin);
}

void assertInvalid(const Crypto::MacKeyView& key, const MacVector& vector) {
    const zorvan::Bytes message =
        KatValues::hexField(vector.origin, messageField, vector.messageHex);
    const zorvan::Bytes tag = KatValues::hexField(vector.origin, tagField, vector.tagHex);
    zorvan::testing::assertKnownAnswer(vector.name + ": verifyTag of a tag that must be refused",
                                       key.verifyTag(zorvan::LazyBytes::fromChunks({message}), tag),
                                       false, vector.origin);
}

} // namespace

void bindMacVector(RecordTests& records, const std::shared_ptr<const Crypto::MacView>& mac,
                   std::span<const std::size_t> keyOctets, MacVector vector) {
    const RecordLedger::RecordPlace place = placeOf(vector.origin);
    std::string damage;
    const std::optional<zorvan::Bytes> decodedKey =
        KatValues::recordHex(keyField, vector.keyHex, damage);
    if (!decodedKey) {
        return records.fail(place, damage);
    }
    const zorvan::Bytes& key = *decodedKey;
    const bool algorithmSize = std::ranges::find(keyOctets, key.size()) != keyOctets.end();
    if (!algorithmSize && vector.result == MacResult::valid) {
        return records.fail(place, "a valid vector with a " + octetsOfKey(key.size()) +
                                       ", no key size of the algorithm");
    }
    if (!algorithmSize) {
        return records.add(vectorCase(std::move(vector), [mac, key](const MacVector& each) {
            zorvan::testing::assertKnownAnswer(each.name + ": buildKey of a " +
                                                   octetsOfKey(key.size()) + " must refuse it",
                                               mac->buildKey(key) == nullptr, true, each.origin);
        }));
    }
    if (key.size() * 8 != mac->keyLength()) {
        return records.otherVariant(place, octetsOfKey(key.size()));
    }
    std::shared_ptr<const Crypto::MacKeyView> built = mac->buildKey(key);
    if (!built) {
        return records.fail(place, "buildKey refused " + octetsOfKey(key.size()) +
                                       ", the type's own key length");
    }
    records.add(vectorCase(std::move(vector), [key = std::move(built)](const MacVector& each) {
        if (each.result == MacResult::valid) {
            assertValid(*key, each);
        } else {
            assertInvalid(*key, each);
        }
    }));
}

} // namespace Test::CMAC
