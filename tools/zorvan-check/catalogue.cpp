#include "catalogue.hpp"

namespace zorvan::check {

std::vector<BackendInfo> knownBackends() {
    return {
        {"openssl", "OpenSSL's libcrypto", ZORVAN_CHECK_HAS_OPENSSL != 0},
        {"gcrypt", "libgcrypt", ZORVAN_CHECK_HAS_GCRYPT != 0},
        {"nettle", "nettle", ZORVAN_CHECK_HAS_NETTLE != 0},
    };
}

std::vector<SuiteEntry> builtSuites() {
    std::vector<SuiteEntry> entries;
#if ZORVAN_CHECK_HAS_OPENSSL
    addOpenSSLSuites(entries);
#endif
#if ZORVAN_CHECK_HAS_GCRYPT
    addGcryptSuites(entries);
#endif
#if ZORVAN_CHECK_HAS_NETTLE
    addNettleSuites(entries);
#endif
    return entries;
}

} // namespace zorvan::check
