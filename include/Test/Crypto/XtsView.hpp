#pragma once
// Test::Crypto::XtsView: XTS over a block cipher key type, without its type, so that every XTS
// suite (known answers, laws) is compiled once in the library and a consumer's file instantiates
// no more than this view for each of its key types. A separate view from the block cipher's:
// a consumer of the cipher suites alone compiles no XTS.

#include <Test/Crypto/CipherView.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/xts.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>

namespace Test::Crypto {

/// XtsKeyView: one XTS key (zorvan::Xts<K>) of the cipher under test. encrypt and decrypt are
/// zorvan::xts and zorvan::unXts (the key type's own member where it declares one); the tweak is
/// its 16 octets. Errors are those the key type and the operations throw.
class XtsKeyView {
public:
    virtual ~XtsKeyView() = default;
    /// encrypt: zorvan::xts of the data unit under the 16-octet tweak. Throws
    /// std::invalid_argument for a tweak of another length.
    [[nodiscard]] virtual zorvan::Bytes encrypt(const zorvan::Bytes& tweak,
                                                const zorvan::Bytes& dataUnit) const = 0;
    /// decrypt: zorvan::unXts of the data unit, as encrypt.
    [[nodiscard]] virtual zorvan::Bytes decrypt(const zorvan::Bytes& tweak,
                                                const zorvan::Bytes& dataUnit) const = 0;
    /// dataKey, tweakKey: the two cipher keys, for the laws that check the tweak arithmetic and
    /// compare with the generic construction.
    [[nodiscard]] virtual std::shared_ptr<const KeyView> dataKey() const = 0;
    /// tweakKey: the tweak key, the second half of the octets.
    [[nodiscard]] virtual std::shared_ptr<const KeyView> tweakKey() const = 0;
    /// ownsXts: whether the key type supplies xts or unXts itself.
    [[nodiscard]] virtual bool ownsXts() const = 0;
};

/// XtsView: XTS over the key type. keyLength is asked of the type on every call, so that one that
/// throws fails only the leaf that needs it.
class XtsView {
public:
    virtual ~XtsView() = default;
    /// keyLength: the bits of an XTS key, both cipher keys (twice the cipher's key length).
    [[nodiscard]] virtual std::size_t keyLength() const = 0;
    /// buildKey: the XTS key zorvan::Xts<K> builds from the octets, or nullptr when it refuses
    /// them.
    [[nodiscard]] virtual std::shared_ptr<const XtsKeyView>
    buildKey(const zorvan::Bytes& octets) const = 0;
};

/// genericXts: the library's XTS (zorvan's default) over the two cipher keys' own block
/// functions, whatever the key type declares: what a key type's own xts and unXts must agree
/// with. Throws what zorvan::detail::runXts throws.
zorvan::Bytes genericXts(const KeyView& dataKey, const KeyView& tweakKey,
                         const zorvan::Bytes& tweak, const zorvan::Bytes& dataUnit, bool decrypt);

namespace detail {

/// requireTweakOctets: throws std::invalid_argument, as the generic XTS does, for a tweak other
/// than 16 octets, which IV<K> would cut or refuse.
void requireTweakOctets(const zorvan::Bytes& tweak);

template <zorvan::BlockCipher K> class XtsKeyViewOf final : public XtsKeyView {
public:
    explicit XtsKeyViewOf(zorvan::Xts<K> key) : key_(std::move(key)) {}

    [[nodiscard]] zorvan::Bytes encrypt(const zorvan::Bytes& tweak,
                                        const zorvan::Bytes& dataUnit) const override {
        return key_.encrypt(tweakOf(tweak), dataUnit);
    }
    [[nodiscard]] zorvan::Bytes decrypt(const zorvan::Bytes& tweak,
                                        const zorvan::Bytes& dataUnit) const override {
        return key_.decrypt(tweakOf(tweak), dataUnit);
    }
    [[nodiscard]] std::shared_ptr<const KeyView> dataKey() const override {
        return keyView(key_.dataKey());
    }
    [[nodiscard]] std::shared_ptr<const KeyView> tweakKey() const override {
        return keyView(key_.tweakKey());
    }
    [[nodiscard]] bool ownsXts() const override {
        return zorvan::detail::accepts_xts<K> || zorvan::detail::accepts_unXts<K>;
    }

private:
    static zorvan::IV<K> tweakOf(const zorvan::Bytes& tweak) {
        requireTweakOctets(tweak);
        return *zorvan::IV<K>::get(tweak);
    }

    zorvan::Xts<K> key_;
};

template <zorvan::BlockCipher K> class XtsViewOf final : public XtsView {
public:
    [[nodiscard]] std::size_t keyLength() const override { return zorvan::Xts<K>::keyLength(); }
    [[nodiscard]] std::shared_ptr<const XtsKeyView>
    buildKey(const zorvan::Bytes& octets) const override {
        std::optional<zorvan::Xts<K>> key = zorvan::Xts<K>::buildKey(octets);
        if (!key) {
            return nullptr;
        }
        return std::make_shared<const XtsKeyViewOf<K>>(std::move(*key));
    }
};

} // namespace detail

/// xtsView: XTS over key type K.
template <zorvan::BlockCipher K> std::shared_ptr<const XtsView> xtsView() {
    // Checked here, not first in the view's virtual functions, so that a refusal points at the
    // builder call that asked for the view.
    static_assert(zorvan::detail::checkModeMembers<K>() && zorvan::detail::checkXtsMembers<K>());
    return std::make_shared<const detail::XtsViewOf<K>>();
}

} // namespace Test::Crypto
