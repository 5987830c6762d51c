#include "catalogue.hpp"

#include <zorvan/backends/nettle.hpp>

namespace zorvan::check {

namespace {

// The digest types addSHA3AndMonteCarloSuites takes.
struct NettleDigests {
    using MD5 = nettle::MD5;
    using SHA1 = nettle::SHA1;
    using SHA224 = nettle::SHA224;
    using SHA256 = nettle::SHA256;
    using SHA384 = nettle::SHA384;
    using SHA512 = nettle::SHA512;
    using SHA512_224 = nettle::SHA512_224;
    using SHA512_256 = nettle::SHA512_256;
    using SHA3_224 = nettle::SHA3_224;
    using SHA3_256 = nettle::SHA3_256;
    using SHA3_384 = nettle::SHA3_384;
    using SHA3_512 = nettle::SHA3_512;
};

} // namespace

void addNettleSuites(std::vector<SuiteEntry>& entries, LongMessage longMessage) {
    addHashSuites<nettle::MD5, nettle::SHA1, nettle::SHA224, nettle::SHA256, nettle::SHA384,
                  nettle::SHA512>(entries, "nettle");
    addAESSuites<nettle::AES128, nettle::AES192, nettle::AES256>(entries, "nettle");
    addVectorSuites<nettle::AES128, nettle::AES192, nettle::AES256, nettle::MD5, nettle::SHA1,
                    nettle::SHA224, nettle::SHA256, nettle::SHA384, nettle::SHA512>(
        entries, "nettle", longMessage);
    addTwofishSuite<nettle::Twofish>(entries, "nettle");
    addCamelliaSuites<nettle::Camellia128, nettle::Camellia192, nettle::Camellia256>(entries,
                                                                                     "nettle");
    addSHA3AndMonteCarloSuites<NettleDigests>(entries, "nettle");
    addLawSuites<nettle::MD5, nettle::SHA1, nettle::SHA224, nettle::SHA256, nettle::SHA384,
                 nettle::SHA512, nettle::AES128, nettle::AES192, nettle::AES256, nettle::Twofish>(
        entries, "nettle");
}

} // namespace zorvan::check
