// Fuzzes hexStringToBS: any text either decodes to one octet per pair of characters or
// raises HexDecodingError, the odd-length one exactly when the character count is odd.

#include <Test/Crypto/hex.hpp>

#include "Test/unicode.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

constexpr std::string_view oddLengthMessage =
    "Not an even number of hex characters in input to hexStringToBS!";

void require(bool invariant) {
    if (!invariant) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t characters = Test::Unicode::countCharacters(text);
    try {
        const zorvan::Bytes octets = Test::Crypto::hexStringToBS(text);
        require(octets.size() * 2 == characters);
    } catch (const Test::Crypto::HexDecodingError& error) {
        require((error.what() == oddLengthMessage) == (characters % 2 != 0));
    }
    return 0;
}
