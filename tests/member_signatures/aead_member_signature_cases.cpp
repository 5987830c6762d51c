// Block cipher and AEAD key types whose own authenticated operations are misdeclared, one per
// MEMBER_CASE value; each must fail to compile with a message naming the member and the
// signature it must have. MEMBER_CASE 0 declares them correctly and must compile and run. With
// BUILDER_CASE set, the program only calls a documented builder, whose refusal must point at that
// call.

#include <Test/AeadConformance.hpp>

#include <zorvan/aead.hpp>
#include <zorvan/aead_modes.hpp>

#include <cstdint>
#include <optional>
#include <span>

namespace {

using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::Sealed;

// A toy 128-bit cipher (XOR with the key octet); only its members' signatures matter here.
struct Key {
    std::uint8_t key = 0;
    static constexpr std::size_t blockSize() { return 128; }
    static constexpr std::size_t keyLength() { return 8; }
    static std::optional<Key> buildKey(const Bytes& octets) {
        return octets.size() == 1 ? std::optional(Key{octets[0]}) : std::nullopt;
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& block) const {
        return Bytes::create(block.size(), [&](std::span<std::uint8_t> out) {
            for (std::size_t i = 0; i < out.size(); ++i) {
                out[i] = static_cast<std::uint8_t>(block[i] ^ key);
            }
        });
    }
    [[nodiscard]] Bytes decryptBlock(const Bytes& block) const { return encryptBlock(block); }
#if MEMBER_CASE == 0
    // Correct: the library's own GCM, as a native member.
    [[nodiscard]] Sealed gcmSeal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                                 std::size_t tagOctets) const {
        return zorvan::detail::sealGeneric(zorvan::BlockCipherAead::gcm,
                                           zorvan::detail::keyBlocks(*this), nonce, aad, plaintext,
                                           tagOctets);
    }
#elif MEMBER_CASE == 16 // gcmSeal without const
    Sealed gcmSeal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                   std::size_t tagOctets);
#elif MEMBER_CASE == 17 // ccmOpen giving the plaintext instead of writing it
    std::optional<Bytes> ccmOpen(const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,
                                 const Bytes& tag, std::size_t tagOctets,
                                 std::span<std::uint8_t> plaintext) const;
#endif
};

// An AEAD key type over it whose chunked member may be misdeclared.
struct Aead : zorvan::GCM<Key> {
    explicit Aead(zorvan::GCM<Key> key) : zorvan::GCM<Key>(std::move(key)) {}
    static std::optional<Aead> buildKey(const Bytes& octets) {
        auto key = zorvan::GCM<Key>::buildKey(octets);
        return key ? std::optional(Aead(std::move(*key))) : std::nullopt;
    }
#if MEMBER_CASE == 18 // sealLazy taking contiguous associated data
    Sealed sealLazy(const Bytes& nonce, const Bytes& aad, const LazyBytes& plaintext,
                    std::size_t tagOctets) const;
#endif
};

} // namespace

#if defined(BUILDER_CASE)
int main() {
    return Test::AeadConformance::makeAeadConformanceTests<Aead>().empty() ? 1 : 0;
}
#else
int main() {
    const Bytes nonce{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Bytes message{1, 2, 3};
    const auto key = *Aead::buildKey(Bytes{7});
    const Sealed sealed = zorvan::sealLazy(key, nonce, LazyBytes::fromChunks({message}),
                                           LazyBytes::fromChunks({message}), 16);
    const Sealed ccm =
        zorvan::ccmSeal(key.blockCipher(), Bytes{1, 2, 3, 4, 5, 6, 7}, message, message, 8);
    const std::optional<Bytes> opened =
        zorvan::open(key, nonce, message, sealed.ciphertext, sealed.tag, 16);
    return opened == message && ccm.tag.size() == 8 ? 0 : 1;
}
#endif
