#include <Test/Conformance.hpp>

#include <Test/Crypto.hpp>
#include <Test/Crypto/CipherView.hpp>
#include <Test/Crypto/HashView.hpp>
#include <Test/LawInputs.hpp>
#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <exception>
#include <set>
#include <stdexcept>
#include <string>

namespace Test::Conformance {

namespace {

using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::testing::assertEqual;
using zorvan::testing::Gen;
using zorvan::testing::Result;
using zorvan::testing::testCase;
using zorvan::testing::TestGroup;
using zorvan::testing::testProperty;
using Tree = zorvan::testing::Test;
using Crypto::CipherMode;
using Crypto::Digest;
using Crypto::HashContext;
using Hash = std::shared_ptr<const Crypto::HashView>;
using Cipher = std::shared_ptr<const Crypto::CipherView>;
using Key = std::shared_ptr<const Crypto::KeyView>;

// The law names, each saying what broke when its leaf fails.
namespace names {
constexpr const char* chunkingGroup = "Hash chunking laws";
constexpr const char* twoChunkSplits = "ChunkSplitsAgree";
constexpr const char* threeChunkSplits = "ThreeChunkSplitsAgree";
constexpr const char* randomChunkings = "RandomChunkingsAgree";
constexpr const char* oneOctetAtATime = "OneOctetAtATime";
constexpr const char* emptyUpdates = "EmptyUpdatesChangeNothing";
constexpr const char* contextGroup = "Hash context laws";
constexpr const char* finalizeRestarts = "FinalizeRestarts";
constexpr const char* contextReusable = "ContextReusable";
constexpr const char* copiedContext = "CopiedContextIndependent";
constexpr const char* digestGroup = "Digest value laws";
constexpr const char* distinctDigests = "DistinctMessagesDistinctDigests";
constexpr const char* octetEquality = "EqualityIsOctetEquality";
constexpr const char* getEncode = "GetEncodeRoundTrip";
constexpr const char* hmacGroup = "HMAC laws";
constexpr const char* hmacKeyLengths = "HMACKeyLengths";
constexpr const char* hmacChunked = "HMACChunkedAgrees";
constexpr const char* hmacNative = "HMACNativeMatchesGeneric";
constexpr const char* streamGroup = "Stream mode laws";
constexpr const char* shortLastBlock = "ShortLastBlock";
constexpr const char* streamPrefix = "StreamPrefix";
constexpr const char* chunkedContiguous = "ChunkedEqualsContiguous";
constexpr const char* wholeBlockGroup = "Whole-block mode laws";
constexpr const char* refusesPartialBlock = "RefusesPartialBlock";
constexpr const char* nativeGroup = "Native mode laws";
constexpr const char* nativeMatchesGeneric = "NativeModeMatchesGeneric";
constexpr const char* counterCarries = "CTRCounterCarries";
constexpr const char* continuationGroup = "IV continuation laws";
constexpr const char* continuation = "ContinuationFromReturnedIV";
} // namespace names

// A fixed message whose octets differ from their neighbours and from other salts' messages.
Bytes patterned(std::size_t length, std::uint8_t salt) {
    return Bytes::create(length, [&](std::span<std::uint8_t> octets) {
        for (std::size_t i = 0; i < octets.size(); ++i) {
            octets[i] = static_cast<std::uint8_t>(i * 167 + salt * 59u + 1);
        }
    });
}

Bytes drawBytes(Gen& gen, std::size_t length) {
    return Bytes::create(length, [&](std::span<std::uint8_t> octets) { gen.fill(octets); });
}

std::string octets(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " octet" : " octets");
}

// Cut points of a random chunking of `length` octets: pieces of 0 to 2 blocks, so that empty
// pieces and pieces crossing block boundaries both come up.
std::vector<std::size_t> randomCuts(Gen& gen, std::size_t length, std::size_t blockOctets) {
    std::vector<std::size_t> cuts{0};
    while (cuts.back() < length) {
        cuts.push_back(std::min(length, cuts.back() + gen.uniform(2 * blockOctets)));
    }
    return cuts;
}

LazyBytes chunked(const Bytes& message, const std::vector<std::size_t>& cuts) {
    std::vector<Bytes> chunks;
    for (std::size_t i = 1; i < cuts.size(); ++i) {
        chunks.push_back(message.slice(cuts[i - 1], cuts[i] - cuts[i - 1]));
    }
    return LazyBytes::fromChunks(std::move(chunks));
}

// ---- hashes

std::size_t blockOctetsOf(const Crypto::HashView& view) {
    return std::max<std::size_t>(view.blockLength() / 8, 1);
}

Bytes expectedDigest(const Crypto::HashView& view, const Bytes& message) {
    return view.encode(view.hashStrict(message));
}

// The digest of the message fed to a fresh context piece by piece, between the cut points
// (equal neighbouring cuts feed an empty piece).
Bytes digestOfPieces(const Crypto::HashView& view, const Bytes& message,
                     const std::vector<std::size_t>& cuts) {
    const std::unique_ptr<HashContext> context = view.newContext();
    for (std::size_t i = 1; i < cuts.size(); ++i) {
        context->update(message.view().subspan(cuts[i - 1], cuts[i] - cuts[i - 1]));
    }
    return view.encode(context->finalize());
}

void assertPiecesAgree(const Crypto::HashView& view, const Bytes& message,
                       const std::vector<std::size_t>& cuts, const std::string& law) {
    std::string where = law + ": a message of " + octets(message.size()) + " cut at";
    for (const std::size_t cut : cuts) {
        where.append(" ").append(std::to_string(cut));
    }
    assertEqual(where, expectedDigest(view, message), digestOfPieces(view, message, cuts));
}

// The bound: every split of every length at and around each block boundary (and where the
// padding stops fitting the last block) up to three blocks reaches each place a buffered
// implementation can go wrong: a piece that fills the buffer exactly, one that crosses it, one
// that leaves one octet over, and each of those at the last block where the padding is written.
// Faults further out repeat these with a different block count, which the random chunkings of
// longer messages reach.
Tree twoChunkSplits(const Hash& hash) {
    return testCase(names::twoChunkSplits, [hash] {
        const Crypto::HashView& view = *hash;
        for (const std::size_t length : boundaryLengths(blockOctetsOf(view))) {
            const Bytes message = patterned(length, 1);
            for (std::size_t cut = 0; cut <= length; ++cut) {
                assertPiecesAgree(view, message, {0, cut, length}, names::twoChunkSplits);
                const auto pieces = LazyBytes::fromChunks({message.take(cut), message.drop(cut)});
                assertEqual(std::string(names::twoChunkSplits) + ": hash of " + octets(length) +
                                " in chunks of " + octets(cut) + " and " + octets(length - cut),
                            expectedDigest(view, message), view.encode(view.hash(pieces)));
            }
        }
    });
}

Tree threeChunkSplits(const Hash& hash) {
    return testCase(names::threeChunkSplits, [hash] {
        const Crypto::HashView& view = *hash;
        for (const std::size_t length : boundaryLengths(blockOctetsOf(view))) {
            const Bytes message = patterned(length, 2);
            const std::vector<std::size_t> points = cutPoints(length, blockOctetsOf(view));
            for (std::size_t first = 0; first < points.size(); ++first) {
                for (std::size_t second = first; second < points.size(); ++second) {
                    assertPiecesAgree(view, message, {0, points[first], points[second], length},
                                      names::threeChunkSplits);
                }
            }
        }
    });
}

Tree randomChunkings(const Hash& hash) {
    return testProperty(names::randomChunkings, [hash](std::uint64_t seed) {
        const Crypto::HashView& view = *hash;
        Gen gen(seed);
        const std::size_t block = blockOctetsOf(view);
        const Bytes message = drawBytes(gen, static_cast<std::size_t>(gen.uniform(8 * block)));
        const std::vector<std::size_t> cuts = randomCuts(gen, message.size(), block);
        assertPiecesAgree(view, message, cuts, names::randomChunkings);
        assertEqual(std::string(names::randomChunkings) + ": hash of the chunked message",
                    expectedDigest(view, message), view.encode(view.hash(chunked(message, cuts))));
        return true;
    });
}

// Each length fed one octet at a time, with or without an empty update after every octet.
Tree octetByOctet(const Hash& hash, const char* law, bool emptyUpdates) {
    return testCase(law, [hash, law, emptyUpdates] {
        const Crypto::HashView& view = *hash;
        for (const std::size_t length : boundaryLengths(blockOctetsOf(view))) {
            const Bytes message = patterned(length, 3);
            std::vector<std::size_t> cuts{0};
            for (std::size_t end = 1; end <= length; ++end) {
                cuts.push_back(end);
                if (emptyUpdates) {
                    cuts.push_back(end);
                }
            }
            if (emptyUpdates) {
                cuts.insert(cuts.begin(), 0);
            }
            assertPiecesAgree(view, message, cuts, law);
        }
    });
}

// Lengths for the context laws: empty, within one block, and across blocks.
std::vector<std::size_t> contextLengths(std::size_t block) {
    return {0, 1, block - 1, block + 1, 3 * block};
}

Tree finalizeRestarts(const Hash& hash) {
    return testCase(names::finalizeRestarts, [hash] {
        const Crypto::HashView& view = *hash;
        const Bytes emptyDigest = expectedDigest(view, Bytes());
        for (const std::size_t length : contextLengths(blockOctetsOf(view))) {
            const Bytes message = patterned(length, 4);
            const std::unique_ptr<HashContext> context = view.newContext();
            context->update(message.view());
            const std::string where =
                std::string(names::finalizeRestarts) + ": after " + octets(length);
            assertEqual(where + ", the first finalize", expectedDigest(view, message),
                        view.encode(context->finalize()));
            assertEqual(where + ", a second finalize gives the empty message's digest", emptyDigest,
                        view.encode(context->finalize()));
        }
    });
}

Tree contextReusable(const Hash& hash) {
    return testCase(names::contextReusable, [hash] {
        const Crypto::HashView& view = *hash;
        const std::size_t block = blockOctetsOf(view);
        const std::unique_ptr<HashContext> context = view.newContext();
        for (const std::size_t length : contextLengths(block)) {
            const Bytes message = patterned(length, 5);
            context->update(message.view());
            assertEqual(std::string(names::contextReusable) + ": a context finalized before, fed " +
                            octets(length),
                        expectedDigest(view, message), view.encode(context->finalize()));
        }
    });
}

Tree copiedContext(const Hash& hash) {
    return testCase(names::copiedContext, [hash] {
        const Crypto::HashView& view = *hash;
        const std::size_t block = blockOctetsOf(view);
        const Bytes head = patterned(block + 3, 6);
        const Bytes original = patterned(2 * block, 7);
        const Bytes other = patterned(block - 1, 8);
        const std::unique_ptr<HashContext> context = view.newContext();
        context->update(head.view());
        const std::unique_ptr<HashContext> copy = context->copy();
        if (!copy) {
            throw zorvan::testing::TestSkipped("the Context type is not copyable");
        }
        copy->update(other.view());
        context->update(original.view());
        const std::string law = names::copiedContext;
        assertEqual(law + ": the copy", expectedDigest(view, head.concat(other)),
                    view.encode(copy->finalize()));
        assertEqual(law + ": the original", expectedDigest(view, head.concat(original)),
                    view.encode(context->finalize()));
    });
}

Tree distinctDigests(const Hash& hash) {
    return testProperty(names::distinctDigests, [hash](const Bytes& message) {
        const Crypto::HashView& view = *hash;
        const Bytes changed = Bytes::create(message.size(), [&](std::span<std::uint8_t> out) {
            std::ranges::copy(message.view(), out.begin());
            out.back() ^= 1;
        });
        const Digest digest = view.hashStrict(message);
        return view.equal(digest, view.hashStrict(message)) &&
               !view.equal(digest, view.hashStrict(changed));
    });
}

// Digests one octet apart must compare unequal, wherever that octet is.
Tree octetEquality(const Hash& hash) {
    return testProperty(names::octetEquality, [hash](const Bytes& message) {
        const Crypto::HashView& view = *hash;
        const Digest digest = view.hashStrict(message);
        const Bytes encoded = view.encode(digest);
        for (std::size_t i = 0; i < encoded.size(); ++i) {
            const Bytes flipped = Bytes::create(encoded.size(), [&](std::span<std::uint8_t> out) {
                std::ranges::copy(encoded.view(), out.begin());
                out[i] ^= 0x80;
            });
            const std::optional<Digest> other = view.get(flipped);
            if (!other || view.equal(digest, *other)) {
                return false;
            }
        }
        return true;
    });
}

Tree getEncode(const Hash& hash) {
    return testProperty(names::getEncode, [hash](const Bytes& message) {
        const Crypto::HashView& view = *hash;
        const Digest digest = view.hashStrict(message);
        const Bytes encoded = view.encode(digest);
        const std::optional<Digest> readBack = view.get(encoded);
        const std::optional<Digest> withExtra = view.get(encoded.concat(message));
        return encoded.size() == view.outputLength() / 8 && readBack &&
               view.equal(*readBack, digest) && view.encode(*readBack) == encoded && withExtra &&
               view.equal(*withExtra, digest) &&
               (encoded.empty() || !view.get(encoded.take(encoded.size() - 1)));
    });
}

// ---- HMAC

std::vector<std::size_t> hmacKeyLengths(std::size_t block) {
    return {0, 1, block - 1, block, block + 1, 2 * block + 1};
}

Bytes macOf(const Crypto::HashView& view, const Bytes& key, const Bytes& message) {
    return view.encode(view.hmacStrict(key, message));
}

// FIPS 198's key rules: a key longer than the block is replaced by its digest, a shorter one
// padded with zeros; every key length is accepted, the empty key too.
Tree hmacKeyRules(const Hash& hash) {
    return testCase(names::hmacKeyLengths, [hash] {
        const Crypto::HashView& view = *hash;
        const std::size_t block = blockOctetsOf(view);
        for (const std::size_t keyLength : hmacKeyLengths(block)) {
            const Bytes key = patterned(keyLength, 9);
            const std::string where =
                std::string(names::hmacKeyLengths) + ": a key of " + octets(keyLength);
            for (const std::size_t messageLength : {std::size_t{0}, std::size_t{1}, block + 3}) {
                const Bytes message = patterned(messageLength, 10);
                const Bytes mac = macOf(view, key, message);
                assertEqual(where + ", MAC length", view.outputLength() / 8, mac.size());
                if (keyLength != block) {
                    const Bytes equivalentKey = keyLength > block
                                                    ? view.encode(view.hashStrict(key))
                                                    : key.concat(Bytes{0});
                    assertEqual(where + ", the same MAC as under the key FIPS 198 makes of it",
                                macOf(view, equivalentKey, message), mac);
                }
                assertEqual(
                    where + ", chunked message", mac,
                    view.encode(view.hmac(key, LazyBytes::chunksOf(message, block / 2 + 1))));
            }
        }
    });
}

Tree hmacChunked(const Hash& hash) {
    return testProperty(names::hmacChunked, [hash](std::uint64_t seed) {
        const Crypto::HashView& view = *hash;
        Gen gen(seed);
        const std::size_t block = blockOctetsOf(view);
        const std::vector<std::size_t> keyLengths = hmacKeyLengths(block);
        const Bytes key = drawBytes(gen, keyLengths[gen.uniform(keyLengths.size() - 1)]);
        const Bytes message = drawBytes(gen, static_cast<std::size_t>(gen.uniform(6 * block)));
        assertEqual(
            std::string(names::hmacChunked) + ": a key of " + octets(key.size()),
            macOf(view, key, message),
            view.encode(view.hmac(key, chunked(message, randomCuts(gen, message.size(), block)))));
        return true;
    });
}

Tree hmacNative(const Hash& hash) {
    return testProperty(names::hmacNative, [hash](std::uint64_t seed) {
        const Crypto::HashView& view = *hash;
        if (!view.ownsHmac()) {
            throw zorvan::testing::TestSkipped("the digest type has no hmac of its own");
        }
        Gen gen(seed);
        const std::size_t block = blockOctetsOf(view);
        const std::vector<std::size_t> keyLengths = hmacKeyLengths(block);
        const Bytes key = drawBytes(gen, keyLengths[gen.uniform(keyLengths.size() - 1)]);
        const Bytes message = drawBytes(gen, static_cast<std::size_t>(gen.uniform(6 * block)));
        const Bytes generic = view.encode(Crypto::genericHmac(view, key, message));
        const std::string where =
            std::string(names::hmacNative) + ": a key of " + octets(key.size());
        assertEqual(where + ", hmacStrict", generic, macOf(view, key, message));
        assertEqual(
            where + ", hmac", generic,
            view.encode(view.hmac(key, chunked(message, randomCuts(gen, message.size(), block)))));
        return true;
    });
}

// ---- block ciphers

// ModeOutput: a mode's output and next IV (for ECB, the IV given), compared and printed whole.
struct ModeOutput {
    Bytes output;
    Bytes nextIv;
    friend bool operator==(const ModeOutput&, const ModeOutput&) = default;
    friend std::ostream& operator<<(std::ostream& out, const ModeOutput& result) {
        return out << "output " << result.output << ", next IV " << result.nextIv;
    }
};

// Mode: one mode of the cipher under test and what the laws run of it on a key: zorvan's
// operations (the key type's own where it has them), chunked or not, and the library's generic
// mode over the key's own block functions. Every IV is blockSize/8 octets.
struct Mode {
    std::string name; // "ECB", "CBC", "CFB", "OFB", "CTR"
    CipherMode mode;

