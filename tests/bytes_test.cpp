#include <zorvan/bytes.hpp>

#include <gtest/gtest.h>

#include <sstream>

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
    const LazyBytes message = LazyBytes::fromChunks(
        {Bytes(std::vector<std::uint8_t>(10, 1)), Bytes(std::vector<std::uint8_t>(20, 2)),
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

TEST(Bytes, PrintsLowerCaseHexAndAbbreviatesLongValues) {
    EXPECT_EQ(printed(Bytes{0x00, 0xab, 0x0f}), "00ab0f");
    const std::string longValue = printed(Bytes(std::vector<std::uint8_t>(100, 0xee)));
    EXPECT_NE(longValue.find("..."), std::string::npos);
    EXPECT_NE(longValue.find("(100 octets)"), std::string::npos);
}

} // namespace
