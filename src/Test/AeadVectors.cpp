#include <Test/AeadVectors.hpp>

#include <Test/KatValues.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <vector>

namespace Test::AeadVectors {

namespace {

std::string octets(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " octet" : " octets");
}

// A buffer the caller hands open: a pattern no plaintext of the vectors repeats, so that any
// octet open writes before it refuses shows.
std::vector<std::uint8_t> callerBuffer(std::size_t length) {
    std::vector<std::uint8_t> buffer(length);
    for (std::size_t i = 0; i < length; ++i) {
        buffer[i] = static_cast<std::uint8_t>(i * 59 + 0xa5);
    }
    return buffer;
}

// A vector as its test keeps it: the hex of its fields in one string, and its place.
class StoredVector {
public:
    // The fields in the order the string holds them.
    enum Field : std::size_t { key, nonce, aad, plaintext, ciphertext, tag, note, count };

    StoredVector(const AeadVector& vector, std::shared_ptr<const std::string> file)
        : expectation_(vector.expectation), hasPlaintext_(vector.plaintextHex.has_value()),
          file_(std::move(file)), line_(vector.line), number_(vector.number), name_(vector.name) {
        const std::array<std::string_view, count> parts{
            vector.keyHex,
            vector.nonceHex,
            vector.aadHex,
            vector.plaintextHex ? std::string_view(*vector.plaintextHex) : std::string_view(),
            vector.ciphertextHex,
            vector.tagHex,
            vector.note};
        for (std::size_t i = 0; i < count; ++i) {
            hex_.append(parts[i]);
            ends_[i] = hex_.size();
        }
    }

    [[nodiscard]] Expectation expectation() const noexcept { return expectation_; }
    [[nodiscard]] bool hasPlaintext() const noexcept { return hasPlaintext_; }
    [[nodiscard]] std::string_view hex(Field field) const noexcept {
        const std::size_t start = field == key ? 0 : ends_[field - 1];
        return std::string_view(hex_).substr(start, ends_[field] - start);
    }
    [[nodiscard]] std::string name() const {
        if (!name_.empty()) {
            return name_;
        }
        return file_->substr(file_->rfind('/') + 1) + "-" + std::to_string(number_);
    }

    // Where the vector comes from with its fields, as a failure reports it.
    [[nodiscard]] zorvan::testing::VectorOrigin origin() const {
        zorvan::testing::VectorOrigin origin{*file_, line_, number_, {}};
        for (const auto& [field, label] : fieldNames) {
            if ((field != plaintext || hasPlaintext_) && (field != note || !hex(note).empty())) {
                origin.fields.push_back({label, std::string(hex(field))});
            }
        }
        return origin;
    }

    [[nodiscard]] zorvan::Bytes decoded(Field field,
                                        const zorvan::testing::VectorOrigin& at) const {
        return KatValues::hexField(at, fieldNames[field].second, hex(field));
    }

private:
    static constexpr std::array<std::pair<Field, const char*>, count> fieldNames{{
        {key, "key"},
        {nonce, "nonce"},
        {aad, "aad"},
        {plaintext, "plaintext"},
        {ciphertext, "ciphertext"},
        {tag, "tag"},
        {note, "note"},
    }};

