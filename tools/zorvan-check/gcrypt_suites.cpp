#include "catalogue.hpp"

#include <zorvan/backends/gcrypt.hpp>

namespace zorvan::check {

void addGcryptSuites(std::vector<SuiteEntry>& entries) {
    addHashSuites<gcrypt::MD5>(entries, "gcrypt");
    addAESSuites<gcrypt::AES128, gcrypt::AES192, gcrypt::AES256>(entries, "gcrypt");
}

} // namespace zorvan::check