    [[nodiscard]] bool wholeBlocksOnly() const noexcept {
        return mode == CipherMode::ecb || mode == CipherMode::cbc;
    }
    [[nodiscard]] ModeOutput encrypt(const Key& key, const Bytes& iv, const Bytes& input) const {
        return strict(key->run(mode, false, iv, input));
    }
    [[nodiscard]] ModeOutput decrypt(const Key& key, const Bytes& iv, const Bytes& input) const {
        return strict(key->run(mode, true, iv, input));
    }
    [[nodiscard]] ModeOutput encryptLazy(const Key& key, const Bytes& iv,
                                         const LazyBytes& input) const {
        return lazy(key->runLazy(mode, false, iv, input));
    }
    [[nodiscard]] ModeOutput decryptLazy(const Key& key, const Bytes& iv,
                                         const LazyBytes& input) const {
        return lazy(key->runLazy(mode, true, iv, input));
    }
    [[nodiscard]] ModeOutput genericEncrypt(const Key& key, const Bytes& iv,
                                            const Bytes& input) const {
        return strict(Crypto::runGeneric(*key, mode, false, iv, input));
    }
    [[nodiscard]] ModeOutput genericDecrypt(const Key& key, const Bytes& iv,
                                            const Bytes& input) const {
        return strict(Crypto::runGeneric(*key, mode, true, iv, input));
    }

private:
    static ModeOutput strict(Crypto::ModeResult<Bytes> result) {
        return {std::move(result.first), std::move(result.second)};
    }
    static ModeOutput lazy(Crypto::ModeResult<LazyBytes> result) {
        return {result.first.toStrict(), std::move(result.second)};
    }
};

// A strict operation of a mode, as the continuation law runs it twice.
using StrictOperation = ModeOutput (Mode::*)(const Key&, const Bytes&, const Bytes&) const;

std::size_t blockOctetsOf(const Crypto::CipherView& cipher) {
    return cipher.blockSize() / 8;
}

std::optional<Key> buildKey(const Crypto::CipherView& cipher, const Bytes& octets) {
    Key key = cipher.buildKey(octets);
    return key ? std::optional(std::move(key)) : std::nullopt;
}

std::string lawName(const Mode& mode, const char* law) {
    return mode.name + law;
}

// The key the exhaustive cipher laws use; a cipher that refuses it fails the leaf.
Key fixedKey(const Crypto::CipherView& cipher) {
    std::optional<Key> key =
        buildKey(cipher, Crypto::keyMaterial(patterned(7, 11), cipher.keyLength()));
    if (!key) {
        throw std::runtime_error("buildKey refused the laws' fixed key of " +
                                 octets(cipher.keyLength() / 8));
    }
    return *key;
}

// One random case of a mode law: a key (nothing when the cipher refuses it), an IV, a message of
// up to `maxBlocks` blocks and a few octets, and a generator for further draws.
struct Draw {
    Gen gen;
    std::optional<Key> key;
    Bytes iv;
    Bytes message;
};

Draw drawCase(const Crypto::CipherView& cipher, std::uint64_t seed, std::size_t maxBlocks) {
    Draw draw{Gen(seed), std::nullopt, {}, {}};
    const std::size_t block = blockOctetsOf(cipher);
    draw.key = buildKey(cipher, drawBytes(draw.gen, cipher.keyLength() / 8));
    draw.iv = drawBytes(draw.gen, block);
    draw.message =
        drawBytes(draw.gen, static_cast<std::size_t>(draw.gen.uniform(maxBlocks * block + block)));
    return draw;
}

Bytes wholeBlocksOf(const Bytes& message, std::size_t block) {
    return message.take(message.size() - message.size() % block);
}

// Every length from empty to four blocks and one octet, so that each position of a short last
// block comes up.
// A law of one mode on fixed inputs: `check` gets the law's name, the fixed key, an IV made with
// ivSalt and the block length, and fails by assertion.
template <class Check>
Tree modeCase(const Cipher& cipher, const Mode& mode, const char* law, std::uint8_t ivSalt,
              Check check) {
    const std::string name = lawName(mode, law);
    return testCase(name, [cipher, name, ivSalt, check] {
        const std::size_t block = blockOctetsOf(*cipher);
        check(name, fixedKey(*cipher), patterned(block, ivSalt), block);
    });
}

Tree shortLastBlock(const Cipher& cipher, const Mode& mode) {
    return modeCase(
        cipher, mode, names::shortLastBlock, 12,
        [mode](const std::string& law, const Key& key, const Bytes& iv, std::size_t block) {
            for (std::size_t length = 0; length <= 4 * block + 1; ++length) {
                const Bytes message = patterned(length, 13);
                const ModeOutput encrypted = mode.encrypt(key, iv, message);
                const std::string where = law + ": " + octets(length);
                assertEqual(where + ", ciphertext length", length, encrypted.output.size());
                assertEqual(where + ", decryption undoes encryption",
                            ModeOutput{message, encrypted.nextIv},
                            mode.decrypt(key, iv, encrypted.output));
            }
        });
}

Tree streamPrefix(const Cipher& cipher, const Mode& mode) {
    return modeCase(
        cipher, mode, names::streamPrefix, 14,
        [mode](const std::string& law, const Key& key, const Bytes& iv, std::size_t block) {
            const Bytes message = patterned(4 * block + 1, 15);
            const Bytes whole = mode.encrypt(key, iv, message).output;
            const Bytes wholeDecryption = mode.decrypt(key, iv, message).output;
            for (std::size_t length = 0; length <= message.size(); ++length) {
                const std::string where = law + ": the first " + octets(length);
                assertEqual(where + " encrypted", whole.take(length),
                            mode.encrypt(key, iv, message.take(length)).output);
                assertEqual(where + " decrypted", wholeDecryption.take(length),
                            mode.decrypt(key, iv, message.take(length)).output);
            }
        });
}

// A law of one mode over random cases: `check` gets the law's name, the case and its message
// (cut to whole blocks for ECB and CBC), and fails by assertion.
template <class Check>
Tree modeProperty(const Cipher& cipher, const Mode& mode, const char* law, Check check) {
    const std::string name = lawName(mode, law);
    return testProperty(name, [cipher, mode, name, check](std::uint64_t seed) {
        Draw draw = drawCase(*cipher, seed, 8);
        return zorvan::testing::implies(draw.key.has_value(), [&] {
            const std::size_t block = blockOctetsOf(*cipher);
            const Bytes message =
                mode.wholeBlocksOnly() ? wholeBlocksOf(draw.message, block) : draw.message;
            check(name, draw, message);
            return true;
        });
    });
}

Tree chunkedContiguous(const Cipher& cipher, const Mode& mode) {
    const std::size_t block = blockOctetsOf(*cipher);
    return modeProperty(
        cipher, mode, names::chunkedContiguous,
        [mode, block](const std::string& law, Draw& draw, const Bytes& message) {
            const LazyBytes pieces = chunked(message, randomCuts(draw.gen, message.size(), block));
            assertEqual(law + ": encryption", mode.encrypt(*draw.key, draw.iv, message),
                        mode.encryptLazy(*draw.key, draw.iv, pieces));
            assertEqual(law + ": decryption", mode.decrypt(*draw.key, draw.iv, message),
                        mode.decryptLazy(*draw.key, draw.iv, pieces));
        });
}

// Runs `operation`, which must refuse its input; an output is reported with its length.
template <class Operation>
void assertRefused(const std::string& what, std::size_t length, Operation operation) {
    std::optional<std::size_t> outputLength;
    try {
        outputLength = operation().output.size();
    } catch (const std::exception&) {
        return;
    }
    throw zorvan::testing::AssertionFailure(what + " of " + octets(length) +
                                                " must be refused with an error",
                                            {zorvan::testing::expectedAndActual, "an error",
                                             "an output of " + octets(*outputLength), std::nullopt},
                                            std::nullopt, std::source_location::current());
}

Tree refusesPartialBlock(const Cipher& cipher, const Mode& mode) {
    return modeCase(
        cipher, mode, names::refusesPartialBlock, 16,
        [mode](const std::string& law, const Key& key, const Bytes& iv, std::size_t block) {
            for (std::size_t length = 1; length <= 2 * block + 1; ++length) {
                if (length % block == 0) {
                    continue;
                }
                const Bytes message = patterned(length, 17);
                const LazyBytes pieces = LazyBytes::chunksOf(message, block);
                assertRefused(law + ": encryption", length,
                              [&] { return mode.encrypt(key, iv, message); });
                assertRefused(law + ": decryption", length,
                              [&] { return mode.decrypt(key, iv, message); });
                assertRefused(law + ": chunked encryption", length,
                              [&] { return mode.encryptLazy(key, iv, pieces); });
                assertRefused(law + ": chunked decryption", length,
                              [&] { return mode.decryptLazy(key, iv, pieces); });
            }
        });
}

// The mode as the library runs it (the key type's own where it has one) against the generic
// mode over the same key's block function, strict and chunked, both ways.
void assertMatchesGeneric(const std::string& law, const Mode& mode, const Key& key, const Bytes& iv,
                          const Bytes& message, Gen& gen, std::size_t block) {
    const LazyBytes pieces = chunked(message, randomCuts(gen, message.size(), block));
    const std::string where =
        law + ": IV " + zorvan::testing::describe(iv) + ", " + octets(message.size());
    const ModeOutput encrypted = mode.genericEncrypt(key, iv, message);
    const ModeOutput decrypted = mode.genericDecrypt(key, iv, message);
    assertEqual(where + ", encryption", encrypted, mode.encrypt(key, iv, message));
    assertEqual(where + ", decryption", decrypted, mode.decrypt(key, iv, message));
    assertEqual(where + ", chunked encryption", encrypted, mode.encryptLazy(key, iv, pieces));
    assertEqual(where + ", chunked decryption", decrypted, mode.decryptLazy(key, iv, pieces));
}

Tree nativeMatchesGeneric(const Cipher& cipher, const Mode& mode) {
    const std::size_t block = blockOctetsOf(*cipher);
    return modeProperty(
        cipher, mode, names::nativeMatchesGeneric,
        [mode, block](const std::string& law, Draw& draw, const Bytes& message) {
            assertMatchesGeneric(law, mode, *draw.key, draw.iv, message, draw.gen, block);
            const std::vector<Bytes> carries = carryIvs(block);
            const Bytes& carry = carries[draw.gen.uniform(carries.size() - 1)];
            assertMatchesGeneric(law, mode, *draw.key, carry, message, draw.gen, block);
        });
}

// Four blocks and a short one from each carry point: a counter that wraps at 32 bits, carries
// only within the low 64 bits or is read little-endian gives another keystream.
Tree counterCarries(Cipher cipher, Mode mode) {
    return testCase(names::counterCarries, [cipher, mode] {
        const Key key = fixedKey(*cipher);
        const std::size_t block = blockOctetsOf(*cipher);
        Gen gen(block);
        const Bytes message = patterned(4 * block + block / 2, 18);
        for (const Bytes& iv : carryIvs(block)) {
            assertMatchesGeneric(names::counterCarries, mode, key, iv, message, gen, block);
        }
    });
}

// a‖b in one call equals a, then b from the IV a returned, cut at a block boundary.
Tree continuation(const Cipher& cipher, const Mode& mode) {
    const std::size_t block = blockOctetsOf(*cipher);
    return modeProperty(
        cipher, mode, names::continuation,
        [mode, block](const std::string& law, Draw& draw, const Bytes& message) {
            const std::size_t cut =
                block * static_cast<std::size_t>(draw.gen.uniform(message.size() / block));
            const auto inTwoCalls = [&](StrictOperation operation) {
                const ModeOutput first = (mode.*operation)(*draw.key, draw.iv, message.take(cut));
                const ModeOutput second =
                    (mode.*operation)(*draw.key, first.nextIv, message.drop(cut));
                return ModeOutput{first.output.concat(second.output), second.nextIv};
            };
            const std::string where =
                law + ": " + octets(message.size()) + " cut after " + octets(cut);
            assertEqual(where + ", encryption", mode.encrypt(*draw.key, draw.iv, message),
                        inTwoCalls(&Mode::encrypt));
            assertEqual(where + ", decryption", mode.decrypt(*draw.key, draw.iv, message),
                        inTwoCalls(&Mode::decrypt));
        });
}

} // namespace

