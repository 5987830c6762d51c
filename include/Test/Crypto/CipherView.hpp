#pragma once
// Test::Crypto::CipherView: a block cipher key type without its type, so that the block-cipher
// suites (known answers, Monte Carlo chains, property groups) are compiled once in the library
// and a consumer's file instantiates no more than this view for each of its key types.

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>

namespace Test::Crypto {

/// CipherMode: the modes the suites run, the IV modes in the order the property groups number
/// them (CBC, CFB, OFB, CTR).
enum class CipherMode { ecb, cbc, cfb, ofb, ctr };

/// ModeResult: a mode's output and the octets of its next IV (for ECB, the IV given).
template <class Output> using ModeResult = std::pair<Output, zorvan::Bytes>;

/// ChainedOperation: a single-block operation that a Monte Carlo test chains.
enum class ChainedOperation { ecbEncrypt, ecbDecrypt, cbcEncrypt, cbcDecrypt };

/// KeyView: one key of the type under test. run and runLazy are zorvan's free functions of that
/// mode and direction on the key (the type's own member where it declares one, the generic
/// mode otherwise); IVs travel as the octets the type's IV keeps. Errors are those the key
/// type and the modes throw.
class KeyView {
public:
    /// KeyView: a key of a type whose blocks have blockOctets octets.
    explicit KeyView(std::size_t blockOctets) : blockOctets_(blockOctets) {}
    virtual ~KeyView() = default;
    KeyView(const KeyView&) = delete;
    KeyView& operator=(const KeyView&) = delete;

