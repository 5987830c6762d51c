#include "catalogue.hpp"

#include <zorvan/backends/missing_xof.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/nettle_aead.hpp>
#include <zorvan/cmac.hpp>
#include <zorvan/xts.hpp>

namespace zorvan::check {

namespace {

struct NoShake128 {
    static constexpr std::size_t blockBits = 1344;
    static constexpr const char* reason = "nettle 3.8 has no SHAKE128 (only SHAKE256)";
};

} // namespace

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
        {"SHAKE128", subject<backends::MissingXof<NoShake128>>},
        {"SHAKE256", subject<nettle::SHAKE256>},
        {"AES", subject<nettle::AES128>},
        {"AES", subject<nettle::AES192>},
        {"AES", subject<nettle::AES256>},
        {"Twofish", subject<nettle::Twofish>},
        {"Camellia", subject<nettle::Camellia128>},
        {"Camellia", subject<nettle::Camellia192>},
        {"Camellia", subject<nettle::Camellia256>},
        {"AES-CMAC", subject<Cmac<nettle::AES128>>},
        {"AES-CMAC", subject<Cmac<nettle::AES192>>},
        {"AES-CMAC", subject<Cmac<nettle::AES256>>},
        {"AES-XTS", subject<Xts<nettle::AES128>>},
        {"AES-XTS", subject<Xts<nettle::AES256>>},
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
