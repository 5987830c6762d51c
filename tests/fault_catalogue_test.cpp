// The fault catalogue: small wrappers over OpenSSL's digests and AES, each broken the way a real
// implementation has been. Every fault must fail at least one leaf of the library (conformance
// laws, published-vector suites, generated vectors), every law must be failed by some fault, and
// the test prints how many faults the published-vector suites alone catch and how many the
// whole library catches.

#include <Test/AES.hpp>
#include <Test/AESCTR.hpp>
#include <Test/Conformance.hpp>
#include <Test/HMAC.hpp>
#include <Test/HashSweep.hpp>
#include <Test/MD5.hpp>
#include <Test/RFCHMAC.hpp>
#include <Test/SHA.hpp>

#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace laws = ::Test::Conformance;
namespace openssl = zorvan::openssl;
using zorvan::Bytes;
using zorvan::IV;
using zorvan::LazyBytes;

enum class HashFault {
    none,
    octetLostAfterEmptyUpdate, // an empty update leaves a stale "skip" flag (buffer bookkeeping)
    octetRepeatedAtBlockEnd,  // an update ending on a block boundary processes its last octet twice
    blockCompletingOctetLost, // a one-octet update that completes a block is dropped (fast path)
    secondFinalizeThrows,     // finalize frees the state, so a second finalize fails
    finalizeKeepsMessage,     // finalize does not reset: reuse hashes the old message too
    updatesAfterFinalizeIgnored, // a finalized context ignores what it is fed next
    copySharesState,             // copying the context copies a pointer to one shared state
    lengthCounterWraps,          // a narrow message-length counter: long messages get wrong digests
    md5PaddingAt55To59,          // the length field written into a block the padding already filled
    lastOctetIgnored,            // an off-by-one in the final copy drops the message's last octet
    equalityComparesPrefix,      // == compares the first four octets only
    equalityAlwaysTrue,          // == compares addresses of equal-length buffers, never the octets
    getWantsOneMoreOctet,        // get checks "> length" instead of ">= length"
    getAcceptsTooFew,            // get zero-fills a short input instead of refusing it
    ownHashFirstChunkOnly,       // a native chunked hash that only reads the first chunk
    hmacRefusesEmptyKey,         // a native HMAC that rejects zero-length keys
    hmacLongKeyTruncated,      // a native HMAC that cuts long keys to the block instead of hashing
    hmacChunkedFirstChunkOnly, // a native chunked HMAC that only reads the first chunk
    hmacBlockOf64,             // a native HMAC that pads keys to 64 octets for every hash
};

enum class CipherFault {
    none,
    ctrWrapsAt32Bits,            // the counter is the low 32 bits only (a 32-bit block counter)
    ctrCarriesIn64Bits,          // the counter carries only within the low 64 bits
    ctrRestartsAtOne,            // the low 32 bits of the counter start at 1 whatever the IV says
    ctrNeverIncrements,          // the counter is never incremented
    ctrLittleEndian,             // the counter is incremented from its first octet
    ctrShortBlockNotCounted,     // the next IV ignores a short last block
    cfbShortBlockDropped,        // CFB processes whole blocks only and drops the tail
    ofbShortBlockPadded,         // OFB returns the tail padded to a whole block
    cfbShortBlockIvKept,         // CFB leaves the IV of the last whole block after a short one
    ecbAcceptsPartial,           // ECB ignores a trailing partial block instead of refusing it
    cbcAcceptsPartial,           // CBC zero-pads a partial block instead of refusing it
    cbcDecryptKeepsIv,           // CBC decryption returns the IV it was given
    cbcNextIvFirstBlock,         // CBC returns the first ciphertext block as the next IV
    cfbDecryptFeedsPlaintext,    // CFB decryption feeds the plaintext back, not the ciphertext
    ofbLazyRestarts,             // chunked OFB restarts the keystream at every chunk
    ctrLazyPerChunkBlocks,       // chunked CTR starts every chunk on a fresh counter block
    ecbLazyPerChunk,             // chunked ECB runs ECB on each chunk as it comes
    ofbDecryptWrongIv,           // OFB decryption returns a ciphertext block as the next IV
    ctrDecryptIvUnchanged,       // CTR decryption does not advance the IV
    ctrTailReusesFirstKeystream, // CTR encrypts a short last block with the first block's keystream
    cfbNextIvIsKeystream,        // CFB returns the next keystream block instead of the ciphertext
    cfbLazyPerChunk, // chunked CFB runs each chunk, short ones too, from the IV the last returned
};

