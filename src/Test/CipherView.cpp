#include <Test/Crypto/CipherView.hpp>

namespace Test::Crypto {

ModeResult<zorvan::LazyBytes> streamThroughStrict(const KeyView& key, CipherMode mode, bool decrypt,
                                                  const zorvan::Bytes& iv,
                                                  const zorvan::LazyBytes& input) {
    const auto step = [&](const zorvan::Bytes& at, const zorvan::Bytes& part) {
        return key.run(mode, decrypt, at, part);
    };
    if (mode == CipherMode::ecb) {
        return {zorvan::detail::streamChunksWithoutIV(key.blockOctets(), input,
                                                      zorvan::detail::ChunkStep(step)),
                iv};
    }
    return zorvan::detail::streamChunks(key.blockOctets(), iv, input,
                                        zorvan::detail::ChunkStep(step));
}

} // namespace Test::Crypto
