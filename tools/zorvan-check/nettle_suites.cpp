#include "catalogue.hpp"

#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/nettle_aead.hpp>

namespace zorvan::check {

Backend nettleBackend() {
    using ::Test::Suites::subject;
    static constexpr BackendAlgorithm table[] = {
        {"MD5", subject<nettle::MD5>},
        {"SHA1", subject<nettle::SHA1>},
        {"SHA224", subject<nettle::SHA224>},
        {"SHA256", subject<nettle::SHA256>},
        {"SHA384", subject<nettle::SHA384>},
        {"SHA512", subject<nettle::SHA512>},
        {"SHA512-224", subject<nettle::SHA512_224>},
        {"SHA512-256", subject<nettle::SHA512_256>},
        {"SHA3-224", subject<nettle::SHA3_224>},
        {"SHA3-256", subject<nettle::SHA3_256>},
        {"SHA3-384", subject<nettle::SHA3_384>},
        {"SHA3-512", subject<nettle::SHA3_512>},
        {"AES", subject<nettle::AES128>},
        {"AES", subject<nettle::AES192>},
        {"AES", subject<nettle::AES256>},
        {"Twofish", subject<nettle::Twofish>},
        {"Camellia", subject<nettle::Camellia128>},
        {"Camellia", subject<nettle::Camellia192>},
        {"Camellia", subject<nettle::Camellia256>},
        {"AES-GCM", subject<nettle::AES128GCM>},
        {"AES-GCM", subject<nettle::AES192GCM>},
        {"AES-GCM", subject<nettle::AES256GCM>},
        {"AES-CCM", subject<nettle::AES128CCM>},
        {"AES-CCM", subject<nettle::AES192CCM>},
        {"AES-CCM", subject<nettle::AES256CCM>},
        {"ChaCha20-Poly1305", subject<nettle::ChaCha20Poly1305>},
    };
    return {"nettle", "nettle", table};
}

} // namespace zorvan::check
