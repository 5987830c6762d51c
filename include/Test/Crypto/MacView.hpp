#pragma once
// Test::Crypto::MacView: a MAC key type without its type, so that every MAC suite (known
// answers, laws) is compiled once in the library and a consumer's file instantiates no more than
// this view for each of its MAC types. For CMAC (zorvan::Cmac<K>) the view also reaches the
// cipher key, for the laws that check which subkey a tag was made with.
//
// Not to be confused with Test::Crypto::macView<D>() of a digest type (<Test/Crypto/HashView.hpp>),
// the HMAC builders' view: the overload here takes a zorvan::Mac.

#include <Test/Crypto/CipherView.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/cmac.hpp>
#include <zorvan/mac.hpp>

#include <concepts>
#include <cstddef>
#include <memory>
#include <optional>
#include <utility>

namespace Test::Crypto {

/// MacKeyView: one key of the MAC type under test. tag and verifyTag are zorvan's (the type's
/// own verifyTag where it declares one). Errors are those the type throws.
class MacKeyView {
public:
    virtual ~MacKeyView() = default;
    /// tag: the type's tag of the chunked message.
    [[nodiscard]] virtual zorvan::Bytes tag(const zorvan::LazyBytes& message) const = 0;
    /// verifyTag: zorvan::verifyTag: whether tag is the right tag of the message.
    [[nodiscard]] virtual bool verifyTag(const zorvan::LazyBytes& message,
                                         const zorvan::Bytes& tag) const = 0;
    /// cipherKey: the block cipher key of a CMAC key, nullptr for a MAC built on no cipher.
    [[nodiscard]] virtual std::shared_ptr<const KeyView> cipherKey() const = 0;
    /// ownsCmac: whether the cipher key type of a CMAC key supplies cmac itself.
    [[nodiscard]] virtual bool ownsCmac() const = 0;
};

/// MacView: the MAC key type itself. The lengths are asked of the type on every call, so that
/// one that throws fails only the leaf that needs it.
class MacView {
public:
    virtual ~MacView() = default;
    /// keyLength: the type's key length, in bits.
    [[nodiscard]] virtual std::size_t keyLength() const = 0; // bits
    /// tagLength: the type's tag length, in bits.
    [[nodiscard]] virtual std::size_t tagLength() const = 0; // bits
    /// buildKey: the key the type builds from the octets, or nullptr when it refuses them.
    [[nodiscard]] virtual std::shared_ptr<const MacKeyView>
    buildKey(const zorvan::Bytes& octets) const = 0;
};

/// genericCmac: the library's CMAC (zorvan's default) over the cipher key's own block function,
/// whatever the key type declares: what a key type's own cmac must agree with. Errors are those
/// the block function throws, and std::invalid_argument for a block of neither 8 nor 16 octets.
zorvan::Bytes genericCmac(const KeyView& cipherKey, const zorvan::LazyBytes& message);

namespace detail {

/// CmacKey: a zorvan::Cmac<K>, whose cipher key the view reaches.
template <class M>
concept CmacKey = requires {
    typename M::Cipher;
}
&&std::same_as<M, zorvan::Cmac<typename M::Cipher>>;

template <zorvan::Mac M> class MacKeyViewOf final : public MacKeyView {
public:
    explicit MacKeyViewOf(M key) : key_(std::move(key)) {}

    [[nodiscard]] zorvan::Bytes tag(const zorvan::LazyBytes& message) const override {
        return key_.tag(message);
    }
    [[nodiscard]] bool verifyTag(const zorvan::LazyBytes& message,
                                 const zorvan::Bytes& tag) const override {
        return zorvan::verifyTag(key_, message, tag);
    }
    [[nodiscard]] std::shared_ptr<const KeyView> cipherKey() const override {
        if constexpr (CmacKey<M>) {
            return keyView(key_.cipherKey());
        } else {
            return nullptr;
        }
    }
    [[nodiscard]] bool ownsCmac() const override {
        if constexpr (CmacKey<M>) {
            return zorvan::detail::accepts_cmac<typename M::Cipher>;
        } else {
            return false;
        }
    }

private:
    M key_;
};

template <zorvan::Mac M> class MacViewOf final : public MacView {
public:
    [[nodiscard]] std::size_t keyLength() const override { return M::keyLength(); }
    [[nodiscard]] std::size_t tagLength() const override { return M::tagLength(); }
    [[nodiscard]] std::shared_ptr<const MacKeyView>
    buildKey(const zorvan::Bytes& octets) const override {
        std::optional<M> key = M::buildKey(octets);
        if (!key) {
            return nullptr;
        }
        return std::make_shared<const MacKeyViewOf<M>>(std::move(*key));
    }
};

} // namespace detail

/// macView: the view of MAC key type M (zorvan::Cmac<K> for CMAC over cipher K).
template <zorvan::Mac M> std::shared_ptr<const MacView> macView() {
    // Checked here, not first in the view's virtual functions (instantiated at the end of the
    // file, out of the builder's context), so that a refusal points at the user's builder call.
    static_assert(zorvan::detail::checkVerifyTagMember<M>());
    if constexpr (detail::CmacKey<M>) {
        static_assert(zorvan::detail::checkModeMembers<typename M::Cipher>() &&
                      zorvan::detail::checkCmacMember<typename M::Cipher>());
    }
    return std::make_shared<const detail::MacViewOf<M>>();
}

} // namespace Test::Crypto
