#include "catalogue.hpp"

#include <zorvan/backends/nettle.hpp>

namespace zorvan::check {

void addNettleSuites(std::vector<SuiteEntry>& entries) {
    addHashSuites<nettle::MD5>(entries, "nettle");
}

} // namespace zorvan::check
