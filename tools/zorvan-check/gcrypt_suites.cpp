#include "catalogue.hpp"

#include <zorvan/backends/gcrypt.hpp>

namespace zorvan::check {

void addGcryptSuites(std::vector<SuiteEntry>& entries) {
    addHashSuites<gcrypt::MD5, gcrypt::SHA1, gcrypt::SHA224, gcrypt::SHA256, gcrypt::SHA384, gcrypt::SHA512>(
        entries, "gcrypt");
    addAESSuites<gcrypt::AES128, gcrypt::AES192, gcrypt::AES256>(entries, "gcrypt");
}

} // namespace zorvan::check
