#pragma once
// Key types made of another's block functions: BlockOnly<K> has K's and nothing else, so that
// every mode and construction over it is the library's generic one; a broken key type of a test
// derives from BlockFunctionsOf and adds the one member it gets wrong.

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>

#include <cstddef>
#include <optional>
#include <utility>

/// BlockFunctionsOf<K, Self>: the lengths and block functions of K for the key type Self derived
/// from it, which must be constructible from a K.
template <zorvan::BlockCipher K, class Self> class BlockFunctionsOf {
public:
    static std::size_t blockSize() { return K::blockSize(); }
    static std::size_t keyLength() { return K::keyLength(); }
    static std::optional<Self> buildKey(const zorvan::Bytes& octets) {
        std::optional<K> key = K::buildKey(octets);
        return key ? std::optional(Self(std::move(*key))) : std::nullopt;
    }
    [[nodiscard]] zorvan::Bytes encryptBlock(const zorvan::Bytes& blocks) const {
        return key_.encryptBlock(blocks);
    }
    [[nodiscard]] zorvan::Bytes decryptBlock(const zorvan::Bytes& blocks) const {
        return key_.decryptBlock(blocks);
    }

protected:
    explicit BlockFunctionsOf(K key) : key_(std::move(key)) {}
    [[nodiscard]] const K& cipher() const noexcept { return key_; }

private:
    K key_;
};

/// BlockOnly<K>: K's block functions alone.
template <zorvan::BlockCipher K> class BlockOnly : public BlockFunctionsOf<K, BlockOnly<K>> {
public:
    explicit BlockOnly(K key) : BlockFunctionsOf<K, BlockOnly>(std::move(key)) {}
};
