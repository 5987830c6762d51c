#include "catalogue.hpp"

#include <zorvan/backends/openssl.hpp>

namespace zorvan::check {

void addOpenSSLSuites(std::vector<SuiteEntry>& entries) {
    addHashSuites<openssl::MD5, openssl::SHA1, openssl::SHA224, openssl::SHA256, openssl::SHA384, openssl::SHA512>(
        entries, "openssl");
    addAESSuites<openssl::AES128, openssl::AES192, openssl::AES256>(entries, "openssl");
    addLawSuites<openssl::MD5, openssl::SHA1, openssl::SHA224, openssl::SHA256, openssl::SHA384, openssl::SHA512,
                 openssl::AES128, openssl::AES192, openssl::AES256>(entries, "openssl");
}

} // namespace zorvan::check