// ---- the broken digests: a context records the message and computes it with the real hash.

template <class Base, HashFault fault> class FaultyDigest {
    static constexpr bool ownsHmac =
        fault == HashFault::hmacRefusesEmptyKey || fault == HashFault::hmacLongKeyTruncated ||
        fault == HashFault::hmacChunkedFirstChunkOnly || fault == HashFault::hmacBlockOf64;

public:
    static std::size_t outputLength() { return Base::outputLength(); }
    static std::size_t blockLength() { return Base::blockLength(); }

    class Context {
    public:
        void update(std::span<const std::uint8_t> octets) {
            if (finalized_ && fault == HashFault::updatesAfterFinalizeIgnored) {
                return;
            }
            std::vector<std::uint8_t>& fed = *message_;
            const std::size_t block = blockLength() / 8;
            if (octets.empty()) {
                skipNext_ = fault == HashFault::octetLostAfterEmptyUpdate;
                return;
            }
            if (skipNext_) {
                octets = octets.subspan(1);
                skipNext_ = false;
            }
            if (fault == HashFault::blockCompletingOctetLost && octets.size() == 1 &&
                fed.size() % block == block - 1) {
                return;
            }
            fed.insert(fed.end(), octets.begin(), octets.end());
            if (fault == HashFault::octetRepeatedAtBlockEnd && fed.size() % block == 0) {
                fed.push_back(fed.back());
            }
        }
        FaultyDigest finalize() {
            if (finalized_ && fault == HashFault::secondFinalizeThrows) {
                throw std::logic_error("finalize on a finished context");
            }
            finalized_ = true;
            const FaultyDigest digest = digestOf(Bytes(*message_));
            if (fault != HashFault::finalizeKeepsMessage) {
                message_->clear();
            }
            return digest;
        }
        Context() = default;
        Context(const Context& other)
            : message_(fault == HashFault::copySharesState
                           ? other.message_
                           : std::make_shared<std::vector<std::uint8_t>>(*other.message_)),
              skipNext_(other.skipNext_), finalized_(other.finalized_) {}
        Context& operator=(const Context&) = delete;

    private:
        std::shared_ptr<std::vector<std::uint8_t>> message_ =
            std::make_shared<std::vector<std::uint8_t>>();
        bool skipNext_ = false;
        bool finalized_ = false;
    };

    [[nodiscard]] Bytes encode() const { return octets_; }
    static std::optional<FaultyDigest> get(const Bytes& bytes) {
        const std::size_t octets = outputLength() / 8;
        if (fault == HashFault::getAcceptsTooFew && bytes.size() < octets) {
            return FaultyDigest(
                bytes.concat(Bytes(std::vector<std::uint8_t>(octets - bytes.size()))));
        }
        if (bytes.size() < octets + (fault == HashFault::getWantsOneMoreOctet ? 1 : 0)) {
            return std::nullopt;
        }
        return FaultyDigest(bytes.take(octets));
    }
    friend bool operator==(const FaultyDigest& a, const FaultyDigest& b) {
        switch (fault) {
        case HashFault::equalityComparesPrefix:
            return a.octets_.take(4) == b.octets_.take(4);
        case HashFault::equalityAlwaysTrue:
            return a.octets_.size() == b.octets_.size();
        default:
            return a.octets_ == b.octets_;
        }
    }
    friend std::ostream& operator<<(std::ostream& out, const FaultyDigest& digest) {
        return out << digest.octets_;
    }

    static FaultyDigest hash(const LazyBytes& message) requires(fault ==
                                                                HashFault::ownHashFirstChunkOnly) {
        return digestOf(message.toChunks().empty() ? Bytes() : message.toChunks().front());
    }
    static FaultyDigest hmac(const Bytes& key, const LazyBytes& message) requires(ownsHmac) {
        const auto chunks = message.toChunks();
        return fault == HashFault::hmacChunkedFirstChunkOnly
                   ? hmacStrict(key, chunks.empty() ? Bytes() : chunks.front())
                   : hmacStrict(key, message.toStrict());
    }
    static FaultyDigest hmacStrict(const Bytes& key, const Bytes& message) requires(ownsHmac) {
        if (fault == HashFault::hmacRefusesEmptyKey && key.empty()) {
            throw std::invalid_argument("HMAC key must not be empty");
        }
        const std::size_t block = fault == HashFault::hmacBlockOf64 ? 64 : blockLength() / 8;
        const Bytes usedKey = fault == HashFault::hmacLongKeyTruncated ? key.take(block) : key;
        // FIPS 198 over the real hash, with the broken key handling above.
        const auto padded = [&](std::uint8_t pad) {
            const Bytes shortKey =
                usedKey.size() > block ? zorvan::hashStrict<Base>(usedKey).encode() : usedKey;
            return Bytes::create(block, [&](std::span<std::uint8_t> out) {
                for (std::size_t i = 0; i < block; ++i) {
                    out[i] =
                        static_cast<std::uint8_t>((i < shortKey.size() ? shortKey[i] : 0) ^ pad);
                }
            });
        };
        const Bytes inner = zorvan::hashStrict<Base>(padded(0x36).concat(message)).encode();
        return FaultyDigest(zorvan::hashStrict<Base>(padded(0x5c).concat(inner)).encode());
    }

private:
    explicit FaultyDigest(Bytes octets) : octets_(std::move(octets)) {}

    static FaultyDigest digestOf(const Bytes& message) {
        const std::size_t length = message.size();
        const Bytes hashed =
            message.take(fault == HashFault::lastOctetIgnored && length > 0 ? length - 1 : length);
        Bytes digest = zorvan::hashStrict<Base>(hashed).encode();
        const bool wrong =
            (fault == HashFault::lengthCounterWraps && length >= 1024) ||
            (fault == HashFault::md5PaddingAt55To59 && length % 64 >= 55 && length % 64 <= 59);
        return FaultyDigest(
            wrong ? digest.take(digest.size() - 1)
                        .concat(Bytes{static_cast<std::uint8_t>(digest[digest.size() - 1] ^ 1)})
                  : digest);
    }

    Bytes octets_;
};

