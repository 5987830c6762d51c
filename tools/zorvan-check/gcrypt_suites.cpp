#include "catalogue.hpp"

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/gcrypt_aead.hpp>
#include <zorvan/backends/key_size_gap.hpp>
#include <zorvan/cmac.hpp>
#include <zorvan/xts.hpp>

namespace zorvan::check {

namespace {

struct NoTwofish192 {
    static constexpr std::size_t keyOctets = 24;
    static constexpr const char* reason = "libgcrypt has no Twofish with 192-bit keys";
};

} // namespace

Backend gcryptBackend() {
    using ::Test::Suites::subject;
    static constexpr BackendAlgorithm table[] = {
        {"MD5", subject<gcrypt::MD5>},
        {"SHA1", subject<gcrypt::SHA1>},
        {"SHA224", subject<gcrypt::SHA224>},
        {"SHA256", subject<gcrypt::SHA256>},
        {"SHA384", subject<gcrypt::SHA384>},
        {"SHA512", subject<gcrypt::SHA512>},
        {"SHA512-224", subject<gcrypt::SHA512_224>},
        {"SHA512-256", subject<gcrypt::SHA512_256>},
        {"SHA3-224", subject<gcrypt::SHA3_224>},
        {"SHA3-256", subject<gcrypt::SHA3_256>},
        {"SHA3-384", subject<gcrypt::SHA3_384>},
        {"SHA3-512", subject<gcrypt::SHA3_512>},
        {"SHAKE128", subject<gcrypt::SHAKE128>},
        {"SHAKE256", subject<gcrypt::SHAKE256>},
        {"AES", subject<gcrypt::AES128>},
        {"AES", subject<gcrypt::AES192>},
        {"AES", subject<gcrypt::AES256>},
        {"Twofish", subject<backends::WithKeySizeGap<gcrypt::Twofish, NoTwofish192>>},
        {"Camellia", subject<gcrypt::Camellia128>},
        {"Camellia", subject<gcrypt::Camellia192>},
        {"Camellia", subject<gcrypt::Camellia256>},
        {"AES-CMAC", subject<Cmac<gcrypt::AES128>>},
        {"AES-CMAC", subject<Cmac<gcrypt::AES192>>},
        {"AES-CMAC", subject<Cmac<gcrypt::AES256>>},
        {"AES-XTS", subject<Xts<gcrypt::AES128>>},
        {"AES-XTS", subject<Xts<gcrypt::AES256>>},
        {"AES-GCM", subject<gcrypt::AES128GCM>},
        {"AES-GCM", subject<gcrypt::AES192GCM>},
        {"AES-GCM", subject<gcrypt::AES256GCM>},
        {"AES-CCM", subject<gcrypt::AES128CCM>},
        {"AES-CCM", subject<gcrypt::AES192CCM>},
        {"AES-CCM", subject<gcrypt::AES256CCM>},
        {"ChaCha20-Poly1305", subject<gcrypt::ChaCha20Poly1305>},
    };
    return {"gcrypt", "libgcrypt", table};
}

} // namespace zorvan::check
