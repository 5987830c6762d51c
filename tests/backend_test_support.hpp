#pragma once
// Helpers the backend tests share: hex vectors, reproducible random inputs, keys and IVs, and
// the IV modes as one list.

#include <Test/Crypto/hex.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace zorvan {

/// PrintTo: GoogleTest shows Bytes in hex, as operator<< does, not as a list of characters.
inline void PrintTo(const Bytes& bytes, std::ostream* out) {
    *out << bytes;
}

} // namespace zorvan

namespace zorvan::backend_tests {

/// fromHex: the octets of a hex text, as the suites decode vector fields.
inline Bytes fromHex(std::string_view hex) {
    return ::Test::Crypto::hexStringToBS(hex);
}

/// Random: a seeded source of octet strings, so a failure reproduces run after run.
class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    std::size_t below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(engine_);
    }

    Bytes bytes(std::size_t length) {
        std::vector<std::uint8_t> octets(length);
        for (auto& octet : octets) {
            octet = static_cast<std::uint8_t>(below(256));
        }
        return Bytes(octets);
    }

    /// chunked: the octets cut at random points, so chunk boundaries fall mid-block too.
    LazyBytes chunked(const Bytes& whole) {
        std::vector<Bytes> chunks;
        for (std::size_t start = 0; start < whole.size();) {
            const std::size_t length = 1 + below(40);
            chunks.push_back(whole.drop(start).take(length));
            start += length;
        }
        return LazyBytes::fromChunks(std::move(chunks));
    }

private:
    std::mt19937 engine_;
};

/// keyFrom: the key K builds from the octets; throws std::invalid_argument when it refuses them.
template <class K> K keyFrom(const Bytes& octets) {
    const auto key = K::buildKey(octets);
    if (!key) {
        throw std::invalid_argument("key refused");
    }
    return *key;
}

/// ivFrom: the IV of K read from the octets; throws std::invalid_argument when too few.
template <class K> IV<K> ivFrom(const Bytes& octets) {
    const auto iv = IV<K>::get(octets);
    if (!iv) {
        throw std::invalid_argument("too few octets for an IV");
    }
    return *iv;
}

/// ModeInput: random input for one IV-mode call: key and IV octets, and data both contiguous
/// and chunked.
struct ModeInput {
    Bytes key;
    Bytes iv;
    Bytes data;
    LazyBytes chunked;
};

/// modeInput: random lengths give partial last blocks (unless the mode takes whole blocks only)
/// and mid-block chunk boundaries; every eighth IV is all ff octets, so a CTR counter wraps.
inline ModeInput modeInput(Random& random, std::size_t keyOctets, bool wholeBlocksOnly, int round) {
    ModeInput input;
    input.key = random.bytes(keyOctets);
    input.iv = round % 8 == 0 ? Bytes(std::vector<std::uint8_t>(16, 0xff)) : random.bytes(16);
    std::size_t length = random.below(90);
    if (wholeBlocksOnly) {
        length -= length % 16;
    }
    input.data = random.bytes(length);
    input.chunked = random.chunked(input.data);
    return input;
}

/// IvMode: one IV mode in strict and lazy form, for any key type; both give the output as
/// contiguous octets and the next IV's octets.
template <class Strict, class Lazy> struct IvMode {
    const char* name;
    bool wholeBlocksOnly;
    Strict strict;
    Lazy lazy;

    template <class K> std::pair<Bytes, Bytes> runStrict(const ModeInput& input) const {
        return strict(keyFrom<K>(input.key), ivFrom<K>(input.iv), input.data);
    }
    template <class K> std::pair<Bytes, Bytes> runLazy(const ModeInput& input) const {
        return lazy(keyFrom<K>(input.key), ivFrom<K>(input.iv), input.chunked);
    }
};
// Spelled out for compilers without deduction for aggregates (clang before 17).
template <class Strict, class Lazy> IvMode(const char*, bool, Strict, Lazy) -> IvMode<Strict, Lazy>;

#define ZORVAN_IV_MODE(operation, wholeBlocksOnly)                                                 \
    IvMode {                                                                                       \
#operation, wholeBlocksOnly,                                                               \
            [](const auto& key, const auto& iv, const Bytes& data) {                               \
                auto [output, next] = zorvan::operation(key, iv, data);                            \
                return std::pair{output, next.encode()};                                           \
            },                                                                                     \
            [](const auto& key, const auto& iv, const LazyBytes& data) {                           \
                auto [output, next] = zorvan::operation##Lazy(key, iv, data);                      \
                return std::pair{output.toStrict(), next.encode()};                                \
            }       \
    }

/// forEachIvMode: calls check with each of the eight IV modes (cbc ... unCtr) in turn.
template <class Check> void forEachIvMode(Check check) {
    const auto modes = std::tuple{ZORVAN_IV_MODE(cbc, true),  ZORVAN_IV_MODE(unCbc, true),
                                  ZORVAN_IV_MODE(cfb, false), ZORVAN_IV_MODE(unCfb, false),
                                  ZORVAN_IV_MODE(ofb, false), ZORVAN_IV_MODE(unOfb, false),
                                  ZORVAN_IV_MODE(ctr, false), ZORVAN_IV_MODE(unCtr, false)};
    std::apply([&](const auto&... mode) { (check(mode), ...); }, modes);
}

#undef ZORVAN_IV_MODE

} // namespace zorvan::backend_tests
