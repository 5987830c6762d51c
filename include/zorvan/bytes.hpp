#pragma once
// Bytes and LazyBytes: the octet strings every primitive consumes and produces.

#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvan {

namespace detail {

// Copies the octets to target and gives the end of the copy. memcpy, not std::ranges::copy:
// over span iterators GCC 12 copies octet by octet.
inline std::uint8_t* copyOctets(std::span<const std::uint8_t> octets,
                                std::uint8_t* target) noexcept {
    if (!octets.empty()) {
        std::memcpy(target, octets.data(), octets.size());
    }
    return target + octets.size();
}

} // namespace detail

/// Bytes: an immutable, contiguous octet string. Equal when lengths and octets are equal;
/// printed as lower-case hex, abbreviated with its length when long.
///
/// Values of up to inlineCapacity octets (a block, an IV, a digest of up to 256 bits) live
/// inside the object, so making one costs no allocation; longer ones live in a heap buffer
/// that copies and slices share, so copying, take, drop and cutting into chunks cost none
/// either. Sharing is safe because no value is ever changed.
class Bytes {
public:
    /// value_type: an octet, as containers name their element.
    using value_type = std::uint8_t;
    /// const_iterator: a pointer to a const octet (Bytes is never changed in place).
    using const_iterator = const std::uint8_t*;

    /// inlineCapacity: the longest value, in octets, kept inside the object.
    static constexpr std::size_t inlineCapacity = 32;

    /// Bytes: the empty string.
    Bytes() noexcept : inline_{} {}
    /// Bytes: a copy of the octets. Throws std::bad_alloc.
    explicit Bytes(std::span<const std::uint8_t> octets) : Bytes() {
        detail::copyOctets(octets, allocate(octets.size()).data());
    }
    /// Bytes: the octets listed ({0x61, 0x62}). Throws std::bad_alloc.
    Bytes(std::initializer_list<std::uint8_t> octets)
        : Bytes(std::span<const std::uint8_t>(octets.begin(), octets.size())) {}
    /// The length octets of whole from offset on, as slice gives them; both must lie within
    /// whole. For building slices in place (a vector's emplace_back, say).
    [[gnu::always_inline]] Bytes(const Bytes& whole, std::size_t offset, std::size_t length)
        : size_(length) {
        if (onHeap()) {
            std::construct_at(&heap_, whole.heap_, whole.heap_.get() + offset);
        } else {
            std::construct_at(&inline_);
            detail::copyOctets(whole.view().subspan(offset, length), inline_.data());
        }
    }

    // The inline paths are kept small and always inlined, since blocks and IVs are copied on
    // every step of a cipher's loop (a file instantiating many suites exhausts the compiler's
    // inlining budget before it reaches them); the heap paths, which touch a shared count
    // anyway, are out of line.
    /// Bytes: a copy that shares a long value's buffer instead of copying it. Never throws.
    [[gnu::always_inline]] Bytes(const Bytes& other) noexcept : size_(other.size_) {
        if (onHeap()) {
            shareHeapOf(other);
        } else {
            std::construct_at(&inline_, other.inline_);
        }
    }
    /// A moved-from value is empty.
    [[gnu::always_inline]] Bytes(Bytes&& other) noexcept : size_(other.size_) {
        if (onHeap()) {
            takeHeapOf(other);
        } else {
            std::construct_at(&inline_, other.inline_);
            other.size_ = 0;
        }
    }
    // Copying and moving never throw, so assignment can end this value and build a new one.
    /// operator=: as the copy constructor. Never throws.
    [[gnu::always_inline]] Bytes& operator=(const Bytes& other) noexcept {
        if (this != &other) {
            std::destroy_at(this);
            std::construct_at(this, other);
        }
        return *this;
    }
    /// operator=: as the move constructor; the moved-from value is empty. Never throws.
    [[gnu::always_inline]] Bytes& operator=(Bytes&& other) noexcept {
        if (this != &other) {
            std::destroy_at(this);
            std::construct_at(this, std::move(other));
        }
        return *this;
    }
    [[gnu::always_inline]] ~Bytes() {
        if (onHeap()) {
            releaseHeap();
        }
    }

    /// create: a value of size octets that write, given them as a std::span<std::uint8_t>,
    /// fills in place: how a producer avoids a buffer of its own and the copy out of it.
    template <std::invocable<std::span<std::uint8_t>> Write>
    static Bytes create(std::size_t size, Write&& write) {
        Bytes bytes;
        std::forward<Write>(write)(bytes.allocate(size));
        return bytes;
    }

