#pragma once
// CipherKey<Traits>: the key type each backend builds its block ciphers on, with the library's
// own modes as members, and the helper that gives whole-block library calls the generic modes'
// partial blocks and next IVs.
//
// A public helper for anyone adapting a crypto library's block cipher, installed with the
// package (CMake target zorvan_tests::backend_common): runOnWholeBlocks alone suits a library
// whose mode calls take whole blocks only; CipherKey, CipherTraits and FixedKeyCipher give a
// complete key type from a description of the library's cipher. The README's "Writing a block
// cipher adapter" states what every mode member must return.

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace zorvan::backends {

/// Mode: the modes of operation a backend may run natively.
enum class Mode { ecb, cbc, cfb, ofb, ctr };
/// Direction: whether a mode encrypts or decrypts.
enum class Direction { encrypt, decrypt };

/// ModeOutput: what one mode operation gives: the output and the IV to continue from.
struct ModeOutput {
    /// output: as many octets as the input.
    Bytes output;
    /// nextIv: the IV a following call continues from (for ECB, the IV given).
    Bytes nextIv;
};

/// CipherSchedule: a library's cipher under one key, built from a Selection (which of the
/// library's ciphers to use) and the key octets. run applies a mode to the input (ECB and CBC
/// get whole blocks only, ECB an empty IV) and throws when the library fails.
template <class S, class Selection>
concept CipherSchedule = std::copy_constructible<S> &&
    std::constructible_from<S, Selection, std::span<const std::uint8_t>> &&
    requires(const S& schedule, Mode mode, Direction direction,
             std::span<const std::uint8_t> octets) {
    { schedule.run(mode, direction, octets, octets) } -> std::same_as<ModeOutput>;
};

/// CipherTraits: one cipher as a backend offers it: its lengths, which modes the library runs
/// natively, and select, which gives the Selection for a key of that many octets or nothing
/// when the library does not take such keys.
template <class T>
concept CipherTraits = requires(std::size_t keyOctets, Mode mode) {
    { T::blockOctets } -> std::convertible_to<std::size_t>;
    { T::keyBits } -> std::convertible_to<std::size_t>;
    { T::native(mode) } -> std::same_as<bool>;
    requires CipherSchedule<typename T::Schedule,
                            typename decltype(T::select(keyOctets))::value_type>;
};

/// CipherTraitsBase: the lengths and schedule of a 128-bit-block cipher whose keyLength is
/// Bits, with every mode native; backends derive from it to narrow the modes or add select.
template <std::size_t Bits, class Schedule_> struct CipherTraitsBase {
    /// Schedule: the CipherSchedule that runs the cipher under one key.
    using Schedule = Schedule_;
    /// blockOctets: the block size in octets: 16.
    static constexpr std::size_t blockOctets = 16;
    /// keyBits: the key type's keyLength, Bits.
    static constexpr std::size_t keyBits = Bits;
    /// native: true for every mode; a derived traits hides it to narrow the modes.
    static constexpr bool native(Mode /*mode*/) { return true; }
};

/// FixedKeyCipher: traits of a cipher taking keys of exactly Bits bits, all modes native, run
/// by Schedule built from the library's Selection for it.
template <std::size_t Bits, class Schedule, auto Selection>
struct FixedKeyCipher : CipherTraitsBase<Bits, Schedule> {
    /// select: Selection for a key of Bits/8 octets, nothing for any other length.
    static constexpr std::optional<decltype(Selection)> select(std::size_t keyOctets) {
        return keyOctets == Bits / 8 ? std::optional(Selection) : std::nullopt;
    }
};

/// ecbAndCbcOnly: the native-mode rule of a cipher whose backend runs only ECB and CBC itself.
constexpr bool ecbAndCbcOnly(Mode mode) {
    return mode == Mode::ecb || mode == Mode::cbc;
}

namespace detail {

// The IV the generic modes leave after `length` input octets, given the zero-padded input and
// the output a whole-block library call made of it. Padding with zeros makes the output's
// unused tail the unused keystream, which is what the generic CFB and OFB keep.
inline Bytes nextIvAfterPadding(Mode mode, Direction direction, std::span<const std::uint8_t> iv,
                                std::size_t length, std::span<const std::uint8_t> paddedInput,
                                std::span<const std::uint8_t> output) {
    const std::size_t block = iv.size();
    if (length == 0 || mode == Mode::ecb) {
        return Bytes(iv);
    }
    const auto lastIn = paddedInput.last(block);
    const auto lastOut = output.last(block);
    const std::size_t usedInLastBlock = length - (paddedInput.size() - block);
    if ((mode == Mode::cbc || mode == Mode::cfb) && usedInLastBlock == block) {
        return Bytes(direction == Direction::decrypt ? lastIn : lastOut);
    }
    return Bytes::create(block, [&](std::span<std::uint8_t> next) {
        switch (mode) {
        case Mode::cbc:
        case Mode::cfb: {
            const auto ciphertext = direction == Direction::decrypt ? lastIn : lastOut;
            if (usedInLastBlock < block) {
                zorvan::detail::copyOctets(lastOut, next.data());
            }
            zorvan::detail::copyOctets(ciphertext.first(usedInLastBlock), next.data());
            break;
        }
        case Mode::ofb:
            zorvan::detail::xorOctets(next, lastIn, lastOut);
            break;
        case Mode::ctr:
            zorvan::detail::copyOctets(iv, next.data());
            for (std::size_t start = 0; start < length; start += block) {
                zorvan::detail::incrementBigEndian(next);
            }
            break;
        case Mode::ecb:
            break;
        }
    });
}

} // namespace detail

/// runOnWholeBlocks: runs a mode through `wholeBlocks`, a library call that takes whole blocks
/// only and writes as many output octets into the span it is given, by zero-padding an input that
/// ends in a partial block; keeps as many output octets as were input and works out the next IV as
/// the generic modes do (CBC, CFB: the last ciphertext block, after a short block followed by the
/// unused keystream; OFB: the last keystream block; CTR: the counter after the last block used).
/// Errors are those `wholeBlocks` throws.
template <class WholeBlocks>
requires std::invocable<WholeBlocks, std::span<const std::uint8_t>, std::span<std::uint8_t>>
    ModeOutput runOnWholeBlocks(Mode mode, Direction direction, std::size_t block,
                                std::span<const std::uint8_t> iv,
                                std::span<const std::uint8_t> input, WholeBlocks wholeBlocks) {
    // Whole blocks go to the library as they are: on single blocks (the Monte Carlo tests make
    // 48 million such calls) a copy per call costs a good part of what the cipher does.
    std::vector<std::uint8_t> padded;
    // A single block, the commonest input, is told apart without a division.
    if (input.size() != block && input.size() % block != 0) {
        padded.assign(input.begin(), input.end());
        padded.resize((input.size() + block - 1) / block * block);
    }
    const auto blocks = padded.empty() ? input : std::span<const std::uint8_t>(padded);
    // Built in place: on single blocks every copy of the result shows in the run time.
    const auto writeBlocks = [&](std::span<std::uint8_t> octets) { wholeBlocks(blocks, octets); };
    ModeOutput result{Bytes::create(blocks.size(), writeBlocks), {}};
    result.nextIv =
        detail::nextIvAfterPadding(mode, direction, iv, input.size(), blocks, result.output.view());
    if (!padded.empty()) {
        result.output = result.output.take(input.size());
    }
    return result;
}

/// BlockSchedule: a CipherSchedule that also runs the library's cipher on exactly one block
/// (runBlock writes the output block into the span it is given; it throws when the library
/// fails). CipherKey runs single-block ECB and CBC through it: the Monte Carlo tests make
/// millions of such calls, and a mode call's padding and next-IV work cost about what the
/// library's block does.
template <class S>
concept BlockSchedule = requires(const S& schedule, Direction direction,
                                 std::span<const std::uint8_t> input,
                                 std::span<std::uint8_t> output) {
    schedule.runBlock(direction, input, output);
};

/// XtsSchedule: a schedule whose library also runs XTS on one data unit, its own key the data
/// key and another schedule's the tweak key: runXts(tweakKey, direction, tweak, dataUnit) gives
/// the output, and throws when the library fails or refuses the input.
template <class S>
concept XtsSchedule = requires(const S& schedule, Direction direction,
                               std::span<const std::uint8_t> octets) {
    { schedule.runXts(schedule, direction, octets, octets) } -> std::same_as<Bytes>;
};

/// CmacSchedule: a schedule whose library also computes CMAC: runCmac(message) gives the full
/// tag of the chunked message, and throws when the library fails.
template <class S>
concept CmacSchedule = requires(const S& schedule, const LazyBytes& message) {
    { schedule.runCmac(message) } -> std::same_as<Bytes>;
};

/// NativeXts, NativeCmac: traits of a cipher whose backend offers its library's XTS or CMAC:
/// they say so (`static constexpr bool nativeXts = true;`, `nativeCmac`) over a schedule that
/// runs it.
template <class T>
concept NativeXts = XtsSchedule<typename T::Schedule> && requires {
    requires T::nativeXts;
};
template <class T>
concept NativeCmac = CmacSchedule<typename T::Schedule> && requires {
    requires T::nativeCmac;
};

/// CipherKey: a key of the cipher that Traits describes, satisfying zorvan::BlockCipher. Every
/// mode the traits call native is a member, so the free mode functions use the library's
/// mode instead of the generic one; so are XTS and CMAC where the traits call them native. ECB and
/// CBC throw std::invalid_argument on input that is not a whole number of blocks, as the generic
/// modes do; library failures throw too.
template <CipherTraits Traits> class CipherKey {
public:
    /// Iv: the key type's IV, one block.
    using Iv = IV<CipherKey>;
    /// IvResult: what an IV mode returns: the output and the IV to continue from.
    using IvResult = std::pair<Bytes, Iv>;

    /// blockSize: the block size in bits.
    static constexpr std::size_t blockSize() { return Traits::blockOctets * 8; }
    /// keyLength: the key length in bits, as the traits give it.
    static constexpr std::size_t keyLength() { return Traits::keyBits; }

    /// buildKey: a key from exactly the octets the cipher accepts; nothing otherwise.
    static std::optional<CipherKey> buildKey(const Bytes& key) {
        const auto selection = Traits::select(key.size());
        if (!selection) {
            return std::nullopt;
        }
        return CipherKey(Schedule(*selection, key.view()));
    }

    /// encryptBlock, decryptBlock, ecb, unEcb: the library's ECB over whole blocks.
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const { return ecb(blocks); }
    /// decryptBlock: the library's ECB decryption of whole blocks (unEcb).
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const { return unEcb(blocks); }

    /// ecb: the library's ECB encryption; throws std::invalid_argument on a partial block.
    [[nodiscard]] Bytes ecb(const Bytes& data) const {
        return electronic(Direction::encrypt, data);
    }
    /// unEcb: the library's ECB decryption; throws std::invalid_argument on a partial block.
    [[nodiscard]] Bytes unEcb(const Bytes& data) const {
        return electronic(Direction::decrypt, data);
    }

    /// cbc, unCbc ... ctr, unCtr: the library's modes, each present only where it is native;
    /// the IV returned is the one the generic mode would leave.
    IvResult cbc(const Iv& iv, const Bytes& data) const requires(Traits::native(Mode::cbc)) {
        return chained(Mode::cbc, Direction::encrypt, iv, data);
    }
    /// unCbc: the library's CBC decryption; throws std::invalid_argument on a partial block.
    IvResult unCbc(const Iv& iv, const Bytes& data) const requires(Traits::native(Mode::cbc)) {
        return chained(Mode::cbc, Direction::decrypt, iv, data);
    }
    /// cfb: the library's CFB-128 encryption; a short last block is accepted.
    IvResult cfb(const Iv& iv, const Bytes& data) const requires(Traits::native(Mode::cfb)) {
        return chained(Mode::cfb, Direction::encrypt, iv, data);
    }
    /// unCfb: the library's CFB-128 decryption.
    IvResult unCfb(const Iv& iv, const Bytes& data) const requires(Traits::native(Mode::cfb)) {
        return chained(Mode::cfb, Direction::decrypt, iv, data);
    }
    /// ofb: the library's OFB; a short last block is accepted.
    IvResult ofb(const Iv& iv, const Bytes& data) const requires(Traits::native(Mode::ofb)) {
        return chained(Mode::ofb, Direction::encrypt, iv, data);
    }
    /// unOfb: the library's OFB decryption (the same keystream as ofb).
    IvResult unOfb(const Iv& iv, const Bytes& data) const requires(Traits::native(Mode::ofb)) {
        return chained(Mode::ofb, Direction::decrypt, iv, data);
    }
    /// ctr: the library's CTR, the whole block a big-endian counter; a short last block is
    /// accepted.
    IvResult ctr(const Iv& iv, const Bytes& data) const requires(Traits::native(Mode::ctr)) {
        return chained(Mode::ctr, Direction::encrypt, iv, data);
    }
    /// unCtr: the library's CTR decryption (the same keystream as ctr).
    IvResult unCtr(const Iv& iv, const Bytes& data) const requires(Traits::native(Mode::ctr)) {
        return chained(Mode::ctr, Direction::decrypt, iv, data);
    }

    /// xts, unXts: the library's XTS of one data unit under this key and tweakKey, present
    /// where the traits call it native.
    [[nodiscard]] Bytes xts(const CipherKey& tweakKey, const Iv& tweak,
                            const Bytes& dataUnit) const requires NativeXts<Traits> {
        return schedule_.runXts(tweakKey.schedule_, Direction::encrypt, tweak.encode().view(),
                                dataUnit.view());
    }
    /// unXts: the library's XTS decryption of one data unit, as xts.
    [[nodiscard]] Bytes unXts(const CipherKey& tweakKey, const Iv& tweak,
                              const Bytes& dataUnit) const requires NativeXts<Traits> {
        return schedule_.runXts(tweakKey.schedule_, Direction::decrypt, tweak.encode().view(),
                                dataUnit.view());
    }

    /// cmac: the library's CMAC of a chunked message, present where the traits call it native.
    [[nodiscard]] Bytes cmac(const LazyBytes& message) const requires NativeCmac<Traits> {
        return schedule_.runCmac(message);
    }

private:
    using Schedule = typename Traits::Schedule;

    explicit CipherKey(Schedule schedule) : schedule_(std::move(schedule)) {}

    static void requireWholeBlocks(const char* mode, const Bytes& data) {
        if (data.size() % Traits::blockOctets != 0) {
            zorvan::detail::throwPartialBlock(mode, data.size(), Traits::blockOctets);
        }
    }

    Bytes electronic(Direction direction, const Bytes& data) const {
        if constexpr (BlockSchedule<Schedule>) {
            if (data.size() == Traits::blockOctets) {
                return oneBlock(direction, nullptr, data);
            }
        }
        requireWholeBlocks("ECB", data);
        return schedule_.run(Mode::ecb, direction, {}, data.view()).output;
    }

    IvResult chained(Mode mode, Direction direction, const Iv& iv, const Bytes& data) const {
        if constexpr (BlockSchedule<Schedule>) {
            if (mode == Mode::cbc && data.size() == Traits::blockOctets) {
                Bytes output = oneBlock(direction, &iv.encode(), data);
                // The next IV is the ciphertext block.
                Iv next = *Iv::get(direction == Direction::encrypt ? output : data);
                return {std::move(output), std::move(next)};
            }
        }
        if (mode == Mode::cbc) {
            requireWholeBlocks("CBC", data);
        }
        ModeOutput result = schedule_.run(mode, direction, iv.encode().view(), data.view());
        return {std::move(result.output), *Iv::get(std::move(result.nextIv))};
    }

    // One block of ECB, or of CBC under cbcIv, through the library's own block call. The
    // spans are taken before, so that the writer reads them from itself, not through the
    // caller's values.
    Bytes oneBlock(Direction direction, const Bytes* cbcIv,
                   const Bytes& data) const requires BlockSchedule<Schedule> {
        const std::span<const std::uint8_t> input = data.view();
        if (cbcIv == nullptr) {
            return Bytes::create(Traits::blockOctets, [this, direction, input](auto output) {
                schedule_.runBlock(direction, input, output);
            });
        }
        const std::span<const std::uint8_t> iv = cbcIv->view();
        if (direction == Direction::decrypt) {
            return Bytes::create(Traits::blockOctets, [this, input, iv](auto output) {
                schedule_.runBlock(Direction::decrypt, input, output);
                zorvan::detail::xorOctets(output, output, iv);
            });
        }
        return Bytes::create(Traits::blockOctets, [this, input, iv](auto output) {
            std::array<std::uint8_t, Traits::blockOctets> whitened;
            zorvan::detail::xorOctets(whitened, input, iv);
            schedule_.runBlock(Direction::encrypt, whitened, output);
        });
    }

    Schedule schedule_;
};

} // namespace zorvan::backends