// ---- the broken ciphers: AES-128 from OpenSSL with its modes altered.

template <CipherFault fault> class FaultyKey {
public:
    using Iv = IV<FaultyKey>;
    using Result = std::pair<Bytes, Iv>;

    static constexpr std::size_t blockSize() { return 128; }
    static constexpr std::size_t keyLength() { return 128; }
    static std::optional<FaultyKey> buildKey(const Bytes& key) {
        auto inner = openssl::AES128::buildKey(key);
        return inner ? std::optional(FaultyKey(std::move(*inner))) : std::nullopt;
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const {
        return inner_.encryptBlock(blocks);
    }
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const {
        return inner_.decryptBlock(blocks);
    }

    [[nodiscard]] Bytes ecb(const Bytes& data) const {
        return zorvan::ecb(inner_, fault == CipherFault::ecbAcceptsPartial
                                       ? data.take(data.size() / 16 * 16)
                                       : data);
    }
    Result cbc(const Iv& iv, const Bytes& data) const {
        const Bytes whole =
            fault == CipherFault::cbcAcceptsPartial && data.size() % 16 != 0
                ? data.concat(Bytes(std::vector<std::uint8_t>(16 - data.size() % 16)))
                : data;
        Result result = outer(zorvan::cbc(inner_, innerIv(iv), whole));
        if (fault == CipherFault::cbcNextIvFirstBlock && !whole.empty()) {
            result.second = *Iv::get(result.first);
        }
        return result;
    }
    Result unCbc(const Iv& iv, const Bytes& data) const {
        Result result = outer(zorvan::unCbc(inner_, innerIv(iv), data));
        return fault == CipherFault::cbcDecryptKeepsIv ? Result{result.first, iv} : result;
    }
    Result cfb(const Iv& iv, const Bytes& data) const { return cfbWith(iv, data, false); }
    Result unCfb(const Iv& iv, const Bytes& data) const {
        if (fault == CipherFault::cfbDecryptFeedsPlaintext) {
            return cfbWith(iv, data, false);
        }
        return cfbWith(iv, data, true);
    }
    Result ofb(const Iv& iv, const Bytes& data) const {
        Result result = outer(zorvan::ofb(inner_, innerIv(iv), data));
        if (fault == CipherFault::ofbShortBlockPadded && data.size() % 16 != 0) {
            const Bytes padded =
                data.concat(Bytes(std::vector<std::uint8_t>(16 - data.size() % 16)));
            result.first = zorvan::ofb(inner_, innerIv(iv), padded).first;
        }
        return result;
    }
    Result unOfb(const Iv& iv, const Bytes& data) const {
        Result result = ofb(iv, data);
        if (fault == CipherFault::ofbDecryptWrongIv && data.size() >= 16) {
            result.second = *Iv::get(data);
        }
        return result;
    }
    Result ctr(const Iv& iv, const Bytes& data) const {
        Bytes counter = iv.encode();
        if (fault == CipherFault::ctrRestartsAtOne) {
            counter = counter.take(12).concat(Bytes{0, 0, 0, 1});
        }
        std::vector<std::uint8_t> next(counter.begin(), counter.end());
        Bytes output = Bytes::create(data.size(), [&](std::span<std::uint8_t> out) {
            for (std::size_t start = 0; start < data.size(); start += 16) {
                const bool tail = start + 16 > data.size();
                const Bytes keystream = inner_.encryptBlock(
                    fault == CipherFault::ctrTailReusesFirstKeystream && tail ? counter
                                                                              : Bytes(next));
                for (std::size_t i = start; i < std::min(data.size(), start + 16); ++i) {
                    out[i] = static_cast<std::uint8_t>(data[i] ^ keystream[i - start]);
                }
                if (fault != CipherFault::ctrShortBlockNotCounted || start + 16 <= data.size()) {
                    increment(next);
                }
            }
        });
        return {std::move(output), *Iv::get(Bytes(next))};
    }
    Result unCtr(const Iv& iv, const Bytes& data) const {
        Result result = ctr(iv, data);
        return fault == CipherFault::ctrDecryptIvUnchanged ? Result{result.first, iv} : result;
    }
    [[nodiscard]] LazyBytes ecbLazy(const LazyBytes& data) const
        requires(fault == CipherFault::ecbLazyPerChunk) {
        std::vector<Bytes> chunks;
        for (const Bytes& chunk : data.toChunks()) {
            chunks.push_back(zorvan::ecb(inner_, chunk.take(chunk.size() / 16 * 16)));
        }
        return LazyBytes::fromChunks(std::move(chunks));
    }
    std::pair<LazyBytes, Iv> ofbLazy(const Iv& iv, const LazyBytes& data) const
        requires(fault == CipherFault::ofbLazyRestarts) {
        return perChunk(iv, data, [&](const Iv&, const Bytes& chunk) { return ofb(iv, chunk); });
    }
    std::pair<LazyBytes, Iv> cfbLazy(const Iv& iv, const LazyBytes& data) const
        requires(fault == CipherFault::cfbLazyPerChunk) {
        return perChunk(iv, data, [&](const Iv& at, const Bytes& chunk) { return cfb(at, chunk); });
    }
    std::pair<LazyBytes, Iv> ctrLazy(const Iv& iv, const LazyBytes& data) const
        requires(fault == CipherFault::ctrLazyPerChunkBlocks) {
        return perChunk(iv, data, [&](const Iv& at, const Bytes& chunk) { return ctr(at, chunk); });
    }

private:
    explicit FaultyKey(openssl::AES128 inner) : inner_(std::move(inner)) {}

    static IV<openssl::AES128> innerIv(const Iv& iv) {
        return *IV<openssl::AES128>::get(iv.encode());
    }
    static Result outer(std::pair<Bytes, IV<openssl::AES128>> result) {
        return {std::move(result.first), *Iv::get(result.second.encode())};
    }

    static void increment(std::vector<std::uint8_t>& counter) {
        const std::size_t low = fault == CipherFault::ctrWrapsAt32Bits     ? 4
                                : fault == CipherFault::ctrCarriesIn64Bits ? 8
                                                                           : 16;
        if (fault == CipherFault::ctrNeverIncrements) {
            return;
        }
        if (fault == CipherFault::ctrLittleEndian) {
            for (std::size_t i = 0; i < 16 && ++counter[i] == 0; ++i) {
            }
            return;
        }
        for (std::size_t i = 16; i > 16 - low && ++counter[i - 1] == 0; --i) {
        }
    }

    Result cfbWith(const Iv& iv, const Bytes& data, bool decrypt) const {
        if (fault == CipherFault::cfbShortBlockDropped) {
            const Bytes whole = data.take(data.size() / 16 * 16);
            return outer(decrypt ? zorvan::unCfb(inner_, innerIv(iv), whole)
                                 : zorvan::cfb(inner_, innerIv(iv), whole));
        }
        Result result = outer(decrypt ? zorvan::unCfb(inner_, innerIv(iv), data)
                                      : zorvan::cfb(inner_, innerIv(iv), data));
        if (fault == CipherFault::cfbNextIvIsKeystream) {
            result.second = *Iv::get(inner_.encryptBlock(result.second.encode()));
        }
        if (fault == CipherFault::cfbShortBlockIvKept && data.size() % 16 != 0) {
            const Bytes whole = data.take(data.size() / 16 * 16);
            result.second = outer(decrypt ? zorvan::unCfb(inner_, innerIv(iv), whole)
                                          : zorvan::cfb(inner_, innerIv(iv), whole))
                                .second;
        }
        return result;
    }

    template <class Strict>
    static std::pair<LazyBytes, Iv> perChunk(Iv iv, const LazyBytes& data, Strict strict) {
        std::vector<Bytes> output;
        for (const Bytes& chunk : data.toChunks()) {
            auto [processed, next] = strict(iv, chunk);
            output.push_back(std::move(processed));
            iv = next;
        }
        return {LazyBytes::fromChunks(std::move(output)), iv};
    }

    openssl::AES128 inner_;
};

// ---- running a fault

struct Caught {
    std::set<std::string> byLaws;    // paths of the failing law leaves
    std::set<std::string> bySuites;  // paths of the failing leaves of the published-vector suites
    std::set<std::string> byVectors; // paths of the failing leaves of the library's further vectors
};

std::set<std::string> failing(const std::vector<zorvan::testing::Test>& tree) {
    std::set<std::string> paths;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tree)) {
        if (zorvan::testing::runLeaf(leaf, {.seed = 3, .cases = 40}).status ==
            zorvan::testing::LeafStatus::failed) {
            paths.insert(leaf.path);
        }
    }
    return paths;
}

