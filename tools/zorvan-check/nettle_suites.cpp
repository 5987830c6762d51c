#include "algorithm_suites.hpp"

#include <zorvan/backends/nettle.hpp>

namespace zorvan::check {

Backend nettleBackend() {
    using namespace algorithms;
    static constexpr Algorithm table[] = {
        md5<nettle::MD5>,
        sha1<nettle::SHA1>,
        sha224<nettle::SHA224>,
        sha256<nettle::SHA256>,
        sha384<nettle::SHA384>,
        sha512<nettle::SHA512>,
        sha512_224<nettle::SHA512_224>,
        sha512_256<nettle::SHA512_256>,
        sha3_224<nettle::SHA3_224>,
        sha3_256<nettle::SHA3_256>,
        sha3_384<nettle::SHA3_384>,
        sha3_512<nettle::SHA3_512>,
        aes<nettle::AES128>,
        aes<nettle::AES192>,
        aes<nettle::AES256>,
        twofish<nettle::Twofish>,
        camellia<nettle::Camellia128>,
        camellia<nettle::Camellia192>,
        camellia<nettle::Camellia256>,
    };
    return {"nettle", "nettle", table};
}

} // namespace zorvan::check
