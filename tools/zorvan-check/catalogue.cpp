#include "catalogue.hpp"

namespace zorvan::check {

std::vector<BackendInfo> knownBackends() {
    return {
        {"openssl", "OpenSSL's libcrypto"},
        {"gcrypt", "libgcrypt"},
        {"nettle", "nettle"},
    };
}

std::vector<SuiteEntry> builtSuites(LongMessage longMessage) {
    std::vector<SuiteEntry> entries;
    addOpenSSLSuites(entries, longMessage);
    addGcryptSuites(entries, longMessage);
    addNettleSuites(entries, longMessage);
    return entries;
}

} // namespace zorvan::check
