#include "catalogue.hpp"

#include <zorvan/backends/openssl.hpp>

namespace zorvan::check {

void addOpenSSLSuites(std::vector<SuiteEntry>& entries, LongMessage longMessage) {
    addHashSuites<openssl::MD5, openssl::SHA1, openssl::SHA224, openssl::SHA256, openssl::SHA384, openssl::SHA512>(
        entries, "openssl");
    addAESSuites<openssl::AES128, openssl::AES192, openssl::AES256>(entries, "openssl");
    addVectorSuites<openssl::AES128, openssl::AES192, openssl::AES256, openssl::MD5, openssl::SHA1,
                    openssl::SHA224, openssl::SHA256, openssl::SHA384, openssl::SHA512>(
        entries, "openssl", longMessage);
    addLawSuites<openssl::MD5, openssl::SHA1, openssl::SHA224, openssl::SHA256, openssl::SHA384, openssl::SHA512,
                 openssl::AES128, openssl::AES192, openssl::AES256>(entries, "openssl");
}

} // namespace zorvan::check
