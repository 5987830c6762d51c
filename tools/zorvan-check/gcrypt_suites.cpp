#include "catalogue.hpp"

#include <zorvan/backends/gcrypt.hpp>

namespace zorvan::check {

void addGcryptSuites(std::vector<SuiteEntry>& entries) {
    addHashSuites<gcrypt::MD5>(entries, "gcrypt");
}

} // namespace zorvan::check
