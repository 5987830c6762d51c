#include "catalogue.hpp"

#include <zorvan/backends/openssl.hpp>
#include <zorvan/backends/openssl_aead.hpp>
#include <zorvan/cmac.hpp>
#include <zorvan/xts.hpp>

namespace zorvan::check {

Backend opensslBackend() {
    using ::Test::Suites::subject;
    static constexpr BackendAlgorithm table[] = {
        {"MD5", subject<openssl::MD5>},
        {"SHA1", subject<openssl::SHA1>},
        {"SHA224", subject<openssl::SHA224>},
        {"SHA256", subject<openssl::SHA256>},
        {"SHA384", subject<openssl::SHA384>},
        {"SHA512", subject<openssl::SHA512>},
        {"SHA512-224", subject<openssl::SHA512_224>},
        {"SHA512-256", subject<openssl::SHA512_256>},
        {"SHA3-224", subject<openssl::SHA3_224>},
        {"SHA3-256", subject<openssl::SHA3_256>},
        {"SHA3-384", subject<openssl::SHA3_384>},
        {"SHA3-512", subject<openssl::SHA3_512>},
        {"SHAKE128", subject<openssl::SHAKE128>},
        {"SHAKE256", subject<openssl::SHAKE256>},
        {"AES", subject<openssl::AES128>},
        {"AES", subject<openssl::AES192>},
        {"AES", subject<openssl::AES256>},
        {"Camellia", subject<openssl::Camellia128>},
        {"Camellia", subject<openssl::Camellia192>},
        {"Camellia", subject<openssl::Camellia256>},
        {"AES-CMAC", subject<Cmac<openssl::AES128>>},
        {"AES-CMAC", subject<Cmac<openssl::AES192>>},
        {"AES-CMAC", subject<Cmac<openssl::AES256>>},
        {"AES-XTS", subject<Xts<openssl::AES128>>},
        {"AES-XTS", subject<Xts<openssl::AES256>>},
        {"AES-GCM", subject<openssl::AES128GCM>},
        {"AES-GCM", subject<openssl::AES192GCM>},
        {"AES-GCM", subject<openssl::AES256GCM>},
        {"AES-CCM", subject<openssl::AES128CCM>},
        {"AES-CCM", subject<openssl::AES192CCM>},
        {"AES-CCM", subject<openssl::AES256CCM>},
        {"ChaCha20-Poly1305", subject<openssl::ChaCha20Poly1305>},
    };
    return {"openssl", "OpenSSL's libcrypto", table};
}

} // namespace zorvan::check