    Expectation expectation_;
    bool hasPlaintext_;
    std::string hex_;
    std::array<std::size_t, count> ends_{};
    std::shared_ptr<const std::string> file_;
    std::size_t line_;
    std::size_t number_;
    std::string name_;
};

// What open gives: the plaintext, or nothing when it refuses; a refusal that wrote into the
// caller's buffer fails at once, naming where.
std::optional<zorvan::Bytes> opened(const Crypto::AeadKeyView& key, const std::string& name,
                                    const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                                    const zorvan::Bytes& ciphertext, const zorvan::Bytes& tag,
                                    const zorvan::testing::VectorOrigin& origin) {
    std::vector<std::uint8_t> buffer = callerBuffer(ciphertext.size());
    if (key.open(nonce, aad, ciphertext, tag, tag.size(), buffer)) {
        return zorvan::Bytes(buffer);
    }
    zorvan::testing::assertKnownAnswer(
        name + ": a refused open leaves the caller's buffer as it was", zorvan::Bytes(buffer),
        zorvan::Bytes(callerBuffer(ciphertext.size())), origin);
    return std::nullopt;
}

void runVector(const Crypto::AeadView& view, const StoredVector& vector) {
    using Field = StoredVector::Field;
    const zorvan::testing::VectorOrigin origin = vector.origin();
    const std::string name = vector.name();
    const zorvan::Bytes key = vector.decoded(Field::key, origin);
    const std::shared_ptr<const Crypto::AeadKeyView> built = view.buildKey(key);
    if (!built) {
        throw DamagedData(origin.file + ":" + std::to_string(origin.line) +
                          ": buildKey refused a key of " + octets(key.size()) +
                          ", the type's own key length");
    }
    const zorvan::Bytes nonce = vector.decoded(Field::nonce, origin);
    const zorvan::Bytes aad = vector.decoded(Field::aad, origin);
    const zorvan::Bytes ciphertext = vector.decoded(Field::ciphertext, origin);
    const zorvan::Bytes tag = vector.decoded(Field::tag, origin);
    const std::optional<zorvan::Bytes> plaintext =
        vector.hasPlaintext() ? std::optional(vector.decoded(Field::plaintext, origin))
                              : std::nullopt;
    if (vector.expectation() == Expectation::sealAndOpen) {
        zorvan::testing::assertKnownAnswer(name + ": seal",
                                           built->seal(nonce, aad, *plaintext, tag.size()),
                                           zorvan::Sealed{ciphertext, tag}, origin);
    }
    const std::optional<zorvan::Bytes> result =
        opened(*built, name, nonce, aad, ciphertext, tag, origin);
    switch (vector.expectation()) {
    case Expectation::sealAndOpen:
    case Expectation::open:
        zorvan::testing::assertKnownAnswer(name + ": open", result, plaintext, origin);
        return;
    case Expectation::refuse:
        zorvan::testing::assertKnownAnswer(name + ": open must refuse", result,
                                           std::optional<zorvan::Bytes>(), origin);
        return;
    case Expectation::acceptable:
        if (result && plaintext) {
            zorvan::testing::assertKnownAnswer(name + ": open", result, plaintext, origin);
        }
        return;
    }
}

// The records of one file share its name.
std::shared_ptr<const std::string> sharedFile(const std::string& file) {
    thread_local std::shared_ptr<const std::string> last;
    if (!last || *last != file) {
        last = std::make_shared<const std::string>(file);
    }
    return last;
}

// Whether a hex text holds whole octets, without decoding it.
bool wholeOctets(const std::string& hex) {
    return hex.size() % 2 == 0;
}

} // namespace

std::string lengthDisagreement(std::string_view lengthName, std::optional<std::string_view> length,
                               std::size_t unitBits, std::string_view fieldName,
                               const std::string& hex) {
    if (!length) {
        return {};
    }
    const std::string stated = std::string(lengthName) + " = " + std::string(*length) +
                               (unitBits == 8 ? " octets" : " bits");
    try {
        const std::int64_t value = KatValues::readInteger(lengthName, *length);
        if (value >= 0 && static_cast<std::size_t>(value) * unitBits == hex.size() * 4) {
            return {};
        }
    } catch (const KatValues::KatValueError&) {
        return stated + ", which is no length";
    }
    return stated + ", but " + std::string(fieldName) + " holds " + std::to_string(hex.size() * 4) +
           " bits";
}

void bindVector(RecordTests& records, const std::shared_ptr<const Crypto::AeadView>& view,
                const Suites::Algorithm& algorithm, const AeadVector& vector) {
    const std::size_t slash = vector.file.rfind('/');
    const std::string directory = vector.file.substr(0, slash);
    const std::string fileName = vector.file.substr(slash + 1);
    const RecordLedger::RecordPlace place{directory, fileName, vector.line, vector.test};
    std::string damage;
    const std::optional<zorvan::Bytes> decodedKey =
        KatValues::recordHex("key", vector.keyHex, damage);
    const std::optional<zorvan::Bytes> decodedNonce =
        KatValues::recordHex("nonce", vector.nonceHex, damage);
    if (!decodedKey || !decodedNonce) {
        return records.fail(place, damage);
    }
    const zorvan::Bytes& key = *decodedKey;
    const zorvan::Bytes& nonce = *decodedNonce;
    if (!wholeOctets(vector.tagHex)) {
        return records.fail(place, "a tag of an odd number of hex digits");
    }
    const std::size_t tagOctets = vector.tagHex.size() / 2;
    if (std::ranges::find(algorithm.keyOctets, key.size()) == algorithm.keyOctets.end()) {
        return records.fail(place, "a key of " + octets(key.size()) + ", no key size of " +
                                       algorithm.name);
    }
    if (key.size() * 8 != view->keyLength()) {
        return records.otherVariant(place, "key of " + octets(key.size()));
    }
    if (!view->acceptsNonceLength(nonce.size())) {
        return records.otherVariant(place, "nonce of " + octets(nonce.size()) +
                                               ", which the type does not take");
    }
    if (!view->acceptsTagLength(tagOctets)) {
        return records.otherVariant(place, "tag of " + octets(tagOctets) +
                                               ", which the type does not take");
    }
    StoredVector stored(vector, sharedFile(vector.file));
    std::string name = stored.name();
    records.add(zorvan::testing::testCase(
        std::move(name), [view, stored = std::move(stored)] { runVector(*view, stored); }));
}

} // namespace Test::AeadVectors
