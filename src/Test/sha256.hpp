#pragma once
// SHA-256 (FIPS 180-4) of the library's own, for checking the installed vector files against
// their manifest without depending on a crypto library. Not installed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Test::Sha256 {

inline constexpr std::size_t blockLength = 64;
inline constexpr std::size_t digestLength = 32;

using Digest = std::array<std::uint8_t, digestLength>;
using State = std::array<std::uint32_t, 8>;
/// CompressBlocks: the compression function applied to each whole block in turn.
using CompressBlocks = void (*)(State& state, std::span<const std::uint8_t> blocks) noexcept;

/// Implementation: the ways this build can run the compression function. The x86 SHA
/// extensions are used only where the processor reports them.
enum class Implementation { portable, x86ShaExtensions };

/// implementationName: "portable" or "sha_ni", for test and benchmark names. Never fails.
std::string_view implementationName(Implementation implementation) noexcept;

/// availableImplementations: the implementations this build and processor run, the portable
/// one first and the fastest last. Never fails.
std::span<const Implementation> availableImplementations() noexcept;

/// Hasher: an incremental SHA-256 of the octets given to update, in order.
class Hasher {
public:
    /// Hasher: a hasher using the fastest available implementation. Never fails.
    Hasher() noexcept;
    /// Hasher: a hasher using the given implementation; throws std::invalid_argument when it
    /// is not among availableImplementations(), as its instructions would fault here.
    explicit Hasher(Implementation implementation);

    /// update: appends the octets to the message. Never fails.
    void update(std::span<const std::uint8_t> octets) noexcept;

    /// finish: the digest of the message so far; the hasher then starts a new, empty message.
    /// Never fails.
    [[nodiscard]] Digest finish() noexcept;

private:
    void restart() noexcept;

    CompressBlocks compressBlocks_;
    State state_{};
    std::array<std::uint8_t, blockLength> pending_{};
    std::size_t pendingLength_ = 0;
    std::uint64_t messageLength_ = 0;
};

/// digest: the SHA-256 of the octets of the text, with the fastest available implementation.
/// Never fails.
Digest digest(std::string_view octets) noexcept;

/// toHex: the digest as 64 lower-case hex digits. Never fails beyond std::bad_alloc.
std::string toHex(const Digest& digest);

} // namespace Test::Sha256