    /// fromText: the octets of a text, one per character (for ASCII vectors such as "abc").
    static Bytes fromText(std::string_view text);

    /// size: the length in octets.
    [[nodiscard]] std::size_t size() const noexcept { return size_; }
    /// empty: whether the length is 0.
    [[nodiscard]] bool empty() const noexcept { return size_ == 0; }
    /// data: the first octet; valid while this value or a copy sharing its buffer lives.
    [[nodiscard]] const std::uint8_t* data() const noexcept {
        return onHeap() ? heap_.get() : inline_.data();
    }
    /// begin: the first octet, for range-for and the standard algorithms.
    [[nodiscard]] const_iterator begin() const noexcept { return data(); }
    /// end: one past the last octet.
    [[nodiscard]] const_iterator end() const noexcept { return data() + size_; }
    /// operator[]: the octet at index, which must be below size(); unchecked.
    [[nodiscard]] std::uint8_t operator[](std::size_t index) const noexcept {
        return data()[index];
    }
    /// view: the octets as a span, for APIs that take one; valid as data() is.
    [[nodiscard]] std::span<const std::uint8_t> view() const noexcept { return {data(), size_}; }

    /// take: the first n octets (all of them when n is at least the length).
    [[nodiscard]] Bytes take(std::size_t n) const { return slice(0, std::min(n, size_)); }
    /// drop: all but the first n octets (empty when n is at least the length).
    [[nodiscard]] Bytes drop(std::size_t n) const {
        const std::size_t dropped = std::min(n, size_);
        return slice(dropped, size_ - dropped);
    }
    /// slice: length octets from offset on; both must lie within the value.
    [[nodiscard]] Bytes slice(std::size_t offset, std::size_t length) const {
        return Bytes(*this, offset, length);
    }
    /// concat: this string followed by another.
    [[nodiscard]] Bytes concat(const Bytes& tail) const;

    /// operator==: the same length and octets.
    friend bool operator==(const Bytes& a, const Bytes& b) noexcept;

private:
    [[nodiscard]] bool onHeap() const noexcept { return size_ > inlineCapacity; }

    // Makes this empty value size octets long and gives them for writing.
    std::span<std::uint8_t> allocate(std::size_t size) {
        if (size <= inlineCapacity) {
            size_ = size;
            return std::span(inline_).first(size);
        }
        return allocateOnHeap(size);
    }
    std::span<std::uint8_t> allocateOnHeap(std::size_t size);
    void shareHeapOf(const Bytes& other) noexcept;
    void takeHeapOf(Bytes& other) noexcept;
    void releaseHeap() noexcept;

    // Ends a heap value, leaving this one empty.
    void clear() noexcept {
        std::destroy_at(&heap_);
        std::construct_at(&inline_);
        size_ = 0;
    }

    std::size_t size_ = 0;
    // inline_ is the live member up to inlineCapacity octets, heap_ beyond: a pointer to the
    // first octet that shares ownership of the whole buffer.
    union {
        std::array<std::uint8_t, inlineCapacity> inline_;
        std::shared_ptr<const std::uint8_t[]> heap_;
    };
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

    /// toChunks: the chunks in order, none empty (none at all for the empty string).
    [[nodiscard]] const std::vector<Bytes>& toChunks() const noexcept { return chunks_; }
    /// toStrict: the chunks concatenated into one Bytes.
    [[nodiscard]] Bytes toStrict() const;
    /// length: the total length in octets; 64 bits wide, since chunks that share one buffer can
    /// add up to more than memory holds (the long messages of the hash sweeps).
    [[nodiscard]] std::uint64_t length() const noexcept;
    /// empty: whether there are no octets.
    [[nodiscard]] bool empty() const noexcept { return chunks_.empty(); }
    /// take: the first n octets with chunk boundaries kept; the last chunk left is shortened.
    [[nodiscard]] LazyBytes take(std::uint64_t n) const;

    /// operator==: the same octets, whatever the chunking.
    friend bool operator==(const LazyBytes& a, const LazyBytes& b);

private:
    std::vector<Bytes> chunks_;
};

/// operator<<: the chunk count and lengths, then the contents as Bytes prints them.
std::ostream& operator<<(std::ostream& out, const LazyBytes& bytes);

} // namespace zorvan
