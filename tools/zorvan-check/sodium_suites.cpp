#include "catalogue.hpp"

#include <zorvan/backends/sodium.hpp>

namespace zorvan::check {

Backend sodiumBackend() {
    using ::Test::Suites::subject;
    static constexpr BackendAlgorithm table[] = {
        {"AES-GCM", subject<sodium::AES256GCM>},
        {"ChaCha20-Poly1305", subject<sodium::ChaCha20Poly1305>},
        {"XChaCha20-Poly1305", subject<sodium::XChaCha20Poly1305>},
    };
    return {"sodium", "libsodium", table};
}

} // namespace zorvan::check
