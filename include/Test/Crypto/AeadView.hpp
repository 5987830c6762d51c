#pragma once
// Test::Crypto::AeadView: an authenticated cipher's key type without its type, so that every
// AEAD suite (known answers and laws) is compiled once in the library and a consumer's file
// instantiates no more than this view for each of its key types.

#include <Test/Crypto/CipherView.hpp>

#include <zorvan/aead.hpp>
#include <zorvan/aead_modes.hpp>
#include <zorvan/bytes.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>

namespace Test::Crypto {

/// AeadKeyView: one key of the type under test. seal and open are the type's own; sealLazy and
/// openLazy are zorvan's (the type's chunked members where it declares them, the strict ones on
/// the joined chunks otherwise). Errors are those the type throws.
class AeadKeyView {
public:
    AeadKeyView() = default;
    virtual ~AeadKeyView() = default;
    AeadKeyView(const AeadKeyView&) = delete;
    AeadKeyView& operator=(const AeadKeyView&) = delete;

    /// seal: the type's seal: the ciphertext and a tag of tagOctets octets.
    [[nodiscard]] virtual zorvan::Sealed seal(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                                              const zorvan::Bytes& plaintext,
                                              std::size_t tagOctets) const = 0;
    /// open: the type's open: true with the plaintext written, or false when it refuses.
    [[nodiscard]] virtual bool open(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                                    const zorvan::Bytes& ciphertext, const zorvan::Bytes& tag,
                                    std::size_t tagOctets,
                                    std::span<std::uint8_t> plaintext) const = 0;
    /// sealLazy: zorvan::sealLazy under this key, on chunked associated data and plaintext.
    [[nodiscard]] virtual zorvan::Sealed sealLazy(const zorvan::Bytes& nonce,
                                                  const zorvan::LazyBytes& aad,
                                                  const zorvan::LazyBytes& plaintext,
                                                  std::size_t tagOctets) const = 0;
    /// openLazy: zorvan::openLazy under this key, on chunked associated data and ciphertext.
    [[nodiscard]] virtual bool openLazy(const zorvan::Bytes& nonce, const zorvan::LazyBytes& aad,
                                        const zorvan::LazyBytes& ciphertext,
                                        const zorvan::Bytes& tag, std::size_t tagOctets,
                                        std::span<std::uint8_t> plaintext) const = 0;
    /// blockCipher: the key of the block cipher a GCM or CCM type runs over (see
    /// AeadView::blockCipherMode), or nullptr.
    [[nodiscard]] virtual std::shared_ptr<const KeyView> blockCipher() const = 0;
};

/// AeadView: the key type itself. Its answers are asked of the type on every call, so that one
/// that throws fails only the leaf that needs it.
class AeadView {
public:
    virtual ~AeadView() = default;
    /// keyLength: the type's key length, in bits.
    [[nodiscard]] virtual std::size_t keyLength() const = 0; // bits
    /// acceptsNonceLength: whether the type takes a nonce of that many octets.
    [[nodiscard]] virtual bool acceptsNonceLength(std::size_t octets) const = 0;
    /// acceptsTagLength: whether the type takes a tag of that many octets.
    [[nodiscard]] virtual bool acceptsTagLength(std::size_t octets) const = 0;
    /// buildKey: the key the type builds from the octets, or nullptr when it refuses them.
    [[nodiscard]] virtual std::shared_ptr<const AeadKeyView>
    buildKey(const zorvan::Bytes& octets) const = 0;
    /// ownsLazy: whether the type takes chunked associated data and text itself.
    [[nodiscard]] virtual bool ownsLazy() const = 0;
    /// blockCipherMode: GCM or CCM when the type runs that mode over a block cipher it names
    /// (zorvan::GCM<K>, say); nothing otherwise.
    [[nodiscard]] virtual std::optional<zorvan::BlockCipherAead> blockCipherMode() const = 0;
    /// nativeMode: whether that block cipher runs the mode with members of its own.
    [[nodiscard]] virtual bool nativeMode() const = 0;
};

/// sealGeneric, openGeneric: the library's generic GCM or CCM over the block functions of key:
/// what a type's own mode must agree with. Errors are those of zorvan's sealGeneric and
/// openGeneric.
zorvan::Sealed sealGeneric(zorvan::BlockCipherAead mode, const KeyView& key,
                           const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                           const zorvan::Bytes& plaintext, std::size_t tagOctets);
/// openGeneric: the generic open, as sealGeneric: true with the plaintext written once the tag
/// checked out, false with nothing written otherwise.
bool openGeneric(zorvan::BlockCipherAead mode, const KeyView& key, const zorvan::Bytes& nonce,
                 const zorvan::Bytes& aad, const zorvan::Bytes& ciphertext,
                 const zorvan::Bytes& tag, std::size_t tagOctets,
                 std::span<std::uint8_t> plaintext);

namespace detail {

template <class A>
concept NamesBlockCipher = requires(const A& key) {
    key.blockCipher();
    { A::blockCipherMode } -> std::convertible_to<zorvan::BlockCipherAead>;
    { A::nativeMode } -> std::convertible_to<bool>;
};

template <zorvan::Aead A> class AeadKeyViewOf final : public AeadKeyView {
public:
    explicit AeadKeyViewOf(A key) : key_(std::move(key)) {}

    [[nodiscard]] zorvan::Sealed seal(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                                      const zorvan::Bytes& plaintext,
                                      std::size_t tagOctets) const override {
        return key_.seal(nonce, aad, plaintext, tagOctets);
    }
    [[nodiscard]] bool open(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                            const zorvan::Bytes& ciphertext, const zorvan::Bytes& tag,
                            std::size_t tagOctets,
                            std::span<std::uint8_t> plaintext) const override {
        return key_.open(nonce, aad, ciphertext, tag, tagOctets, plaintext);
    }
    [[nodiscard]] zorvan::Sealed sealLazy(const zorvan::Bytes& nonce, const zorvan::LazyBytes& aad,
                                          const zorvan::LazyBytes& plaintext,
                                          std::size_t tagOctets) const override {
        return zorvan::sealLazy(key_, nonce, aad, plaintext, tagOctets);
    }
    [[nodiscard]] bool openLazy(const zorvan::Bytes& nonce, const zorvan::LazyBytes& aad,
                                const zorvan::LazyBytes& ciphertext, const zorvan::Bytes& tag,
                                std::size_t tagOctets,
                                std::span<std::uint8_t> plaintext) const override {
        return zorvan::openLazy(key_, nonce, aad, ciphertext, tag, tagOctets, plaintext);
    }
    [[nodiscard]] std::shared_ptr<const KeyView> blockCipher() const override {
        if constexpr (NamesBlockCipher<A>) {
            return keyView(key_.blockCipher());
        } else {
            return nullptr;
        }
    }

private:
    A key_;
};

template <zorvan::Aead A> class AeadViewOf final : public AeadView {
public:
    [[nodiscard]] std::size_t keyLength() const override { return A::keyLength(); }
    [[nodiscard]] bool acceptsNonceLength(std::size_t octets) const override {
        return A::acceptsNonceLength(octets);
    }
    [[nodiscard]] bool acceptsTagLength(std::size_t octets) const override {
        return A::acceptsTagLength(octets);
    }
    [[nodiscard]] std::shared_ptr<const AeadKeyView>
    buildKey(const zorvan::Bytes& octets) const override {
        std::optional<A> key = A::buildKey(octets);
        if (!key) {
            return nullptr;
        }
        return std::make_shared<const AeadKeyViewOf<A>>(std::move(*key));
    }
    [[nodiscard]] bool ownsLazy() const override { return zorvan::hasLazyAead<A>; }
    [[nodiscard]] std::optional<zorvan::BlockCipherAead> blockCipherMode() const override {
        if constexpr (NamesBlockCipher<A>) {
            return A::blockCipherMode;
        } else {
            return std::nullopt;
        }
    }
    [[nodiscard]] bool nativeMode() const override {
        if constexpr (NamesBlockCipher<A>) {
            return A::nativeMode;
        } else {
            return false;
        }
    }
};

} // namespace detail

/// aeadView: the view of key type A.
template <zorvan::Aead A> std::shared_ptr<const AeadView> aeadView() {
    static_assert(zorvan::detail::checkAeadMembers<A>());
    // The cipher's members too, here rather than in the view's virtual functions (instantiated
    // at the end of the file, out of the builder's context), so that a refusal points at the
    // user's builder call.
    if constexpr (detail::NamesBlockCipher<A>) {
        using K = std::remove_cvref_t<decltype(std::declval<const A&>().blockCipher())>;
        static_assert(zorvan::detail::checkModeMembers<K>() &&
                      zorvan::detail::check_gcmMembers<K>() &&
                      zorvan::detail::check_ccmMembers<K>());
    }
    return std::make_shared<const detail::AeadViewOf<A>>();
}

/// aeadKeyView: the view of one key of type A.
template <zorvan::Aead A> std::shared_ptr<const AeadKeyView> aeadKeyView(A key) {
    return std::make_shared<const detail::AeadKeyViewOf<A>>(std::move(key));
}

} // namespace Test::Crypto
