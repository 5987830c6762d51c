#include <Test/Crypto.hpp>

namespace Test::Crypto {

namespace {
constexpr std::uint64_t maxExtraOctets = 4096;
constexpr std::uint64_t maxChunks = 10;
} // namespace

zorvan::Bytes arbitraryBytes(zorvan::testing::Gen& gen) {
    zorvan::testing::Gen lengthPart = gen.split();
    zorvan::testing::Gen contentsPart = gen.split();
    std::vector<std::uint8_t> octets(static_cast<std::size_t>(lengthPart.uniform(maxExtraOctets)) + 1);
    contentsPart.fill(octets);
    return zorvan::Bytes(std::move(octets));
}

zorvan::LazyBytes arbitraryLazyBytes(zorvan::testing::Gen& gen) {
    zorvan::testing::Gen countPart = gen.split();
    zorvan::testing::Gen chunksPart = gen.split();
    std::vector<zorvan::Bytes> chunks(static_cast<std::size_t>(countPart.uniform(maxChunks)));
    for (zorvan::Bytes& chunk : chunks) {
        chunk = arbitraryBytes(chunksPart);
    }
    return zorvan::LazyBytes::fromChunks(std::move(chunks));
}

} // namespace Test::Crypto
