#include "algorithm_suites.hpp"

#include <zorvan/backends/openssl.hpp>

namespace zorvan::check {

Backend opensslBackend() {
    using namespace algorithms;
    static constexpr Algorithm table[] = {
        md5<openssl::MD5>,
        sha1<openssl::SHA1>,
        sha224<openssl::SHA224>,
        sha256<openssl::SHA256>,
        sha384<openssl::SHA384>,
        sha512<openssl::SHA512>,
        sha512_224<openssl::SHA512_224>,
        sha512_256<openssl::SHA512_256>,
        sha3_224<openssl::SHA3_224>,
        sha3_256<openssl::SHA3_256>,
        sha3_384<openssl::SHA3_384>,
        sha3_512<openssl::SHA3_512>,
        aes<openssl::AES128>,
        aes<openssl::AES192>,
        aes<openssl::AES256>,
        camellia<openssl::Camellia128>,
        camellia<openssl::Camellia192>,
        camellia<openssl::Camellia256>,
    };
    return {"openssl", "OpenSSL's libcrypto", table};
}

} // namespace zorvan::check
