#include <Test/KatValues.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

namespace values = ::Test::KatValues;
using zorvan::Bytes;

TEST(KatValues, ReadsOneSignedDecimalIntegerAndNamesTheFieldOtherwise) {
    EXPECT_EQ(values::readInteger("Len", "512"), 512);
    EXPECT_EQ(values::readInteger("Len", "-8"), -8);
    EXPECT_EQ(values::readInteger("Len", " 7\t"), 7);
    EXPECT_EQ(values::readInteger("Len", "9223372036854775807"),
              std::numeric_limits<std::int64_t>::max());
    for (const char* text : {"", " ", "1 2", "12a", "0x10", "+1", "--1", "9223372036854775808"}) {
        EXPECT_THAT([&] { values::readInteger("Tlen", text); },
                    ::testing::ThrowsMessage<values::KatValueError>(
                        ::testing::HasSubstr("the Tlen field \"" + std::string(text) + "\"")))
            << text;
    }
}

TEST(KatValues, TakesAPrefixByASignedCount) {
    const Bytes octets{1, 2, 3};
    EXPECT_EQ(values::takeOctets(octets, 2), (Bytes{1, 2}));
    EXPECT_EQ(values::takeOctets(octets, 3), octets);
    EXPECT_EQ(values::takeOctets(octets, 4), octets);
    EXPECT_EQ(values::takeOctets(octets, 0), Bytes{});
    EXPECT_EQ(values::takeOctets(octets, std::numeric_limits<std::int64_t>::min()), Bytes{});
}

TEST(KatValues, ChunksMessagesInThirtySevenOctetsTheLastShorter) {
    const auto chunkLengths = [](std::size_t length) {
        std::vector<std::size_t> lengths;
        const auto chunked = values::chunkMessage(Bytes(std::vector<std::uint8_t>(length, 7)));
        for (const Bytes& chunk : chunked.toChunks()) {
            lengths.push_back(chunk.size());
        }
        return lengths;
    };
    EXPECT_THAT(chunkLengths(0), ::testing::IsEmpty());
    EXPECT_THAT(chunkLengths(37), ::testing::ElementsAre(37u));
    EXPECT_THAT(chunkLengths(38), ::testing::ElementsAre(37u, 1u));
    EXPECT_THAT(chunkLengths(74), ::testing::ElementsAre(37u, 37u));
}

} // namespace
