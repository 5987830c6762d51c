#include "algorithm_suites.hpp"
#include "library_gap.hpp"

#include <zorvan/backends/gcrypt.hpp>

namespace zorvan::check {

namespace {

struct NoTwofish192 {
    static constexpr std::size_t keyOctets = 24;
    static constexpr const char* reason = "libgcrypt has no Twofish with 192-bit keys";
};

} // namespace

Backend gcryptBackend() {
    using namespace algorithms;
    static constexpr Algorithm table[] = {
        md5<gcrypt::MD5>,
        sha1<gcrypt::SHA1>,
        sha224<gcrypt::SHA224>,
        sha256<gcrypt::SHA256>,
        sha384<gcrypt::SHA384>,
        sha512<gcrypt::SHA512>,
        sha512_224<gcrypt::SHA512_224>,
        sha512_256<gcrypt::SHA512_256>,
        sha3_224<gcrypt::SHA3_224>,
        sha3_256<gcrypt::SHA3_256>,
        sha3_384<gcrypt::SHA3_384>,
        sha3_512<gcrypt::SHA3_512>,
        aes<gcrypt::AES128>,
        aes<gcrypt::AES192>,
        aes<gcrypt::AES256>,
        twofish<WithKeySizeGap<gcrypt::Twofish, NoTwofish192>>,
        camellia<gcrypt::Camellia128>,
        camellia<gcrypt::Camellia192>,
        camellia<gcrypt::Camellia256>,
    };
    return {"gcrypt", "libgcrypt", table};
}

} // namespace zorvan::check
