#include "catalogue.hpp"

#include <zorvan/backends/openssl.hpp>

namespace zorvan::check {

void addOpenSSLSuites(std::vector<SuiteEntry>& entries) {
    addHashSuites<openssl::MD5>(entries, "openssl");
}

} // namespace zorvan::check