std::vector<zorvan::testing::Test> joined(std::vector<zorvan::testing::Test> first,
                                          std::vector<zorvan::testing::Test> second) {
    std::ranges::move(second, std::back_inserter(first));
    return first;
}

template <class D>
Caught runHash(std::vector<zorvan::testing::Test> suites,
               std::vector<zorvan::testing::Test> vectors) {
    return {
        failing(joined(laws::makeHashConformanceTests<D>(), laws::makeHMACConformanceTests<D>())),
        failing(suites), failing(vectors)};
}

template <HashFault fault, class Base = openssl::SHA256> Caught hashFault() {
    using D = FaultyDigest<Base, fault>;
    if constexpr (std::is_same_v<Base, openssl::MD5>) {
        return runHash<D>(::Test::MD5::makeMD5Tests<D>(),
                          ::Test::HashSweep::makeMD5SweepTests<D>());
    } else if constexpr (std::is_same_v<Base, openssl::SHA512>) {
        return runHash<D>(
            joined(::Test::SHA::makeSHA512Tests<D>(), ::Test::HMAC::makeSHA512HMACTests<D>()),
            joined(::Test::HashSweep::makeSHA512SweepTests<D>(),
                   ::Test::RFCHMAC::makeSHA512RFCHMACTests<D>()));
    } else {
        return runHash<D>(
            joined(::Test::SHA::makeSHA256Tests<D>(), ::Test::HMAC::makeSHA256HMACTests<D>()),
            joined(::Test::HashSweep::makeSHA256SweepTests<D>(),
                   ::Test::RFCHMAC::makeSHA256RFCHMACTests<D>()));
    }
}

