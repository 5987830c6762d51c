#include <Test/Crypto/XtsView.hpp>

#include <stdexcept>
#include <string>

namespace Test::Crypto {

zorvan::Bytes genericXts(const KeyView& dataKey, const KeyView& tweakKey,
                         const zorvan::Bytes& tweak, const zorvan::Bytes& dataUnit, bool decrypt) {
    return zorvan::detail::runXts(keyBlocksOf(dataKey), keyBlocksOf(tweakKey), tweak, dataUnit,
                                  decrypt);
}

namespace detail {

void requireTweakOctets(const zorvan::Bytes& tweak) {
    if (tweak.size() != zorvan::xtsBlockOctets) {
        throw std::invalid_argument("an XTS tweak is 16 octets, not " +
                                    std::to_string(tweak.size()));
    }
}

} // namespace detail

} // namespace Test::Crypto
