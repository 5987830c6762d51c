// Key and digest types whose own operations are misdeclared, one per MEMBER_CASE value; each
// must fail to compile with a message naming the member and the signature it must have.
// MEMBER_CASE 0 declares them all correctly and must compile and run. With BUILDER_CASE set, the
// program only calls a documented builder, whose refusal must point at that call.

#include <Test/CMAC.hpp>
#include <Test/Crypto.hpp>
#include <Test/XTS.hpp>
#include <zorvan/block_cipher.hpp>
#include <zorvan/cmac.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/mac.hpp>
#include <zorvan/xts.hpp>

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace {

using zorvan::Bytes;
using zorvan::IV;
using zorvan::LazyBytes;

// How many times the types' own operations ran: a member the library accepts must also be the
// one it calls.
int ownCalls = 0;

// A toy cipher (XOR with the key octet); only its members' signatures matter here.
struct CipherBase {
    std::uint8_t key = 0;
    static constexpr std::size_t blockSize() { return 8; }
    static constexpr std::size_t keyLength() { return 8; }
    [[nodiscard]] Bytes encryptBlock(const Bytes& block) const {
        return Bytes::create(block.size(), [&](std::span<std::uint8_t> out) {
            for (std::size_t i = 0; i < out.size(); ++i) {
                out[i] = static_cast<std::uint8_t>(block[i] ^ key);
            }
        });
    }
    [[nodiscard]] Bytes decryptBlock(const Bytes& block) const { return encryptBlock(block); }
};

struct Key : CipherBase {
    static std::optional<Key> buildKey(const Bytes& octets) {
        if (octets.size() != 1) {
            return std::nullopt;
        }
        Key made;
        made.key = octets[0];
        return made;
    }
#if MEMBER_CASE == 0
    // Correct, an overload for another shape beside it, and one excluded by its constraint.
    std::pair<Bytes, IV<Key>> cbc(const IV<Key>& iv, const Bytes& data) const {
        return zorvan::detail::cbcEncrypt(*this, iv, data);
    }
    template <class T>
    std::pair<Bytes, IV<Key>> cfb(const IV<Key>& iv,
                                  const T& data) const requires std::same_as<T, Bytes> {
        return zorvan::detail::cfbWith(*this, iv, data, false);
    }
    Bytes cmac(const LazyBytes& message) const {
        return message.toStrict();
    }
    Bytes xts(const Key& /*tweakKey*/, const IV<Key>& /*tweak*/, const Bytes& dataUnit) const {
        return dataUnit;
    }
    // Member templates with deduced return types, strict and chunked: their bodies are written
    // for the library's argument types only.
    template <class Iv> auto unCbc(const Iv& iv, const Bytes& data) const {
        ++ownCalls;
        return zorvan::detail::cbcDecrypt(*this, iv, data);
    }
    template <class Chunks> auto ctrLazy(const IV<Key>& iv, const Chunks& data) const {
        ++ownCalls;
        return zorvan::detail::streamChunks<Key>(
            iv, data, [this](const IV<Key>& at, const Bytes& part) {
                return zorvan::detail::ctrApply(*this, at, part);
            });
    }
#elif MEMBER_CASE == 1  // cbc without const
    std::pair<Bytes, IV<Key>> cbc(const IV<Key>& iv, const Bytes& data) {
        return zorvan::detail::cbcEncrypt(*this, iv, data);
    }
#elif MEMBER_CASE == 2  // ctr returning the output alone
    Bytes ctr(const IV<Key>& iv, const Bytes& data) const {
        return zorvan::detail::ctrApply(*this, iv, data).first;
    }
#elif MEMBER_CASE == 3  // ofbLazy taking contiguous input
    std::pair<LazyBytes, IV<Key>> ofbLazy(const IV<Key>& iv, const Bytes& data) const;
#elif MEMBER_CASE == 4  // unCfb overloaded, no overload const
    std::pair<Bytes, IV<Key>> unCfb(const IV<Key>& iv, const Bytes& data);
    std::pair<Bytes, IV<Key>> unCfb(const IV<Key>& iv, const LazyBytes& data);
#elif MEMBER_CASE == 5  // unEcb a template giving the wrong type
    template <class T> std::optional<T> unEcb(const T& data) const {
        return data;
    }
#elif MEMBER_CASE == 10 // cbcLazy a template whose body takes contiguous input only
    template <class Iv, class Chunks> auto cbcLazy(const Iv& iv, const Chunks& data) const {
        return zorvan::detail::cbcEncrypt(*this, iv, data);
    }
#elif MEMBER_CASE == 11 // unCtrLazy a template with a deduced result taking contiguous input
    template <class Iv> auto unCtrLazy(const Iv& iv, const Bytes& data) const {
        return zorvan::detail::ctrApply(*this, iv, data);
    }
#elif MEMBER_CASE == 13 // cmac without const
    Bytes cmac(const LazyBytes& message);
#elif MEMBER_CASE == 14 // xts taking the tweak as octets
    Bytes xts(const Key& tweakKey, const Bytes& tweak, const Bytes& dataUnit) const;
#endif
};

#if MEMBER_CASE == 0 // a final key type with a member template
struct FinalKey final : CipherBase {
    static std::optional<FinalKey> buildKey(const Bytes&) { return FinalKey{}; }
    template <class Iv> auto cbc(const Iv& iv, const Bytes& data) const {
        ++ownCalls;
        return zorvan::detail::cbcEncrypt(*this, iv, data);
    }
};

// A key type whose own ofb exists only where its library runs OFB: elsewhere it is not
// declared, and the generic ofb runs.
template <bool nativeOfb> struct LibraryKey : CipherBase {
    static std::optional<LibraryKey> buildKey(const Bytes&) { return LibraryKey{}; }
    template <class Iv> auto ofb(const Iv& iv, const Bytes& data) const requires nativeOfb {
        ++ownCalls;
        return zorvan::detail::ofbApply(*this, iv, data);
    }
};
#elif MEMBER_CASE == 6 // a final key type whose cbc lacks const
struct FinalKey final : CipherBase {
    static std::optional<FinalKey> buildKey(const Bytes&) { return FinalKey{}; }
    std::pair<Bytes, IV<FinalKey>> cbc(const IV<FinalKey>& iv, const Bytes& data);
};
#endif

// A toy digest (the sum of the octets); only its members' signatures matter here.
struct Digest {
    std::uint8_t sum = 0;
    static std::size_t outputLength() { return 8; }
    static std::size_t blockLength() { return 8; }
    struct Context {
        std::uint8_t sum = 0;
        void update(std::span<const std::uint8_t> octets) {
            for (const std::uint8_t octet : octets) {
                sum = static_cast<std::uint8_t>(sum + octet);
            }
        }
        Digest finalize() { return Digest{std::exchange(sum, 0)}; }
    };
    [[nodiscard]] Bytes encode() const {
        return Bytes::create(1, [&](auto out) { out[0] = sum; });
    }
    static std::optional<Digest> get(const Bytes& bytes) {
        return bytes.empty() ? std::nullopt : std::optional(Digest{bytes[0]});
    }
    friend bool operator==(const Digest&, const Digest&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Digest& digest) {
        return out << digest.encode();
    }
#if MEMBER_CASE == 0
    static Digest hmacStrict(const Bytes& key, const Bytes& message) {
        return zorvan::detail::hmacWith<Digest>(
            key, [&](Context& context) { context.update(message.view()); });
    }
    template <class Message> static auto hashStrict(const Message& message) {
        ++ownCalls;
        Context context;
        context.update(message.view());
        return context.finalize();
    }
    template <class Octets, class Chunks>
    static auto hmac(const Octets& key, const Chunks& message) {
        ++ownCalls;
        return zorvan::detail::hmacWith<Digest>(key, [&](Context& context) {
            for (const Bytes& chunk : message.toChunks()) {
                context.update(chunk.view());
            }
        });
    }
#elif MEMBER_CASE == 7  // hash not static
    Digest hash(const LazyBytes& message) const;
#elif MEMBER_CASE == 8  // hmacStrict returning the octets
    static Bytes hmacStrict(const Bytes& key, const Bytes& message);
#elif MEMBER_CASE == 9  // hmac taking a contiguous message
    static Digest hmac(const Bytes& key, const Bytes& message);
#elif MEMBER_CASE == 12 // hash a template giving the octets
    template <class Chunks> static auto hash(const Chunks& message) {
        return zorvan::hashStrict<Digest>(message.toStrict()).encode();
    }
#endif
};

// A toy MAC (eight zero octets); only its verifyTag's signature matters here.
struct Tagger {
    static std::size_t keyLength() { return 8; }
    static std::size_t tagLength() { return 64; }
    static std::optional<Tagger> buildKey(const Bytes& /*octets*/) { return Tagger{}; }
    [[nodiscard]] Bytes tag(const LazyBytes& /*message*/) const {
        return Bytes(std::vector<std::uint8_t>(8));
    }
#if MEMBER_CASE == 0
    [[nodiscard]] bool verifyTag(const LazyBytes& /*message*/, const Bytes& tag) const {
        return tag.size() == 8;
    }
#elif MEMBER_CASE == 15 // verifyTag giving the tag it computed
    Bytes verifyTag(const LazyBytes& message, const Bytes& tag) const;
#endif
};

// callsOwn: whether the operation ran one of the types' own members.
template <class Operation> bool callsOwn(Operation operation) {
    const int before = ownCalls;
    (void)operation();
    return ownCalls > before;
}

#if MEMBER_CASE == 0
template <class K> bool runsOwnOfb(const Bytes& data) {
    return callsOwn([&] { return zorvan::ofb(K{}, *IV<K>::get(data), data); });
}

// runsOwnTemplates: whether the library calls each member template (and none its requires-clause
// excludes), and whether the views the compiled suites run on (which instantiate every operation
// of a type) build for these types.
bool runsOwnTemplates(const Key& key, const IV<Key>& iv, const Bytes& data) {
    const auto finalKey = *FinalKey::buildKey(Bytes());
    const auto finalIv = *IV<FinalKey>::get(data);
    const LazyBytes chunks = LazyBytes::fromChunks({data, data});
    // No longer than the digest's block, so the generic HMAC would not hash it with hashStrict.
    const Bytes hmacKey = data.take(1);
    (void)Test::Crypto::keyView(key);
    (void)Test::Crypto::keyView(finalKey);
    (void)Test::Crypto::hashView<Digest>();
    (void)Test::Crypto::macView<Digest>();
    return callsOwn([&] { return zorvan::unCbc(key, iv, data); }) &&
           callsOwn([&] { return zorvan::ctrLazy(key, iv, chunks); }) &&
           callsOwn([&] { return zorvan::cbc(finalKey, finalIv, data); }) &&
           callsOwn([&] { return zorvan::hashStrict<Digest>(data); }) &&
           callsOwn([&] { return zorvan::hmac<Digest>(hmacKey, chunks); }) &&
           runsOwnOfb<LibraryKey<true>>(data) && !runsOwnOfb<LibraryKey<false>>(data);
}
#endif

} // namespace

