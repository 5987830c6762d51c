#pragma once
// Test::Conformance: laws every hash, HMAC and block cipher must keep whatever its internals,
// each leaf named after the fault it catches (a counter that does not carry, a context that
// loses an octet, a mode that accepts a partial block). The laws run over a type-erased view of
// the user's type and are compiled once in the library; the builders here only make the view.

#include <Test/Crypto/CipherView.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/describe.hpp>
#include <zorvan/testing/test.hpp>

#include <any>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace Test::Conformance {

/// Digest: one digest value of the type under test.
using Digest = std::any;

/// HashContext: one running digest computation of the type under test.
class HashContext {
public:
    virtual ~HashContext() = default;
    virtual void update(std::span<const std::uint8_t> octets) = 0;
    virtual Digest finalize() = 0;
    /// copy: an independent copy of the computation, or nullptr when Context is not copyable.
    [[nodiscard]] virtual std::unique_ptr<HashContext> copy() const = 0;
};

/// HashView: a digest type as the hash and HMAC laws see it. hash ... hmacStrict are the
/// library's operations (the type's own where it has them); genericHmac is the FIPS 198
/// construction over the context whatever the type supplies.
struct HashView {
    std::size_t outputLength; // bits
    std::size_t blockLength;  // bits
    std::function<std::unique_ptr<HashContext>()> newContext;
    std::function<zorvan::Bytes(const Digest&)> encode;
    std::function<std::optional<Digest>(const zorvan::Bytes&)> get;
    std::function<bool(const Digest&, const Digest&)> equal;
    std::function<std::string(const Digest&)> print;
    std::function<Digest(const zorvan::LazyBytes&)> hash;
    std::function<Digest(const zorvan::Bytes&)> hashStrict;
    std::function<Digest(const zorvan::Bytes&, const zorvan::LazyBytes&)> hmac;
    std::function<Digest(const zorvan::Bytes&, const zorvan::Bytes&)> hmacStrict;
    std::function<Digest(const zorvan::Bytes&, const zorvan::LazyBytes&)> genericHmac;
    bool ownsHmac; // the type supplies hmac or hmacStrict itself
};

/// Key: one key of the cipher under test.
using Key = std::shared_ptr<const Crypto::KeyView>;

/// ModeOutput: a mode operation's output and next IV (for ECB, the IV given).
struct ModeOutput {
    zorvan::Bytes output;
    zorvan::Bytes nextIv;
    friend bool operator==(const ModeOutput&, const ModeOutput&) = default;
    friend std::ostream& operator<<(std::ostream& out, const ModeOutput& result);
};

/// ModeView: one mode of the cipher under test. encrypt ... decryptLazy are the library's
/// operations (the key type's own where it has them); genericEncrypt and genericDecrypt are the
/// library's generic mode over the key's block functions. Every IV is blockSize/8 octets.
struct ModeView {
    using Strict =
        std::function<ModeOutput(const Key&, const zorvan::Bytes&, const zorvan::Bytes&)>;
    using Lazy =
        std::function<ModeOutput(const Key&, const zorvan::Bytes&, const zorvan::LazyBytes&)>;
    std::string name;     // "ECB", "CBC", "CFB", "OFB", "CTR"
    bool wholeBlocksOnly; // ECB and CBC refuse a partial block
    Strict encrypt;
    Strict decrypt;
    Lazy encryptLazy;
    Lazy decryptLazy;
    Strict genericEncrypt;
    Strict genericDecrypt;
};

/// BlockCipherView: a key type as the block-cipher laws see it; modes in the order ECB, CBC,
/// CFB, OFB, CTR.
struct BlockCipherView {
    std::size_t blockSize; // bits
    std::size_t keyLength; // bits
    std::function<std::optional<Key>(const zorvan::Bytes&)> buildKey;
    std::vector<ModeView> modes;
};

/// hashConformanceTests: the hash laws over a view: chunking (every two- and three-way split
/// of messages around the block boundaries, random chunkings with empty updates, one octet at
/// a time), the context (finalize restarts it, it can be reused, a copy is independent) and
/// digest values (== is octet equality, get reads encode back). Never throws; a law broken
/// or an exception from the implementation fails its leaf.
std::vector<zorvan::testing::Test> hashConformanceTests(const HashView& view);
/// hmacConformanceTests: the HMAC laws over a view: keys of 0, 1, B-1, B, B+1 and 2B+1 octets
/// (B the block length) agree chunked and contiguous and follow FIPS 198's key rules, and the
/// type's own hmac and hmacStrict, if any, agree with FIPS 198 over its context. Never throws.
std::vector<zorvan::testing::Test> hmacConformanceTests(const HashView& view);
/// blockCipherConformanceTests: the block-cipher laws over a view: the stream modes on every
/// length up to four blocks and one octet, prefixes and chunking; ECB and CBC refusing a
/// partial block; each mode equal to the generic mode over the key's block functions (also at
/// counter carry points); continuation from the returned IV. Throws std::invalid_argument
/// when the blocks are shorter than one octet.
std::vector<zorvan::testing::Test> blockCipherConformanceTests(const BlockCipherView& view);