std::vector<std::size_t> boundaryLengths(std::size_t blockOctets) {
    std::set<std::size_t> lengths;
    // Where the padding's length field stops fitting the block: 8 octets for MD5, SHA-1 and
    // SHA-256, 16 for SHA-384 and SHA-512; both are tried whatever the hash.
    const std::size_t paddingEdges[] = {blockOctets - 9, blockOctets - 8, blockOctets - 17,
                                        blockOctets - 16};
    for (std::size_t blocks = 0; blocks <= 3; ++blocks) {
        const std::size_t boundary = blocks * blockOctets;
        for (const std::size_t length : {boundary - 1, boundary, boundary + 1}) {
            if (length <= 3 * blockOctets + 1) {
                lengths.insert(length);
            }
        }
        for (const std::size_t edge : paddingEdges) {
            if (blocks < 3 && edge < blockOctets) {
                lengths.insert(boundary + edge);
            }
        }
    }
    return {lengths.begin(), lengths.end()};
}

std::vector<std::size_t> cutPoints(std::size_t length, std::size_t blockOctets) {
    std::set<std::size_t> points{0, length};
    for (std::size_t boundary = 0; boundary <= length + 1; boundary += blockOctets) {
        for (const std::size_t point : {boundary - 1, boundary, boundary + 1}) {
            if (point <= length) {
                points.insert(point);
            }
        }
    }
    return {points.begin(), points.end()};
}