    /// blockOctets: the block size in octets, read once when the key was built.
    [[nodiscard]] std::size_t blockOctets() const noexcept { return blockOctets_; }
    /// encryptBlock, decryptBlock: the key type's own block functions, called as they are.
    [[nodiscard]] virtual zorvan::Bytes encryptBlock(const zorvan::Bytes& blocks) const = 0;
    /// decryptBlock: see encryptBlock.
    [[nodiscard]] virtual zorvan::Bytes decryptBlock(const zorvan::Bytes& blocks) const = 0;
    /// run: the mode in that direction (decrypt false encrypts) on input from the IV's octets
    /// (ignored for ECB): the output and the next IV's octets.
    [[nodiscard]] virtual ModeResult<zorvan::Bytes> run(CipherMode mode, bool decrypt,
                                                        const zorvan::Bytes& iv,
                                                        const zorvan::Bytes& input) const = 0;
    /// runLazy: the chunked form of run (the type's own ...Lazy member where it declares one).
    [[nodiscard]] virtual ModeResult<zorvan::LazyBytes>
    runLazy(CipherMode mode, bool decrypt, const zorvan::Bytes& iv,
            const zorvan::LazyBytes& input) const = 0;
    /// chain: steps chained operations from input, as the designers' Monte Carlo inner loop
    /// runs them, and the last output. ECB feeds each output back as the next input. CBC
    /// encryption takes the chaining value just used as the next plaintext and the ciphertext
    /// just made as the next chaining value; CBC decryption takes the ciphertext just used as
    /// the next chaining value and the plaintext just made as the next ciphertext. iv holds the
    /// octets CipherView::readIV gave (nothing for ECB); a chaining value is read from an output
    /// as IV::get reads it, and an output too short for one throws std::bad_optional_access. The
    /// loop runs on the key's own type: a Monte Carlo test makes millions of steps, and a call
    /// through the view on each costs about a fifth of what a library spends on the block.
    [[nodiscard]] virtual zorvan::Bytes chain(ChainedOperation operation, std::size_t steps,
                                              const zorvan::Bytes& iv,
                                              zorvan::Bytes input) const = 0;
    /// cbcPadded: zorvan::cbcPadded of the plaintext from the IV's octets.
    [[nodiscard]] virtual zorvan::Bytes cbcPadded(const zorvan::Bytes& iv,
                                                  const zorvan::Bytes& plaintext) const = 0;
    /// unCbcPadded: zorvan::unCbcPadded of the ciphertext from the IV's octets: the plaintext,
    /// or nothing when it refuses.
    [[nodiscard]] virtual std::optional<zorvan::Bytes>
    unCbcPadded(const zorvan::Bytes& iv, const zorvan::Bytes& ciphertext) const = 0;

private:
    std::size_t blockOctets_;
};

/// streamThroughStrict: the chunked form of a mode as zorvan's lazy defaults run it, streaming
/// the chunks through the key's strict operation; what a KeyView's runLazy gives for a key type
/// without its own chunked member. Errors are those run throws.
ModeResult<zorvan::LazyBytes> streamThroughStrict(const KeyView& key, CipherMode mode, bool decrypt,
                                                  const zorvan::Bytes& iv,
                                                  const zorvan::LazyBytes& input);

/// keyBlocksOf: the key's own block functions as the library's generic modes and constructions
/// take them; the view must outlive the result. Never fails.
zorvan::detail::KeyBlocks keyBlocksOf(const KeyView& key);

/// runGeneric: the library's generic mode (zorvan's default) over the key's own block
/// functions, whatever modes the key type declares: what each mode must agree with. Errors are
/// those the block functions and the modes throw.
ModeResult<zorvan::Bytes> runGeneric(const KeyView& key, CipherMode mode, bool decrypt,
                                     const zorvan::Bytes& iv, const zorvan::Bytes& input);

/// CipherView: the key type itself. The lengths are asked of the type on every call, so that
/// one that throws fails only the leaf that needs it.
class CipherView {
public:
    virtual ~CipherView() = default;
    /// blockSize: the type's blockSize(), in bits.
    [[nodiscard]] virtual std::size_t blockSize() const = 0; // bits
    /// keyLength: the type's keyLength(), in bits.
    [[nodiscard]] virtual std::size_t keyLength() const = 0; // bits
    /// buildKey: the key the type builds from the octets, or nullptr when it refuses them.
    [[nodiscard]] virtual std::shared_ptr<const KeyView>
    buildKey(const zorvan::Bytes& octets) const = 0;
    /// readIV: the octets of the IV the type's IV reads from these, or nothing when it refuses.
    [[nodiscard]] virtual std::optional<zorvan::Bytes>
    readIV(const zorvan::Bytes& octets) const = 0;
};

namespace detail {

template <zorvan::BlockCipher K, class Output>
ModeResult<Output> withIvOctets(std::pair<Output, zorvan::IV<K>> result) {
    return {std::move(result.first), std::move(result.second).encode()};
}

// Calls ownMode (a generic lambda) with the key only when the type declares that chunked
// member: the generic lazy modes are never instantiated for the view, since the library
// streams them itself.
template <bool Declared, class K, class Call>
std::optional<ModeResult<zorvan::LazyBytes>> ifDeclared(const K& key, Call ownMode) {
    if constexpr (Declared) {
        return ownMode(key);
    } else {
        return std::nullopt;
    }
}

template <zorvan::BlockCipher K> class KeyViewOf final : public KeyView {
public:
    explicit KeyViewOf(K key) : KeyView(K::blockSize() / 8), key_(std::move(key)) {}

    [[nodiscard]] zorvan::Bytes encryptBlock(const zorvan::Bytes& blocks) const override {
        return key_.encryptBlock(blocks);
    }
    [[nodiscard]] zorvan::Bytes decryptBlock(const zorvan::Bytes& blocks) const override {
        return key_.decryptBlock(blocks);
    }

    [[nodiscard]] ModeResult<zorvan::Bytes> run(CipherMode mode, bool decrypt,
                                                const zorvan::Bytes& iv,
                                                const zorvan::Bytes& input) const override {
        switch (mode) {
        case CipherMode::ecb:
            return {decrypt ? zorvan::unEcb(key_, input) : zorvan::ecb(key_, input), iv};
        case CipherMode::cbc:
            return withIvOctets<K>(decrypt ? zorvan::unCbc(key_, ivOf(iv), input)
                                           : zorvan::cbc(key_, ivOf(iv), input));
        case CipherMode::cfb:
            return withIvOctets<K>(decrypt ? zorvan::unCfb(key_, ivOf(iv), input)
                                           : zorvan::cfb(key_, ivOf(iv), input));
        case CipherMode::ofb:
            return withIvOctets<K>(decrypt ? zorvan::unOfb(key_, ivOf(iv), input)
                                           : zorvan::ofb(key_, ivOf(iv), input));
        case CipherMode::ctr:
            return withIvOctets<K>(decrypt ? zorvan::unCtr(key_, ivOf(iv), input)
                                           : zorvan::ctr(key_, ivOf(iv), input));
        }
        return {input, iv};
    }

    [[nodiscard]] zorvan::Bytes cbcPadded(const zorvan::Bytes& iv,
                                          const zorvan::Bytes& plaintext) const override {
        return zorvan::cbcPadded(key_, ivOf(iv), plaintext);
    }
    [[nodiscard]] std::optional<zorvan::Bytes>
    unCbcPadded(const zorvan::Bytes& iv, const zorvan::Bytes& ciphertext) const override {
        return zorvan::unCbcPadded(key_, ivOf(iv), ciphertext);
    }

    [[nodiscard]] ModeResult<zorvan::LazyBytes>
    runLazy(CipherMode mode, bool decrypt, const zorvan::Bytes& iv,
            const zorvan::LazyBytes& input) const override {
        if (auto own = ownLazy(mode, decrypt, iv, input)) {
            return std::move(*own);
        }
        return streamThroughStrict(*this, mode, decrypt, iv, input);
    }

    [[nodiscard]] zorvan::Bytes chain(ChainedOperation operation, std::size_t steps,
                                      const zorvan::Bytes& iv, zorvan::Bytes input) const override {
        switch (operation) {
        case ChainedOperation::ecbEncrypt:
        case ChainedOperation::ecbDecrypt:
            for (std::size_t step = 0; step < steps; ++step) {
                input = operation == ChainedOperation::ecbDecrypt ? zorvan::unEcb(key_, input)
                                                                  : zorvan::ecb(key_, input);
            }
            return input;
        case ChainedOperation::cbcEncrypt:
            return chainCbcEncryption(steps, iv, std::move(input));
        case ChainedOperation::cbcDecrypt:
            return chainCbcDecryption(steps, iv, std::move(input));
        }
        return input;
    }

private:
    static zorvan::IV<K> ivOf(const zorvan::Bytes& octets) { return *zorvan::IV<K>::get(octets); }

    zorvan::Bytes chainCbcEncryption(std::size_t steps, const zorvan::Bytes& iv,
                                     zorvan::Bytes plaintext) const {
        zorvan::IV<K> chaining = ivOf(iv);
        zorvan::Bytes chainingOctets = iv;
        for (std::size_t step = 0; step < steps; ++step) {
            zorvan::Bytes ciphertext = zorvan::cbc(key_, chaining, plaintext).first;
            plaintext = std::move(chainingOctets);
            chaining = zorvan::IV<K>::get(ciphertext).value();
            chainingOctets = std::move(ciphertext);
        }
        return chainingOctets;
    }

    zorvan::Bytes chainCbcDecryption(std::size_t steps, const zorvan::Bytes& iv,
                                     zorvan::Bytes ciphertext) const {
        zorvan::IV<K> chaining = ivOf(iv);
        for (std::size_t step = 0; step < steps; ++step) {
            zorvan::Bytes plaintext = zorvan::unCbc(key_, chaining, ciphertext).first;
            chaining = zorvan::IV<K>::get(ciphertext).value();
            ciphertext = std::move(plaintext);
        }
        return ciphertext;
    }

    std::optional<ModeResult<zorvan::LazyBytes>> ownLazy(CipherMode mode, bool decrypt,
                                                         const zorvan::Bytes& iv,
                                                         const zorvan::LazyBytes& input) const {
        using namespace zorvan::detail;
        const auto withIv = [](auto result) { return withIvOctets<K>(std::move(result)); };
        const auto unchangedIv = [&](zorvan::LazyBytes output) {
            return ModeResult<zorvan::LazyBytes>{std::move(output), iv};
        };
        const K& k = key_;
        switch (mode) {
        case CipherMode::ecb:
            return decrypt
                       ? ifDeclared<accepts_unEcbLazy<K>>(
                             k,
                             [&](auto& key) { return unchangedIv(zorvan::unEcbLazy(key, input)); })
                       : ifDeclared<accepts_ecbLazy<K>>(k, [&](auto& key) {
                             return unchangedIv(zorvan::ecbLazy(key, input));
                         });
        case CipherMode::cbc:
            return decrypt ? ifDeclared<accepts_unCbcLazy<K>>(
                                 k,
                                 [&](auto& key) {
                                     return withIv(zorvan::unCbcLazy(key, ivOf(iv), input));
                                 })
                           : ifDeclared<accepts_cbcLazy<K>>(k, [&](auto& key) {
                                 return withIv(zorvan::cbcLazy(key, ivOf(iv), input));
                             });
        case CipherMode::cfb:
            return decrypt ? ifDeclared<accepts_unCfbLazy<K>>(
                                 k,
                                 [&](auto& key) {
                                     return withIv(zorvan::unCfbLazy(key, ivOf(iv), input));
                                 })
                           : ifDeclared<accepts_cfbLazy<K>>(k, [&](auto& key) {
                                 return withIv(zorvan::cfbLazy(key, ivOf(iv), input));
                             });
        case CipherMode::ofb:
            return decrypt ? ifDeclared<accepts_unOfbLazy<K>>(
                                 k,
                                 [&](auto& key) {
                                     return withIv(zorvan::unOfbLazy(key, ivOf(iv), input));
                                 })
                           : ifDeclared<accepts_ofbLazy<K>>(k, [&](auto& key) {
                                 return withIv(zorvan::ofbLazy(key, ivOf(iv), input));
                             });
        case CipherMode::ctr:
            return decrypt ? ifDeclared<accepts_unCtrLazy<K>>(
                                 k,
                                 [&](auto& key) {
                                     return withIv(zorvan::unCtrLazy(key, ivOf(iv), input));
                                 })
                           : ifDeclared<accepts_ctrLazy<K>>(k, [&](auto& key) {
                                 return withIv(zorvan::ctrLazy(key, ivOf(iv), input));
                             });
        }
        return std::nullopt;
    }

    K key_;
};

template <zorvan::BlockCipher K> class CipherViewOf final : public CipherView {
public:
    [[nodiscard]] std::size_t blockSize() const override { return K::blockSize(); }
    [[nodiscard]] std::size_t keyLength() const override { return K::keyLength(); }
    [[nodiscard]] std::shared_ptr<const KeyView>
    buildKey(const zorvan::Bytes& octets) const override {
        std::optional<K> key = K::buildKey(octets);
        if (!key) {
            return nullptr;
        }
        return std::make_shared<const KeyViewOf<K>>(std::move(*key));
    }
    [[nodiscard]] std::optional<zorvan::Bytes> readIV(const zorvan::Bytes& octets) const override {
        const std::optional<zorvan::IV<K>> iv = zorvan::IV<K>::get(octets);
        return iv ? std::optional(iv->encode()) : std::nullopt;
    }
};

} // namespace detail

/// cipherView: the view of key type K.
template <zorvan::BlockCipher K> std::shared_ptr<const CipherView> cipherView() {
    // Checked here, not first in the view's virtual functions (instantiated at the end of the
    // file, out of the builder's context), so that a refusal points at the user's builder call.
    static_assert(zorvan::detail::checkModeMembers<K>());
    return std::make_shared<const detail::CipherViewOf<K>>();
}

/// keyView: the view of one key of type K.
template <zorvan::BlockCipher K> std::shared_ptr<const KeyView> keyView(K key) {
    static_assert(zorvan::detail::checkModeMembers<K>());
    return std::make_shared<const detail::KeyViewOf<K>>(std::move(key));
}

} // namespace Test::Crypto