template <CipherFault fault> Caught cipherFault() {
    using K = FaultyKey<fault>;
    return {failing(laws::makeBlockCipherConformanceTests<K>()),
            failing(::Test::AES::makeAESTests<K>()), failing(::Test::AESCTR::makeAESCTRTests<K>())};
}

struct Fault {
    std::string name;
    std::function<Caught()> run;
};

// The catalogue. Hash faults sit on SHA-256 unless the fault needs another hash.
std::vector<Fault> catalogue() {
    using H = HashFault;
    using C = CipherFault;
    return {
        {"octetLostAfterEmptyUpdate", hashFault<H::octetLostAfterEmptyUpdate>},
        {"octetRepeatedAtBlockEnd", hashFault<H::octetRepeatedAtBlockEnd>},
        {"blockCompletingOctetLost", hashFault<H::blockCompletingOctetLost>},
        {"secondFinalizeThrows", hashFault<H::secondFinalizeThrows>},
        {"finalizeKeepsMessage", hashFault<H::finalizeKeepsMessage>},
        {"updatesAfterFinalizeIgnored", hashFault<H::updatesAfterFinalizeIgnored>},
        {"copySharesState", hashFault<H::copySharesState>},
        {"lengthCounterWraps", hashFault<H::lengthCounterWraps>},
        {"md5PaddingAt55To59", hashFault<H::md5PaddingAt55To59, openssl::MD5>},
        {"lastOctetIgnored", hashFault<H::lastOctetIgnored, openssl::MD5>},
        {"equalityComparesPrefix", hashFault<H::equalityComparesPrefix>},
        {"equalityAlwaysTrue", hashFault<H::equalityAlwaysTrue>},
        {"getWantsOneMoreOctet", hashFault<H::getWantsOneMoreOctet>},
        {"getAcceptsTooFew", hashFault<H::getAcceptsTooFew>},
        {"ownHashFirstChunkOnly", hashFault<H::ownHashFirstChunkOnly>},
        {"hmacRefusesEmptyKey", hashFault<H::hmacRefusesEmptyKey>},
        {"hmacLongKeyTruncated", hashFault<H::hmacLongKeyTruncated>},
        {"hmacChunkedFirstChunkOnly", hashFault<H::hmacChunkedFirstChunkOnly>},
        {"hmacBlockOf64", hashFault<H::hmacBlockOf64, openssl::SHA512>},
        {"ctrWrapsAt32Bits", cipherFault<C::ctrWrapsAt32Bits>},
        {"ctrCarriesIn64Bits", cipherFault<C::ctrCarriesIn64Bits>},
        {"ctrRestartsAtOne", cipherFault<C::ctrRestartsAtOne>},
        {"ctrNeverIncrements", cipherFault<C::ctrNeverIncrements>},
        {"ctrLittleEndian", cipherFault<C::ctrLittleEndian>},
        {"ctrShortBlockNotCounted", cipherFault<C::ctrShortBlockNotCounted>},
        {"cfbShortBlockDropped", cipherFault<C::cfbShortBlockDropped>},
        {"ofbShortBlockPadded", cipherFault<C::ofbShortBlockPadded>},
        {"cfbShortBlockIvKept", cipherFault<C::cfbShortBlockIvKept>},
        {"ecbAcceptsPartial", cipherFault<C::ecbAcceptsPartial>},
        {"cbcAcceptsPartial", cipherFault<C::cbcAcceptsPartial>},
        {"cbcDecryptKeepsIv", cipherFault<C::cbcDecryptKeepsIv>},
        {"cbcNextIvFirstBlock", cipherFault<C::cbcNextIvFirstBlock>},
        {"cfbDecryptFeedsPlaintext", cipherFault<C::cfbDecryptFeedsPlaintext>},
        {"ofbLazyRestarts", cipherFault<C::ofbLazyRestarts>},
        {"ctrLazyPerChunkBlocks", cipherFault<C::ctrLazyPerChunkBlocks>},
        {"ecbLazyPerChunk", cipherFault<C::ecbLazyPerChunk>},
        {"ofbDecryptWrongIv", cipherFault<C::ofbDecryptWrongIv>},
        {"ctrDecryptIvUnchanged", cipherFault<C::ctrDecryptIvUnchanged>},
        {"ctrTailReusesFirstKeystream", cipherFault<C::ctrTailReusesFirstKeystream>},
        {"cfbNextIvIsKeystream", cipherFault<C::cfbNextIvIsKeystream>},
        {"cfbLazyPerChunk", cipherFault<C::cfbLazyPerChunk>},
    };
}

