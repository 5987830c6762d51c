#include <Test/LawInputs.hpp>

#include <algorithm>
#include <span>

namespace Test::Conformance {

zorvan::Bytes patterned(std::size_t length, std::uint8_t salt) {
    return zorvan::Bytes::create(length, [&](std::span<std::uint8_t> octets) {
        for (std::size_t i = 0; i < octets.size(); ++i) {
            octets[i] = static_cast<std::uint8_t>(i * 167 + std::size_t{salt} * 59 + 1);
        }
    });
}

zorvan::Bytes drawBytes(zorvan::testing::Gen& gen, std::size_t length) {
    return zorvan::Bytes::create(length, [&](std::span<std::uint8_t> octets) { gen.fill(octets); });
}

std::string octets(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " octet" : " octets");
}

std::vector<std::size_t> randomCuts(zorvan::testing::Gen& gen, std::size_t length,
                                    std::size_t blockOctets) {
    std::vector<std::size_t> cuts{0};
    while (cuts.back() < length) {
        cuts.push_back(std::min(length, cuts.back() + gen.uniform(2 * blockOctets)));
    }
    return cuts;
}

zorvan::LazyBytes chunked(const zorvan::Bytes& message, const std::vector<std::size_t>& cuts) {
    std::vector<zorvan::Bytes> chunks;
    for (std::size_t i = 1; i < cuts.size(); ++i) {
        chunks.push_back(message.slice(cuts[i - 1], cuts[i] - cuts[i - 1]));
    }
    return zorvan::LazyBytes::fromChunks(std::move(chunks));
}

} // namespace Test::Conformance