#if defined(BUILDER_CASE)
int main() {
#if BUILDER_CASE == 19
    const auto tests = Test::Crypto::makeBlockCipherPropTests<Key>();
#elif BUILDER_CASE == 20
    const std::vector tests{Test::Crypto::makeHashPropTests<Digest>()};
#elif BUILDER_CASE == 21
    const auto tests = Test::XTS::makeXtsConformanceTests<Key>();
#elif BUILDER_CASE == 22
    const auto tests = Test::CMAC::makeMacConformanceTests<Key>();
#elif BUILDER_CASE == 23
    const auto tests = Test::CMAC::makeMacConformanceTests<Tagger>();
#endif
    return tests.empty() ? 1 : 0;
}
#else
int main() {
    const Key key = *Key::buildKey(Bytes::create(1, [](auto out) { out[0] = 7; }));
    const auto iv = *IV<Key>::get(Bytes::create(1, [](auto out) { out[0] = 1; }));
    // Only ECB and the strict hash are used: a misdeclared member of another operation is
    // refused all the same.
    const Bytes once = zorvan::ecb(key, Bytes::create(2, [](auto out) { out[0] = out[1] = 3; }));
#if MEMBER_CASE == 6
    const auto finalKey = *FinalKey::buildKey(Bytes());
    (void)zorvan::ecb(finalKey, once);
#endif
    const Digest digest = zorvan::hashStrict<Digest>(once);
    const bool ownModesRun =
        zorvan::cbc(key, iv, once).first == zorvan::detail::cbcEncrypt(key, iv, once).first &&
        zorvan::cfb(key, iv, once).first.size() == once.size() &&
        zorvan::hmacStrict<Digest>(once, once) ==
            zorvan::hmac<Digest>(once, LazyBytes::fromChunks({once}));
    const LazyBytes chunks = LazyBytes::fromChunks({once});
    const bool ownConstructionsRun =
        zorvan::cmac(key, chunks) == once && zorvan::xts(key, key, iv, once) == once &&
        zorvan::verifyTag(*Tagger::buildKey(once), chunks, Bytes(std::vector<std::uint8_t>(8)));
#if MEMBER_CASE == 0
    if (!runsOwnTemplates(key, iv, once)) {
        return 1;
    }
#endif
    return ownModesRun && ownConstructionsRun && digest.sum == 8 ? 0 : 1;
}
#endif
