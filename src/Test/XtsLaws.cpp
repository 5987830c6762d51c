#include <Test/XTS.hpp>

#include <Test/Crypto.hpp>
#include <Test/LawInputs.hpp>

#include <zorvan/testing/assertion.hpp>

#include <exception>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace Test::XTS {

namespace {

using Conformance::drawBytes;
using Conformance::octets;
using Conformance::patterned;
using zorvan::Bytes;
using zorvan::xtsBlockOctets;
namespace testing = zorvan::testing;
using testing::assertEqual;
using testing::Gen;
using Tree = testing::Test;
using Xts = std::shared_ptr<const Crypto::XtsView>;
using Key = std::shared_ptr<const Crypto::XtsKeyView>;

// The law names, each saying what broke when its leaf fails.
namespace names {
constexpr const char* group = "XTS laws";
constexpr const char* roundTrip = "XTSDecryptionUndoesEncryption";
constexpr const char* refusesShort = "XTSRefusesShortDataUnit";
constexpr const char* littleEndian = "XTSTweakLittleEndian";
constexpr const char* stealing = "XTSCiphertextStealing";
constexpr const char* nativeMatchesGeneric = "XTSNativeMatchesGeneric";
} // namespace names

Key fixedKey(const Crypto::XtsView& xts) {
    Key key = xts.buildKey(Crypto::keyMaterial(patterned(9, 51), xts.keyLength()));
    if (!key) {
        throw std::runtime_error("buildKey refused the laws' fixed key of " +
                                 octets(xts.keyLength() / 8));
    }
    return key;
}

// Every length from one block to five blocks and 15 octets: each place a short last block can
// stand after one to five whole blocks.
Tree roundTrip(const Xts& xts) {
    return testing::testCase(names::roundTrip, [xts] {
        const Key key = fixedKey(*xts);
        const Bytes tweak = patterned(xtsBlockOctets, 52);
        for (std::size_t length = xtsBlockOctets; length < 6 * xtsBlockOctets; ++length) {
            const Bytes dataUnit = patterned(length, 53);
            const Bytes encrypted = key->encrypt(tweak, dataUnit);
            const std::string where = std::string(names::roundTrip) + ": " + octets(length);
            assertEqual(where + ", ciphertext length", length, encrypted.size());
            assertEqual(where, dataUnit, key->decrypt(tweak, encrypted));
        }
    });
}

// What an operation gave: "refused", or the length of its output.
template <class Operation> std::string outcomeOf(Operation operation) {
    try {
        return "an output of " + octets(operation().size());
    } catch (const std::exception&) {
        return "refused";
    }
}

// A data unit shorter than one block has no block to steal from: it must be refused, never
// padded, encrypted in another mode or given back as it is.
Tree refusesShort(const Xts& xts) {
    return testing::testCase(names::refusesShort, [xts] {
        const Key key = fixedKey(*xts);
        const Bytes tweak = patterned(xtsBlockOctets, 54);
        for (std::size_t length = 0; length < xtsBlockOctets; ++length) {
            const Bytes dataUnit = patterned(length, 55);
            const std::string where = std::string(names::refusesShort) + ": " + octets(length);
            assertEqual(where + ", encryption", std::string("refused"),
                        outcomeOf([&] { return key->encrypt(tweak, dataUnit); }));
            assertEqual(where + ", decryption", std::string("refused"),
                        outcomeOf([&] { return key->decrypt(tweak, dataUnit); }));
        }
    });
}

// A law over random keys and tweaks: check(name, key, tweak, gen) for each key the type builds.
template <class Check> Tree xtsProperty(const Xts& xts, const char* law, Check check) {
    return testing::testProperty(law, [xts, law, check](std::uint64_t seed) {
        Gen gen(seed);
        const Key key = xts->buildKey(drawBytes(gen, xts->keyLength() / 8));
        return testing::implies(key != nullptr, [&] {
            check(std::string(law), *key, drawBytes(gen, xtsBlockOctets), gen);
            return true;
        });
    });
}

// The tweak under which block j of a data unit is encrypted, as a data unit's own tweak: the
// encrypted tweak times alpha to the j, read little-endian, decrypted under the tweak key.
Bytes tweakOfBlock(const Crypto::XtsKeyView& key, const Bytes& tweak, std::size_t block) {
    const std::shared_ptr<const Crypto::KeyView> tweakKey = key.tweakKey();
    const Bytes encrypted = tweakKey->encryptBlock(tweak);
    std::vector<std::uint8_t> value(encrypted.begin(), encrypted.end());
    if (value.size() != xtsBlockOctets) {
        throw std::runtime_error("encryptBlock gave " + octets(value.size()) + " for one block");
    }
    for (std::size_t j = 0; j < block; ++j) {
        zorvan::detail::multiplyByAlpha(std::span<std::uint8_t, xtsBlockOctets>(value));
    }
    return tweakKey->decryptBlock(Bytes(value));
}

Bytes blockAt(const Bytes& data, std::size_t block) {
    return data.slice(block * xtsBlockOctets, xtsBlockOctets);
}

// Each block of a data unit is the data unit of that block alone under its own tweak: a tweak
// multiplied big-endian, or from the wrong end, differs from the second block on.
Tree littleEndian(const Xts& xts) {
    return xtsProperty(
        xts, names::littleEndian,
        [](const std::string& law, const Crypto::XtsKeyView& key, const Bytes& tweak, Gen& gen) {
            constexpr std::size_t blocks = 4;
            const Bytes dataUnit = drawBytes(gen, blocks * xtsBlockOctets);
            const Bytes encrypted = key.encrypt(tweak, dataUnit);
            for (std::size_t j = 0; j < blocks; ++j) {
                assertEqual(law + ": block " + std::to_string(j) + " of " + std::to_string(blocks),
                            key.encrypt(tweakOfBlock(key, tweak, j), blockAt(dataUnit, j)),
                            blockAt(encrypted, j));
            }
        });
}

// Ciphertext stealing as IEEE 1619 defines it, over one to three whole blocks and a short last
// block: the last whole block encrypted under its tweak gives the short block's ciphertext (its
// first octets) and the rest the short block is filled up with; that filled block, under the
// next tweak, takes the last whole block's place; the blocks before are untouched.
Tree stealing(const Xts& xts) {
    return xtsProperty(
        xts, names::stealing,
        [](const std::string& law, const Crypto::XtsKeyView& key, const Bytes& tweak, Gen& gen) {
            const std::size_t whole = 1 + static_cast<std::size_t>(gen.uniform(2));
            const std::size_t tail = 1 + static_cast<std::size_t>(gen.uniform(xtsBlockOctets - 2));
            const Bytes dataUnit = drawBytes(gen, whole * xtsBlockOctets + tail);
            const Bytes encrypted = key.encrypt(tweak, dataUnit);
            const std::string where = law + ": " + octets(dataUnit.size());
            for (std::size_t j = 0; j + 1 < whole; ++j) {
                assertEqual(where + ", block " + std::to_string(j),
                            key.encrypt(tweakOfBlock(key, tweak, j), blockAt(dataUnit, j)),
                            blockAt(encrypted, j));
            }
            const Bytes stolen =
                key.encrypt(tweakOfBlock(key, tweak, whole - 1), blockAt(dataUnit, whole - 1));
            assertEqual(where + ", the short last block", stolen.take(tail),
                        encrypted.drop(whole * xtsBlockOctets));
            const Bytes filled = dataUnit.drop(whole * xtsBlockOctets).concat(stolen.drop(tail));
            assertEqual(where + ", the last whole block",
                        key.encrypt(tweakOfBlock(key, tweak, whole), filled),
                        blockAt(encrypted, whole - 1));
        });
}

Tree nativeMatchesGeneric(const Xts& xts) {
    return xtsProperty(
        xts, names::nativeMatchesGeneric,
        [](const std::string& law, const Crypto::XtsKeyView& key, const Bytes& tweak, Gen& gen) {
            if (!key.ownsXts()) {
                throw testing::TestSkipped("the key type has no xts or unXts of its own");
            }
            const Bytes dataUnit = drawBytes(
                gen, xtsBlockOctets + static_cast<std::size_t>(gen.uniform(5 * xtsBlockOctets)));
            const std::string where = law + ": " + octets(dataUnit.size());
            const auto dataKey = key.dataKey();
            const auto tweakKey = key.tweakKey();
            assertEqual(where + ", encryption",
                        Crypto::genericXts(*dataKey, *tweakKey, tweak, dataUnit, false),
                        key.encrypt(tweak, dataUnit));
            assertEqual(where + ", decryption",
                        Crypto::genericXts(*dataKey, *tweakKey, tweak, dataUnit, true),
                        key.decrypt(tweak, dataUnit));
        });
}

} // namespace

std::vector<zorvan::testing::Test> xtsConformanceTests(const Xts& xts) {
    return {testing::TestGroup{names::group,
                               {roundTrip(xts), refusesShort(xts), littleEndian(xts), stealing(xts),
                                nativeMatchesGeneric(xts)}}};
}

} // namespace Test::XTS
