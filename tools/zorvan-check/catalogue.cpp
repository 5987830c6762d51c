#include "catalogue.hpp"

namespace zorvan::check {

std::vector<BackendInfo> knownBackends() {
    return {
        {"openssl", "OpenSSL's libcrypto"},
        {"gcrypt", "libgcrypt"},
        {"nettle", "nettle"},
    };
}

std::vector<SuiteEntry> builtSuites() {
    std::vector<SuiteEntry> entries;
    addOpenSSLSuites(entries);
    addGcryptSuites(entries);
    addNettleSuites(entries);
    return entries;
}

} // namespace zorvan::check
