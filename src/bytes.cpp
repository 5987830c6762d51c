#include <zorvan/bytes.hpp>

#include <algorithm>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace zorvan {

namespace {

constexpr std::size_t shownInFull = 64;
constexpr std::size_t shownAtEachEnd = 24;

void writeHex(std::ostream& out, std::span<const std::uint8_t> octets) {
    static constexpr char digits[] = "0123456789abcdef";
    for (std::uint8_t octet : octets) {
        out << digits[octet >> 4] << digits[octet & 0x0f];
    }
}

} // namespace

std::span<std::uint8_t> Bytes::allocateOnHeap(std::size_t size) {
    auto buffer = std::make_shared_for_overwrite<std::uint8_t[]>(size);
    const std::span<std::uint8_t> octets(buffer.get(), size);
    std::destroy_at(&inline_);
    std::construct_at(&heap_, std::move(buffer));
    size_ = size;
    return octets;
}

void Bytes::shareHeapOf(const Bytes& other) noexcept {
    std::construct_at(&heap_, other.heap_);
}

void Bytes::takeHeapOf(Bytes& other) noexcept {
    std::construct_at(&heap_, std::move(other.heap_));
    other.clear();
}

void Bytes::releaseHeap() noexcept {
    std::destroy_at(&heap_);
}

Bytes Bytes::fromText(std::string_view text) {
    return create(text.size(), [text](std::span<std::uint8_t> octets) {
        std::ranges::transform(text, octets.begin(),
                               [](char c) { return static_cast<std::uint8_t>(c); });
    });
}

Bytes Bytes::concat(const Bytes& tail) const {
    return create(size_ + tail.size_, [&](std::span<std::uint8_t> octets) {
        detail::copyOctets(tail.view(), detail::copyOctets(view(), octets.data()));
    });
}

bool operator==(const Bytes& a, const Bytes& b) noexcept {
    return std::ranges::equal(a.view(), b.view());
}

std::ostream& operator<<(std::ostream& out, const Bytes& bytes) {
    if (bytes.size() <= shownInFull) {
        writeHex(out, bytes.view());
        return out;
    }
    writeHex(out, bytes.view().first(shownAtEachEnd));
    out << "...";
    writeHex(out, bytes.view().last(shownAtEachEnd));
    return out << " (" << bytes.size() << " octets)";
}

LazyBytes LazyBytes::fromChunks(std::vector<Bytes> chunks) {
    std::erase_if(chunks, [](const Bytes& chunk) { return chunk.empty(); });
    LazyBytes result;
    result.chunks_ = std::move(chunks);
    return result;
}

LazyBytes LazyBytes::chunksOf(const Bytes& bytes, std::size_t chunkSize) {
    if (chunkSize == 0) {
        throw std::invalid_argument("LazyBytes::chunksOf needs chunks of at least one octet");
    }
    // Every chunk holds at least one octet, so none needs fromChunks' filter.
    LazyBytes result;
    result.chunks_.reserve((bytes.size() + chunkSize - 1) / chunkSize);
    for (std::size_t start = 0; start < bytes.size(); start += chunkSize) {
        result.chunks_.emplace_back(bytes, start, std::min(chunkSize, bytes.size() - start));
    }
    return result;
}

Bytes LazyBytes::toStrict() const {
    if (chunks_.size() == 1) {
        return chunks_.front();
    }
    return Bytes::create(static_cast<std::size_t>(length()),
                         [this](std::span<std::uint8_t> octets) {
                             std::uint8_t* next = octets.data();
                             for (const Bytes& chunk : chunks_) {
                                 next = detail::copyOctets(chunk.view(), next);
                             }
                         });
}

std::uint64_t LazyBytes::length() const noexcept {
    std::uint64_t total = 0;
    for (const Bytes& chunk : chunks_) {
        total += chunk.size();
    }
    return total;
}

LazyBytes LazyBytes::take(std::uint64_t n) const {
    std::vector<Bytes> kept;
    for (const Bytes& chunk : chunks_) {
        if (n == 0) {
            break;
        }
        if (chunk.size() <= n) {
            kept.push_back(chunk);
            n -= chunk.size();
        } else {
            kept.push_back(chunk.take(static_cast<std::size_t>(n)));
            n = 0;
        }
    }
    return fromChunks(std::move(kept));
}

bool operator==(const LazyBytes& a, const LazyBytes& b) {
    return a.length() == b.length() && a.toStrict() == b.toStrict();
}

std::ostream& operator<<(std::ostream& out, const LazyBytes& bytes) {
    out << "[" << bytes.toChunks().size() << " chunks:";
    for (const Bytes& chunk : bytes.toChunks()) {
        out << ' ' << chunk.size();
    }
    return out << " octets] " << bytes.toStrict();
}

} // namespace zorvan
