#include <Test/Crypto/CipherView.hpp>

#include <cstdint>
#include <span>
#include <vector>

namespace Test::Crypto {

ModeResult<zorvan::LazyBytes> streamThroughStrict(const KeyView& key, CipherMode mode, bool decrypt,
                                                  const zorvan::Bytes& iv,
                                                  const zorvan::LazyBytes& input) {
    const auto step = [&](const zorvan::Bytes& at, const zorvan::Bytes& part) {
        return key.run(mode, decrypt, at, part);
    };
    if (mode == CipherMode::ecb) {
        // ECB carries no state between calls; a zero IV only drives the shared streaming loop.
        const std::vector<std::uint8_t> zeroes(key.blockOctets(), 0);
        return {zorvan::detail::streamChunks(key.blockOctets(),
                                             zorvan::Bytes(std::span<const std::uint8_t>(zeroes)),
                                             input, zorvan::detail::ChunkStep(step))
                    .first,
                iv};
    }
    return zorvan::detail::streamChunks(key.blockOctets(), iv, input,
                                        zorvan::detail::ChunkStep(step));
}

} // namespace Test::Crypto