/// boundaryLengths: the message lengths the exhaustive hash laws use for a block of
/// blockOctets octets: 0 to 3 blocks plus one, each block boundary with its neighbours and the
/// lengths at which the padding no longer fits the last block, in increasing order.
std::vector<std::size_t> boundaryLengths(std::size_t blockOctets);
/// cutPoints: the offsets within a message of `length` octets at which the three-way splits
/// cut: both ends and each block boundary with its neighbours, in increasing order.
std::vector<std::size_t> cutPoints(std::size_t length, std::size_t blockOctets);
/// carryIvs: IVs of blockOctets octets at counter carry points (low 32 bits all ones, low 64
/// bits all ones, all ones), each with a varied upper part; fewer for blocks under 8 octets.
std::vector<zorvan::Bytes> carryIvs(std::size_t blockOctets);

namespace detail {

template <class D> class ErasedContext final : public HashContext {
public:
    void update(std::span<const std::uint8_t> octets) override { context_.update(octets); }
    Digest finalize() override { return context_.finalize(); }
    [[nodiscard]] std::unique_ptr<HashContext> copy() const override {
        if constexpr (std::copy_constructible<typename D::Context>) {
            return std::make_unique<ErasedContext>(*this);
        } else {
            return nullptr;
        }
    }

private:
    typename D::Context context_;
};

} // namespace detail

/// hashView: the view of digest type D the hash and HMAC laws run over.
template <zorvan::Hash D> HashView hashView() {
    using zorvan::Bytes;
    using zorvan::LazyBytes;
    const auto of = [](const Digest& digest) -> const D& {
        return std::any_cast<const D&>(digest);
    };
    return {
        D::outputLength(),
        D::blockLength(),
        [] { return std::unique_ptr<HashContext>(std::make_unique<detail::ErasedContext<D>>()); },
        [of](const Digest& digest) { return of(digest).encode(); },
        [](const Bytes& octets) -> std::optional<Digest> {
            std::optional<D> digest = D::get(octets);
            return digest ? std::optional<Digest>(std::move(*digest)) : std::nullopt;
        },
        [of](const Digest& first, const Digest& second) { return of(first) == of(second); },
        [of](const Digest& digest) { return zorvan::testing::describe(of(digest)); },
        [](const LazyBytes& message) { return Digest(zorvan::hash<D>(message)); },
        [](const Bytes& message) { return Digest(zorvan::hashStrict<D>(message)); },
        [](const Bytes& key, const LazyBytes& message) {
            return Digest(zorvan::hmac<D>(key, message));
        },
        [](const Bytes& key, const Bytes& message) {
            return Digest(zorvan::hmacStrict<D>(key, message));
        },
        [](const Bytes& key, const LazyBytes& message) {
            return Digest(zorvan::detail::hmacWith<D>(key, [&](typename D::Context& context) {
                for (const Bytes& chunk : message.toChunks()) {
                    context.update(chunk.view());
                }
            }));
        },
        zorvan::detail::accepts_hmac<D> || zorvan::detail::accepts_hmacStrict<D>,
    };
}

/// blockCipherView: the view the block-cipher laws run over, made from the cipher's view: its
/// modes are zorvan's free functions on the type, and the generic ones the library's modes over
/// the key's block functions. Asks the type for its lengths once.
BlockCipherView blockCipherView(const std::shared_ptr<const Crypto::CipherView>& cipher);

/// blockCipherView: the same for key type K.
template <zorvan::BlockCipher K> BlockCipherView blockCipherView() {
    return blockCipherView(Crypto::cipherView<K>());
}

/// makeHashConformanceTests: the hash laws (see hashConformanceTests) for digest type D; the
/// witness only selects it. Never throws.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeHashConformanceTests() {
    return hashConformanceTests(hashView<D>());
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeHashConformanceTests(const D& /*witness*/) {
    return makeHashConformanceTests<D>();
}

/// makeHMACConformanceTests: the HMAC laws (see hmacConformanceTests) for digest type D; the
/// witness only selects it. Never throws.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeHMACConformanceTests() {
    return hmacConformanceTests(hashView<D>());
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeHMACConformanceTests(const D& /*witness*/) {
    return makeHMACConformanceTests<D>();
}

/// makeBlockCipherConformanceTests: the block-cipher laws (see blockCipherConformanceTests)
/// for key type K; the witness only selects it. Throws std::invalid_argument when K's blocks
/// are shorter than one octet.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeBlockCipherConformanceTests() {
    return blockCipherConformanceTests(blockCipherView<K>());
}
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeBlockCipherConformanceTests(const K& /*witness*/) {
    return makeBlockCipherConformanceTests<K>();
}

} // namespace Test::Conformance