// Every leaf name of the laws, for the check that each is failed by some fault.
std::set<std::string> lawLeaves() {
    std::set<std::string> names;
    for (const auto& tree : {laws::makeHashConformanceTests<openssl::SHA256>(),
                             laws::makeHMACConformanceTests<openssl::SHA256>(),
                             laws::makeBlockCipherConformanceTests<openssl::AES128>()}) {
        for (const auto& leaf : zorvan::testing::flatten(tree)) {
            names.insert(leaf.path);
        }
    }
    return names;
}

TEST(FaultCatalogue, EveryFaultFailsALeafAndEveryLawIsFailedBySomeFault) {
    const std::vector<Fault> faults = catalogue();
    ASSERT_GE(faults.size(), 30u);
    std::set<std::string> lawsFailed;
    std::size_t caughtBySuites = 0;
    std::size_t caughtByLibrary = 0;
    for (const Fault& fault : faults) {
        Caught caught = fault.run();
        caughtBySuites += static_cast<std::size_t>(!caught.bySuites.empty());
        const bool caughtAtAll =
            !caught.bySuites.empty() || !caught.byLaws.empty() || !caught.byVectors.empty();
        caughtByLibrary += static_cast<std::size_t>(caughtAtAll);
        std::cout << fault.name << ": " << caught.byLaws.size() << " law leaves, "
                  << caught.bySuites.size() << " published-vector leaves, "
                  << caught.byVectors.size() << " further-vector leaves";
        for (const std::string& law : caught.byLaws) {
            std::cout << "\n    " << law;
        }
        std::cout << "\n";
        EXPECT_TRUE(caughtAtAll) << fault.name << " escapes every leaf";
        lawsFailed.merge(caught.byLaws);
    }
    std::cout << faults.size() << " faults: the published-vector suites alone catch "
              << caughtBySuites << ", the whole library catches " << caughtByLibrary << "\n";
    std::set<std::string> neverFailed;
    std::ranges::set_difference(lawLeaves(), lawsFailed,
                                std::inserter(neverFailed, neverFailed.end()));
    EXPECT_THAT(neverFailed, ::testing::IsEmpty());
}

