#include <zorvan/bytes.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <span>
#include <sstream>
#include <vector>

namespace {

using zorvan::Bytes;
using zorvan::LazyBytes;

std::string printed(const auto& value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

TEST(LazyBytes, FromChunksDropsEmptyChunksAndComparesByContents) {
    const LazyBytes a = LazyBytes::fromChunks({Bytes{1, 2}, Bytes{}, Bytes{3}});
    const LazyBytes b = LazyBytes::fromChunks({Bytes{1}, Bytes{2, 3}});
    EXPECT_EQ(a.toChunks().size(), 2u);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.length(), 3u);
    EXPECT_NE(a, LazyBytes::fromChunks({Bytes{1, 2}}));
    EXPECT_TRUE(LazyBytes::fromChunks({Bytes{}, Bytes{}}).empty());
}

TEST(LazyBytes, TakeKeepsChunkBoundariesAndShortensTheLastChunk) {
    const LazyBytes message = LazyBytes::fromChunks({Bytes(std::vector<std::uint8_t>(10, 1)),
                                                     Bytes(std::vector<std::uint8_t>(20, 2)),
                                                     Bytes(std::vector<std::uint8_t>(7, 3))});
    const LazyBytes cut = message.take(32);
    ASSERT_EQ(cut.toChunks().size(), 3u);
    EXPECT_EQ(cut.toChunks()[0].size(), 10u);
    EXPECT_EQ(cut.toChunks()[1].size(), 20u);
    EXPECT_EQ(cut.toChunks()[2], (Bytes{3, 3}));
    EXPECT_TRUE(message.take(0).empty());
    EXPECT_EQ(message.take(100), message);
}

TEST(LazyBytes, ChunksOfCutsConsecutiveChunksWithAShortLastOne) {
    const Bytes message(std::vector<std::uint8_t>(38, 7));
    const LazyBytes chunked = LazyBytes::chunksOf(message, 37);
    ASSERT_EQ(chunked.toChunks().size(), 2u);
    EXPECT_EQ(chunked.toChunks()[1].size(), 1u);
    EXPECT_EQ(chunked.toStrict(), message);
    EXPECT_TRUE(LazyBytes::chunksOf(Bytes{}, 37).toChunks().empty());
    EXPECT_THROW(LazyBytes::chunksOf(message, 0), std::invalid_argument);
}

std::vector<std::uint8_t> countingOctets(std::size_t length) {
    std::vector<std::uint8_t> octets(length);
    for (std::size_t i = 0; i < length; ++i) {
        octets[i] = static_cast<std::uint8_t>(i);
    }
    return octets;
}

// Short values live in the object and long ones in a shared buffer: every operation must give
// the same octets on both sides of that line, and a copy or slice must outlive its source.
TEST(Bytes, ValuesAroundTheInlineCapacityKeepTheirOctetsThroughEveryOperation) {
    for (const std::size_t length :
         {std::size_t{0}, Bytes::inlineCapacity - 1, Bytes::inlineCapacity,
          Bytes::inlineCapacity + 1, std::size_t{100}}) {
        const std::vector<std::uint8_t> octets = countingOctets(length);
        std::optional<Bytes> source(Bytes{octets});
        const Bytes copy = *source;
        const Bytes head = source->take(length / 2 + 30);
        const Bytes tail = source->drop(3);
        Bytes moved = std::move(*source);
        EXPECT_TRUE(source->empty()) << "a moved-from value is empty";
        source.reset();

        EXPECT_EQ(copy, Bytes(octets)) << length;
        EXPECT_EQ(moved, copy) << length;
        EXPECT_TRUE(
            std::ranges::equal(head, std::span(octets).first(std::min(length, length / 2 + 30))));
        EXPECT_TRUE(
            std::ranges::equal(tail, std::span(octets).subspan(std::min<std::size_t>(3, length))));
        EXPECT_EQ(head.concat(copy.drop(head.size())), copy) << length;

        Bytes assigned{9};
        assigned = copy;
        EXPECT_EQ(assigned, copy) << length;
        assigned = std::move(moved);
        EXPECT_EQ(assigned, copy) << length;
        const Bytes& alias = assigned;
        assigned = alias;
        EXPECT_EQ(assigned, copy) << "self-assignment keeps the value";
        const Bytes written = Bytes::create(
            length, [&](std::span<std::uint8_t> out) { std::ranges::copy(octets, out.begin()); });
        EXPECT_EQ(written, copy) << length;
    }
}

TEST(Bytes, PrintsLowerCaseHexAndAbbreviatesLongValues) {
    EXPECT_EQ(printed(Bytes{0x00, 0xab, 0x0f}), "00ab0f");
    const std::string longValue = printed(Bytes(std::vector<std::uint8_t>(100, 0xee)));
    EXPECT_NE(longValue.find("..."), std::string::npos);
    EXPECT_NE(longValue.find("(100 octets)"), std::string::npos);
}

} // namespace
