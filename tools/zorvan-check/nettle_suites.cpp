#include "catalogue.hpp"

#include <zorvan/backends/nettle.hpp>

namespace zorvan::check {

void addNettleSuites(std::vector<SuiteEntry>& entries, LongMessage longMessage) {
    addHashSuites<nettle::MD5, nettle::SHA1, nettle::SHA224, nettle::SHA256, nettle::SHA384, nettle::SHA512>(
        entries, "nettle");
    addAESSuites<nettle::AES128, nettle::AES192, nettle::AES256>(entries, "nettle");
    addVectorSuites<nettle::AES128, nettle::AES192, nettle::AES256, nettle::MD5, nettle::SHA1,
                    nettle::SHA224, nettle::SHA256, nettle::SHA384, nettle::SHA512>(
        entries, "nettle", longMessage);
    addTwofishSuite<nettle::Twofish>(entries, "nettle");
    addLawSuites<nettle::MD5, nettle::SHA1, nettle::SHA224, nettle::SHA256, nettle::SHA384, nettle::SHA512,
                 nettle::AES128, nettle::AES192, nettle::AES256, nettle::Twofish>(entries, "nettle");
}

} // namespace zorvan::check
