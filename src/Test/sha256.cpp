#include "sha256.hpp"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <utility>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZORVAN_SHA256_X86 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace Test::Sha256 {

namespace {

constexpr State initialState{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

// Aligned so that the accelerated rounds load four at a time.
alignas(16) constexpr std::array<std::uint32_t, 64> roundConstants{
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

std::uint32_t loadBigEndian(const std::uint8_t* octets) noexcept {
    return std::uint32_t{octets[0]} << 24 | std::uint32_t{octets[1]} << 16 |
           std::uint32_t{octets[2]} << 8 | std::uint32_t{octets[3]};
}

void storeBigEndian(std::uint32_t word, std::uint8_t* octets) noexcept {
    octets[0] = static_cast<std::uint8_t>(word >> 24);
    octets[1] = static_cast<std::uint8_t>(word >> 16);
    octets[2] = static_cast<std::uint8_t>(word >> 8);
    octets[3] = static_cast<std::uint8_t>(word);
}

// One round of the portable compression. Instead of shifting the eight working variables
// along, each round finds a..h at indices rotated by its number, so that, every index known
// when unrolled, the compiler keeps them all in registers. The message schedule is a ring of
// the last sixteen words.
template <std::size_t Round>
[[gnu::always_inline]] inline void portableRound(State& working,
                                                 std::array<std::uint32_t, 16>& schedule) noexcept {
    constexpr auto at = [](std::size_t variable) { return (variable + 8 - Round % 8) % 8; };
    constexpr auto word = [](std::size_t back) { return (Round + 16 - back) % 16; };
    if constexpr (Round >= 16) {
        const std::uint32_t twoBack = schedule[word(2)];
        const std::uint32_t fifteenBack = schedule[word(15)];
        schedule[Round % 16] +=
            (std::rotr(twoBack, 17) ^ std::rotr(twoBack, 19) ^ twoBack >> 10) + schedule[word(7)] +
            (std::rotr(fifteenBack, 7) ^ std::rotr(fifteenBack, 18) ^ fifteenBack >> 3);
    }
    const std::uint32_t a = working[at(0)];
    const std::uint32_t e = working[at(4)];
    // Ch and Maj in their forms of fewest operations.
    const std::uint32_t choice = working[at(6)] ^ (e & (working[at(5)] ^ working[at(6)]));
    const std::uint32_t majority =
        working[at(1)] ^ ((a ^ working[at(1)]) & (working[at(1)] ^ working[at(2)]));
    const std::uint32_t first = working[at(7)] +
                                (std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25)) + choice +
                                roundConstants[Round] + schedule[Round % 16];
    const std::uint32_t second = (std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22)) + majority;
    working[at(3)] += first;
    working[at(7)] = first + second;
}

template <std::size_t... Rounds>
[[gnu::always_inline]] inline void portableRounds(State& working,
                                                  std::array<std::uint32_t, 16>& schedule,
                                                  std::index_sequence<Rounds...>) noexcept {
    (portableRound<Rounds>(working, schedule), ...);
}

void compressPortably(State& state, std::span<const std::uint8_t> blocks) noexcept {
    for (std::size_t offset = 0; offset < blocks.size(); offset += blockLength) {
        std::array<std::uint32_t, 16> schedule;
        for (std::size_t index = 0; index < schedule.size(); ++index) {
            schedule[index] = loadBigEndian(blocks.data() + offset + index * 4);
        }
        State working = state;
        portableRounds(working, schedule, std::make_index_sequence<64>());
        for (std::size_t index = 0; index < state.size(); ++index) {
            state[index] += working[index];
        }
    }
}

#ifdef ZORVAN_SHA256_X86
// The x86 SHA extensions run the rounds on the state held as the lanes ABEF and CDGH, and
// derive the message schedule four words at a time. Only these functions are compiled for
// those instructions, so that the rest of the build needs no -m flag; they are called only
// after CPUID has reported them.
#define ZORVAN_SHA_EXTENSIONS gnu::target("sha,sse4.1")

// Rounds 4 * Group to 4 * Group + 3. The ring `words` holds the schedule's last four groups of
// four words; between the rounds this step completes the next group (SHA256MSG2) and starts
// the one three ahead (SHA256MSG1).
template <std::size_t Group>
[[gnu::always_inline, ZORVAN_SHA_EXTENSIONS]] inline void
acceleratedRounds(__m128i& abef, __m128i& cdgh, __m128i (&words)[4], const std::uint8_t* block,
                  __m128i byteOrder) noexcept {
    __m128i& current = words[Group % 4];
    if constexpr (Group < 4) {
        current = _mm_shuffle_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + Group * 16)), byteOrder);
    }
    const __m128i wordsAndConstants = _mm_add_epi32(
        current, _mm_load_si128(reinterpret_cast<const __m128i*>(&roundConstants[Group * 4])));
    // Two rounds per instruction: after two, the new C, D, G, H are the old A, B, E, F, so the
    // two registers take turns.
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wordsAndConstants);
    if constexpr (Group >= 3 && Group < 15) {
        __m128i& next = words[(Group + 1) % 4];
        next = _mm_add_epi32(next, _mm_alignr_epi8(current, words[(Group + 3) % 4], 4));
        next = _mm_sha256msg2_epu32(next, current);
    }
    abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(wordsAndConstants, 0x0E));
    if constexpr (Group >= 1 && Group < 13) {
        __m128i& previous = words[(Group + 3) % 4];
        previous = _mm_sha256msg1_epu32(previous, current);
    }
}

