#include <Test/Crypto/MacView.hpp>

namespace Test::Crypto {

zorvan::Bytes genericCmac(const KeyView& cipherKey, const zorvan::LazyBytes& message) {
    return zorvan::detail::runCmac(keyBlocksOf(cipherKey), message);
}

} // namespace Test::Crypto