// The failed checks of the law leaves of a tree, by path.
std::map<std::string, zorvan::testing::FailedCheck>
failedChecks(const std::vector<zorvan::testing::Test>& tree) {
    std::map<std::string, zorvan::testing::FailedCheck> checks;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tree)) {
        const auto outcome = zorvan::testing::runLeaf(leaf, {.seed = 3, .cases = 40});
        if (outcome.check) {
            checks.emplace(leaf.path, *outcome.check);
        }
    }
    return checks;
}

template <HashFault fault> auto hashLawChecks() {
    using D = FaultyDigest<openssl::SHA256, fault>;
    return failedChecks(
        joined(laws::makeHashConformanceTests<D>(), laws::makeHMACConformanceTests<D>()));
}

// A law's failure says which of its clauses broke, labels each value with the operation that
// gave it, and names the law's file from the library's source root.
TEST(FaultCatalogue, ALawFailureNamesItsClauseAndTheOperationBehindEachValue) {
    const std::string getEncode = "Digest value laws/GetEncodeRoundTrip";
    const auto wantsMore = hashLawChecks<HashFault::getWantsOneMoreOctet>();
    ASSERT_TRUE(wantsMore.contains(getEncode));
    EXPECT_EQ(wantsMore.at(getEncode).message, "GetEncodeRoundTrip: get reads what encode wrote");
    EXPECT_EQ(wantsMore.at(getEncode).second, (zorvan::testing::PrintedValue{"get", "nothing"}));
    const auto acceptsTooFew = hashLawChecks<HashFault::getAcceptsTooFew>();
    ASSERT_TRUE(acceptsTooFew.contains(getEncode));
    EXPECT_EQ(acceptsTooFew.at(getEncode).message,
              "GetEncodeRoundTrip: get refuses one octet too few");

    std::map<std::string, zorvan::testing::FailedCheck> all =
        hashLawChecks<HashFault::equalityAlwaysTrue>();
    all.merge(hashLawChecks<HashFault::copySharesState>());
    all.merge(hashLawChecks<HashFault::hmacLongKeyTruncated>());
    for (const auto& tree :
         {laws::makeBlockCipherConformanceTests<FaultyKey<CipherFault::cbcNextIvFirstBlock>>(),
          laws::makeBlockCipherConformanceTests<FaultyKey<CipherFault::ecbAcceptsPartial>>(),
          laws::makeBlockCipherConformanceTests<FaultyKey<CipherFault::ctrWrapsAt32Bits>>()}) {
        all.merge(failedChecks(tree));
    }
    EXPECT_GE(all.size(), 6u);
    for (const auto& [path, check] : all) {
        SCOPED_TRACE(path);
        EXPECT_NE(check.first.role, "expected");
        EXPECT_NE(check.second.role, "actual");
        EXPECT_EQ(check.location.file, "src/Test/Conformance.cpp");
    }
    const auto generic = std::find_if(all.begin(), all.end(), [](const auto& entry) {
        return entry.second.first.role == "generic cbc";
    });
    ASSERT_NE(generic, all.end());
    EXPECT_EQ(generic->second.second.role, "cbc");
}

TEST(FaultCatalogue, FaultFreeWrappersFailNoLeaf) {
    for (const Caught& caught :
         {hashFault<HashFault::none>(), hashFault<HashFault::none, openssl::MD5>(),
          hashFault<HashFault::none, openssl::SHA512>(), cipherFault<CipherFault::none>()}) {
        EXPECT_THAT(caught.byLaws, ::testing::IsEmpty());
        EXPECT_THAT(caught.bySuites, ::testing::IsEmpty());
        EXPECT_THAT(caught.byVectors, ::testing::IsEmpty());
    }
}

} // namespace
