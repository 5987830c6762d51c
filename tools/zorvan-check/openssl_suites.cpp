#include "catalogue.hpp"

#include <zorvan/backends/openssl.hpp>

namespace zorvan::check {

namespace {

// The digest types addSHA3AndMonteCarloSuites takes.
struct OpenSSLDigests {
    using MD5 = openssl::MD5;
    using SHA1 = openssl::SHA1;
    using SHA224 = openssl::SHA224;
    using SHA256 = openssl::SHA256;
    using SHA384 = openssl::SHA384;
    using SHA512 = openssl::SHA512;
    using SHA512_224 = openssl::SHA512_224;
    using SHA512_256 = openssl::SHA512_256;
    using SHA3_224 = openssl::SHA3_224;
    using SHA3_256 = openssl::SHA3_256;
    using SHA3_384 = openssl::SHA3_384;
    using SHA3_512 = openssl::SHA3_512;
};

} // namespace

void addOpenSSLSuites(std::vector<SuiteEntry>& entries, LongMessage longMessage) {
    addHashSuites<openssl::MD5, openssl::SHA1, openssl::SHA224, openssl::SHA256, openssl::SHA384,
                  openssl::SHA512>(entries, "openssl");
    addAESSuites<openssl::AES128, openssl::AES192, openssl::AES256>(entries, "openssl");
    addVectorSuites<openssl::AES128, openssl::AES192, openssl::AES256, openssl::MD5, openssl::SHA1,
                    openssl::SHA224, openssl::SHA256, openssl::SHA384, openssl::SHA512>(
        entries, "openssl", longMessage);
    addCamelliaSuites<openssl::Camellia128, openssl::Camellia192, openssl::Camellia256>(entries,
                                                                                        "openssl");
    addSHA3AndMonteCarloSuites<OpenSSLDigests>(entries, "openssl");
    addLawSuites<openssl::MD5, openssl::SHA1, openssl::SHA224, openssl::SHA256, openssl::SHA384,
                 openssl::SHA512, openssl::AES128, openssl::AES192, openssl::AES256>(entries,
                                                                                     "openssl");
}

} // namespace zorvan::check
