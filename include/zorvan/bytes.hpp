#pragma once
// Bytes and LazyBytes: the octet strings every primitive consumes and produces.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvan {

/// Bytes: an immutable, contiguous octet string. Equal when lengths and octets are equal;
/// printed as lower-case hex, abbreviated with its length when long.
class Bytes {
public:
    using value_type = std::uint8_t;
    using const_iterator = std::vector<std::uint8_t>::const_iterator;

    Bytes() = default;
    explicit Bytes(std::vector<std::uint8_t> octets) noexcept : octets_(std::move(octets)) {}
    explicit Bytes(std::span<const std::uint8_t> octets) : octets_(octets.begin(), octets.end()) {}
    Bytes(std::initializer_list<std::uint8_t> octets) : octets_(octets) {}

    /// fromText: the octets of a text, one per character (for ASCII vectors such as "abc").
    static Bytes fromText(std::string_view text);

    [[nodiscard]] std::size_t size() const noexcept { return octets_.size(); }
    [[nodiscard]] bool empty() const noexcept { return octets_.empty(); }
    [[nodiscard]] const std::uint8_t* data() const noexcept { return octets_.data(); }
    [[nodiscard]] const_iterator begin() const noexcept { return octets_.begin(); }
    [[nodiscard]] const_iterator end() const noexcept { return octets_.end(); }
    [[nodiscard]] std::uint8_t operator[](std::size_t index) const noexcept { return octets_[index]; }
    [[nodiscard]] std::span<const std::uint8_t> view() const noexcept { return octets_; }

    /// take: the first n octets (all of them when n is at least the length).
    [[nodiscard]] Bytes take(std::size_t n) const;
    /// drop: all but the first n octets (empty when n is at least the length).
    [[nodiscard]] Bytes drop(std::size_t n) const;
    /// concat: this string followed by another.
    [[nodiscard]] Bytes concat(const Bytes& tail) const;

    /// release: moves the octets out, leaving this value empty.
    [[nodiscard]] std::vector<std::uint8_t> release() && noexcept { return std::move(octets_); }

    friend bool operator==(const Bytes&, const Bytes&) = default;

private:
    std::vector<std::uint8_t> octets_;
};

/// operator<<: lower-case hex; values over 64 octets show their head, tail and length.
std::ostream& operator<<(std::ostream& out, const Bytes& bytes);

/// LazyBytes: an octet string held as an ordered list of non-empty chunks. Compared by
/// contents, so two values with different chunkings of the same octets are equal.
class LazyBytes {
public:
    LazyBytes() = default;

    /// fromChunks: the value made of these chunks in order; empty chunks are dropped.
    static LazyBytes fromChunks(std::vector<Bytes> chunks);
    /// chunksOf: a value cut into consecutive chunks of chunkSize octets, the last shorter.
    /// Throws std::invalid_argument for a chunk size of 0.
    static LazyBytes chunksOf(const Bytes& bytes, std::size_t chunkSize);

    [[nodiscard]] const std::vector<Bytes>& toChunks() const noexcept { return chunks_; }
    /// toStrict: the chunks concatenated into one Bytes.
    [[nodiscard]] Bytes toStrict() const;
    [[nodiscard]] std::uint64_t length() const noexcept;
    [[nodiscard]] bool empty() const noexcept { return chunks_.empty(); }
    /// take: the first n octets with chunk boundaries kept; the last chunk left is shortened.
    [[nodiscard]] LazyBytes take(std::uint64_t n) const;

    friend bool operator==(const LazyBytes& a, const LazyBytes& b);

private:
    std::vector<Bytes> chunks_;
};

/// operator<<: the chunk count and lengths, then the contents as Bytes prints them.
std::ostream& operator<<(std::ostream& out, const LazyBytes& bytes);

} // namespace zorvan
