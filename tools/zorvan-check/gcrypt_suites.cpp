#include "catalogue.hpp"
#include "library_gap.hpp"

#include <zorvan/backends/gcrypt.hpp>

namespace zorvan::check {

namespace {

// The digest types addSHA3AndMonteCarloSuites takes.
struct GcryptDigests {
    using MD5 = gcrypt::MD5;
    using SHA1 = gcrypt::SHA1;
    using SHA224 = gcrypt::SHA224;
    using SHA256 = gcrypt::SHA256;
    using SHA384 = gcrypt::SHA384;
    using SHA512 = gcrypt::SHA512;
    using SHA512_224 = gcrypt::SHA512_224;
    using SHA512_256 = gcrypt::SHA512_256;
    using SHA3_224 = gcrypt::SHA3_224;
    using SHA3_256 = gcrypt::SHA3_256;
    using SHA3_384 = gcrypt::SHA3_384;
    using SHA3_512 = gcrypt::SHA3_512;
};

struct NoTwofish192 {
    static constexpr std::size_t keyOctets = 24;
    static constexpr const char* reason = "libgcrypt has no Twofish with 192-bit keys";
};

} // namespace

void addGcryptSuites(std::vector<SuiteEntry>& entries, LongMessage longMessage) {
    addHashSuites<gcrypt::MD5, gcrypt::SHA1, gcrypt::SHA224, gcrypt::SHA256, gcrypt::SHA384,
                  gcrypt::SHA512>(entries, "gcrypt");
    addTwofishSuite<WithKeySizeGap<gcrypt::Twofish, NoTwofish192>>(entries, "gcrypt");
    addAESSuites<gcrypt::AES128, gcrypt::AES192, gcrypt::AES256>(entries, "gcrypt");
    addVectorSuites<gcrypt::AES128, gcrypt::AES192, gcrypt::AES256, gcrypt::MD5, gcrypt::SHA1,
                    gcrypt::SHA224, gcrypt::SHA256, gcrypt::SHA384, gcrypt::SHA512>(
        entries, "gcrypt", longMessage);
    addCamelliaSuites<gcrypt::Camellia128, gcrypt::Camellia192, gcrypt::Camellia256>(entries,
                                                                                     "gcrypt");
    addSHA3AndMonteCarloSuites<GcryptDigests>(entries, "gcrypt");
    addLawSuites<gcrypt::MD5, gcrypt::SHA1, gcrypt::SHA224, gcrypt::SHA256, gcrypt::SHA384,
                 gcrypt::SHA512, gcrypt::AES128, gcrypt::AES192, gcrypt::AES256,
                 WithKeySizeGap<gcrypt::Twofish, NoTwofish192>>(entries, "gcrypt");
}

} // namespace zorvan::check