std::vector<Bytes> carryIvs(std::size_t blockOctets) {
    std::vector<Bytes> ivs;
    for (const std::size_t onesOctets : {std::size_t{4}, std::size_t{8}, blockOctets}) {
        if (onesOctets > blockOctets) {
            continue;
        }
        ivs.push_back(Bytes::create(blockOctets, [&](std::span<std::uint8_t> iv) {
            for (std::size_t i = 0; i < blockOctets; ++i) {
                iv[i] = i >= blockOctets - onesOctets ? 0xff : static_cast<std::uint8_t>(0x10 + i);
            }
        }));
    }
    return ivs;
}

std::vector<Tree> hashConformanceTests(const Hash& hash) {
    return {
        TestGroup{names::chunkingGroup,
                  {twoChunkSplits(hash), threeChunkSplits(hash), randomChunkings(hash),
                   octetByOctet(hash, names::oneOctetAtATime, false),
                   octetByOctet(hash, names::emptyUpdates, true)}},
        TestGroup{names::contextGroup,
                  {finalizeRestarts(hash), contextReusable(hash), copiedContext(hash)}},
        TestGroup{names::digestGroup,
                  {distinctDigests(hash), octetEquality(hash), getEncode(hash)}},
    };
}

std::vector<Tree> hmacConformanceTests(const Hash& hash) {
    return {TestGroup{names::hmacGroup, {hmacKeyRules(hash), hmacChunked(hash), hmacNative(hash)}}};
}

