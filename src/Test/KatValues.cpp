#include <Test/KatValues.hpp>

#include <Test/Crypto/hex.hpp>

#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>

namespace Test::KatValues {

namespace {

constexpr std::string_view asciiWhiteSpace = " \t\n\v\f\r";

std::string notAnIntegerMessage(std::string_view fieldName, std::string_view text) {
    return "the " + std::string(fieldName) + " field \"" + std::string(text) +
           "\" does not read as one signed 64-bit integer";
}

std::string placeOf(const zorvan::testing::VectorOrigin& origin) {
    return origin.file + ":" + std::to_string(origin.line) + ": ";
}

} // namespace

std::string_view trimmed(std::string_view text) noexcept {
    const std::size_t first = text.find_first_not_of(asciiWhiteSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(asciiWhiteSpace) - first + 1);
}

std::int64_t readInteger(std::string_view fieldName, std::string_view text) {
    const std::string_view digits = trimmed(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) {
        throw KatValueError(notAnIntegerMessage(fieldName, text));
    }
    return value;
}

zorvan::Bytes hexField(const zorvan::testing::VectorOrigin& origin, std::string_view fieldName,
                       std::string_view text) {
    try {
        return Crypto::hexStringToBS(text);
    } catch (const Crypto::HexDecodingError& error) {
        throw Crypto::HexDecodingError(placeOf(origin) + std::string(fieldName) + ": " +
                                       error.what());
    }
}

std::optional<zorvan::Bytes> recordHex(std::string_view fieldName, std::string_view text,
                                       std::string& damage) {
    try {
        return Crypto::hexStringToBS(text);
    } catch (const Crypto::HexDecodingError& error) {
        if (damage.empty()) {
            damage = std::string(fieldName) + ": " + error.what();
        }
        return std::nullopt;
    }
}

std::int64_t integerField(const zorvan::testing::VectorOrigin& origin, std::string_view fieldName,
                          std::string_view text) {
    try {
        return readInteger(fieldName, text);
    } catch (const KatValueError& error) {
        throw KatValueError(placeOf(origin) + error.what());
    }
}

void disagree(const zorvan::testing::VectorOrigin& origin, const std::string& why) {
    throw KatValueError(placeOf(origin) + why);
}

std::optional<std::string> optionalText(std::optional<std::string_view> text) {
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

zorvan::Bytes takeOctets(const zorvan::Bytes& bytes, std::int64_t count) {
    if (count <= 0) {
        return {};
    }
    // take keeps at most the whole value; the clamp only keeps the cast from narrowing.
    const std::uint64_t wanted = static_cast<std::uint64_t>(count);
    return bytes.take(static_cast<std::size_t>(std::min<std::uint64_t>(wanted, bytes.size())));
}

zorvan::LazyBytes chunkMessage(const zorvan::Bytes& message) {
    return zorvan::LazyBytes::chunksOf(message, messageChunkSize);
}

} // namespace Test::KatValues