template <std::size_t... Groups>
[[gnu::always_inline, ZORVAN_SHA_EXTENSIONS]] inline void
acceleratedBlock(__m128i& abef, __m128i& cdgh, const std::uint8_t* block, __m128i byteOrder,
                 std::index_sequence<Groups...>) noexcept {
    // A plain array: GCC warns that std::array would drop the vector type's attributes.
    __m128i words[4];
    (acceleratedRounds<Groups>(abef, cdgh, words, block, byteOrder), ...);
}

[[ZORVAN_SHA_EXTENSIONS]] void
compressWithShaExtensions(State& state, std::span<const std::uint8_t> blocks) noexcept {
    const __m128i byteOrder = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    const __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    const __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
    for (std::size_t offset = 0; offset < blocks.size(); offset += blockLength) {
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        acceleratedBlock(abef, cdgh, blocks.data() + offset, byteOrder,
                         std::make_index_sequence<16>());
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}
#undef ZORVAN_SHA_EXTENSIONS

bool processorHasShaExtensions() noexcept {
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
        return false;
    }
    const bool hasVectorShuffles = (ecx & bit_SSSE3) != 0 && (ecx & bit_SSE4_1) != 0;
    if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0) {
        return false;
    }
    return hasVectorShuffles && (ebx & bit_SHA) != 0;
}
#endif

// Ordered so that the ones a processor runs are always a prefix.
constexpr std::array allImplementations{Implementation::portable, Implementation::x86ShaExtensions};

std::size_t countAvailableImplementations() noexcept {
#ifdef ZORVAN_SHA256_X86
    if (processorHasShaExtensions()) {
        return 2;
    }
#endif
    return 1;
}

CompressBlocks compressionOf([[maybe_unused]] Implementation implementation) noexcept {
#ifdef ZORVAN_SHA256_X86
    if (implementation == Implementation::x86ShaExtensions) {
        return compressWithShaExtensions;
    }
#endif
    return compressPortably;
}

// CPUID is slow under virtualisation, so the processor is asked once.
CompressBlocks fastestCompression() noexcept {
    static const CompressBlocks fastest = compressionOf(availableImplementations().back());
    return fastest;
}

} // namespace

std::string_view implementationName(Implementation implementation) noexcept {
    return implementation == Implementation::portable ? "portable" : "sha_ni";
}

std::span<const Implementation> availableImplementations() noexcept {
    static const std::size_t available = countAvailableImplementations();
    return std::span(allImplementations).first(available);
}

Hasher::Hasher() noexcept : compressBlocks_(fastestCompression()) {
    restart();
}

Hasher::Hasher(Implementation implementation) : compressBlocks_(compressionOf(implementation)) {
    if (std::ranges::find(availableImplementations(), implementation) ==
        availableImplementations().end()) {
        throw std::invalid_argument("the " + std::string(implementationName(implementation)) +
                                    " SHA-256 does not run on this processor");
    }
    restart();
}

void Hasher::restart() noexcept {
    state_ = initialState;
    pendingLength_ = 0;
    messageLength_ = 0;
}

void Hasher::update(std::span<const std::uint8_t> octets) noexcept {
    messageLength_ += octets.size();
    if (pendingLength_ > 0) {
        const std::size_t taken = std::min(octets.size(), blockLength - pendingLength_);
        std::copy_n(octets.begin(), taken, pending_.begin() + pendingLength_);
        pendingLength_ += taken;
        octets = octets.subspan(taken);
        if (pendingLength_ < blockLength) {
            return;
        }
        compressBlocks_(state_, pending_);
        pendingLength_ = 0;
    }
    const std::size_t wholeBlocks = octets.size() - octets.size() % blockLength;
    if (wholeBlocks > 0) {
        compressBlocks_(state_, octets.first(wholeBlocks));
    }
    const std::span<const std::uint8_t> rest = octets.subspan(wholeBlocks);
    std::ranges::copy(rest, pending_.begin());
    pendingLength_ = rest.size();
}

Digest Hasher::finish() noexcept {
    // The bit length modulo 2^64, in the last eight octets of a block: 0x80 and zeros (at
    // least the 0x80, at most a block of them) come between.
    const std::uint64_t bitLength = messageLength_ * 8;
    constexpr std::size_t lengthField = 8;
    std::array<std::uint8_t, blockLength + lengthField> padding{0x80};
    const std::size_t lengthOffset =
        (2 * blockLength - lengthField - 1 - pendingLength_) % blockLength + 1;
    storeBigEndian(static_cast<std::uint32_t>(bitLength >> 32), padding.data() + lengthOffset);
    storeBigEndian(static_cast<std::uint32_t>(bitLength), padding.data() + lengthOffset + 4);
    update(std::span(padding).first(lengthOffset + lengthField));
    Digest result;
    for (std::size_t index = 0; index < state_.size(); ++index) {
        storeBigEndian(state_[index], result.data() + index * 4);
    }
    restart();
    return result;
}

Digest digest(std::string_view octets) noexcept {
    Hasher hasher;
    hasher.update({reinterpret_cast<const std::uint8_t*>(octets.data()), octets.size()});
    return hasher.finish();
}

std::string toHex(const Digest& digest) {
    constexpr std::string_view digits = "0123456789abcdef";
    std::string hex;
    hex.reserve(digest.size() * 2);
    for (const std::uint8_t octet : digest) {
        hex += digits[octet >> 4];
        hex += digits[octet & 0x0F];
    }
    return hex;
}

} // namespace Test::Sha256