std::vector<Tree> blockCipherConformanceTests(const Cipher& cipher) {
    Crypto::requireWholeOctetBlocks(cipher->blockSize());
    const std::array<Mode, 5> modes{{{"ECB", CipherMode::ecb},
                                     {"CBC", CipherMode::cbc},
                                     {"CFB", CipherMode::cfb},
                                     {"OFB", CipherMode::ofb},
                                     {"CTR", CipherMode::ctr}}};
    std::vector<Tree> stream;
    std::vector<Tree> wholeBlock;
    std::vector<Tree> native;
    std::vector<Tree> continued;
    for (const Mode& mode : modes) {
        if (mode.wholeBlocksOnly()) {
            wholeBlock.push_back(refusesPartialBlock(cipher, mode));
        } else {
            stream.push_back(shortLastBlock(cipher, mode));
            stream.push_back(streamPrefix(cipher, mode));
            stream.push_back(chunkedContiguous(cipher, mode));
        }
        native.push_back(nativeMatchesGeneric(cipher, mode));
        if (mode.mode == CipherMode::ctr) {
            native.push_back(counterCarries(cipher, mode));
        }
        if (mode.mode != CipherMode::ecb) {
            continued.push_back(continuation(cipher, mode));
        }
    }
    return {TestGroup{names::streamGroup, std::move(stream)},
            TestGroup{names::wholeBlockGroup, std::move(wholeBlock)},
            TestGroup{names::nativeGroup, std::move(native)},
            TestGroup{names::continuationGroup, std::move(continued)}};
}

} // namespace Test::Conformance
