#pragma once
// A key size a library does not offer is a gap of that library, not a fault of its cipher:
// the tests that need such a key are skipped and counted, not failed.

#include <zorvan/block_cipher.hpp>
#include <zorvan/testing/assertion.hpp>

#include <cstddef>
#include <optional>
#include <utility>

namespace zorvan::check {

/// WithKeySizeGap<K, Gap>: the cipher K, except that buildKey of a key of Gap::keyOctets
/// octets throws TestSkipped with Gap::reason instead of refusing the key. Its own ECB and
/// CBC are K's.
template <zorvan::BlockCipher K, class Gap>
class WithKeySizeGap {
public:
    using Iv = zorvan::IV<WithKeySizeGap>;

    static constexpr std::size_t blockSize() { return K::blockSize(); }
    static constexpr std::size_t keyLength() { return K::keyLength(); }

    static std::optional<WithKeySizeGap> buildKey(const zorvan::Bytes& key) {
        if (key.size() == Gap::keyOctets) {
            throw zorvan::testing::TestSkipped(Gap::reason);
        }
        std::optional<K> inner = K::buildKey(key);
        return inner ? std::optional(WithKeySizeGap(std::move(*inner))) : std::nullopt;
    }

    [[nodiscard]] zorvan::Bytes encryptBlock(const zorvan::Bytes& blocks) const {
        return inner_.encryptBlock(blocks);
    }
    [[nodiscard]] zorvan::Bytes decryptBlock(const zorvan::Bytes& blocks) const {
        return inner_.decryptBlock(blocks);
    }
    [[nodiscard]] zorvan::Bytes ecb(const zorvan::Bytes& data) const { return zorvan::ecb(inner_, data); }
    [[nodiscard]] zorvan::Bytes unEcb(const zorvan::Bytes& data) const {
        return zorvan::unEcb(inner_, data);
    }
    std::pair<zorvan::Bytes, Iv> cbc(const Iv& iv, const zorvan::Bytes& data) const {
        return outer(zorvan::cbc(inner_, innerIv(iv), data));
    }
    std::pair<zorvan::Bytes, Iv> unCbc(const Iv& iv, const zorvan::Bytes& data) const {
        return outer(zorvan::unCbc(inner_, innerIv(iv), data));
    }

private:
    explicit WithKeySizeGap(K inner) : inner_(std::move(inner)) {}

    static zorvan::IV<K> innerIv(const Iv& iv) { return *zorvan::IV<K>::get(iv.encode()); }
    static std::pair<zorvan::Bytes, Iv> outer(std::pair<zorvan::Bytes, zorvan::IV<K>> result) {
        return {std::move(result.first), *Iv::get(result.second.encode())};
    }

    K inner_;
};

} // namespace zorvan::check
