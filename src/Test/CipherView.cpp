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

zorvan::detail::KeyBlocks keyBlocksOf(const KeyView& key) {
    return {key.blockOctets(), &key,
            [](const void* erased, const zorvan::Bytes& blocks) {
                return static_cast<const KeyView*>(erased)->encryptBlock(blocks);
            },
            [](const void* erased, const zorvan::Bytes& blocks) {
                return static_cast<const KeyView*>(erased)->decryptBlock(blocks);
            }};
}

namespace {

zorvan::detail::FeedbackMode feedbackMode(CipherMode mode, bool decrypt) {
    using zorvan::detail::FeedbackMode;
    switch (mode) {
    case CipherMode::cbc:
        return decrypt ? FeedbackMode::cbcDecrypt : FeedbackMode::cbcEncrypt;
    case CipherMode::cfb:
        return decrypt ? FeedbackMode::cfbDecrypt : FeedbackMode::cfbEncrypt;
    case CipherMode::ofb:
        return FeedbackMode::ofb;
    case CipherMode::ecb:
    case CipherMode::ctr:
        break;
    }
    return FeedbackMode::ctr;
}

} // namespace

ModeResult<zorvan::Bytes> runGeneric(const KeyView& key, CipherMode mode, bool decrypt,
                                     const zorvan::Bytes& iv, const zorvan::Bytes& input) {
    if (mode == CipherMode::ecb) {
        return {zorvan::detail::runEcb(keyBlocksOf(key), input, decrypt), iv};
    }
    return zorvan::detail::runFeedbackMode(feedbackMode(mode, decrypt), keyBlocksOf(key), iv,
                                           input);
}

} // namespace Test::Crypto
