#include <Test/Crypto/AeadView.hpp>

namespace Test::Crypto {

zorvan::Sealed sealGeneric(zorvan::BlockCipherAead mode, const KeyView& key,
                           const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                           const zorvan::Bytes& plaintext, std::size_t tagOctets) {
    return zorvan::detail::sealGeneric(mode, keyBlocksOf(key), nonce, aad, plaintext, tagOctets);
}

bool openGeneric(zorvan::BlockCipherAead mode, const KeyView& key, const zorvan::Bytes& nonce,
                 const zorvan::Bytes& aad, const zorvan::Bytes& ciphertext,
                 const zorvan::Bytes& tag, std::size_t tagOctets,
                 std::span<std::uint8_t> plaintext) {
    return zorvan::detail::openGeneric(mode, keyBlocksOf(key), nonce, aad, ciphertext, tag,
                                       tagOctets, plaintext);
}

} // namespace Test::Crypto
