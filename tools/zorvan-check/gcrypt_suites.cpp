#include "catalogue.hpp"
#include "library_gap.hpp"

#include <zorvan/backends/gcrypt.hpp>

namespace zorvan::check {

namespace {

struct NoTwofish192 {
    static constexpr std::size_t keyOctets = 24;
    static constexpr const char* reason = "libgcrypt has no Twofish with 192-bit keys";
};

} // namespace

void addGcryptSuites(std::vector<SuiteEntry>& entries, LongMessage longMessage) {
    addHashSuites<gcrypt::MD5, gcrypt::SHA1, gcrypt::SHA224, gcrypt::SHA256, gcrypt::SHA384, gcrypt::SHA512>(
        entries, "gcrypt");
    addTwofishSuite<WithKeySizeGap<gcrypt::Twofish, NoTwofish192>>(entries, "gcrypt");
    addAESSuites<gcrypt::AES128, gcrypt::AES192, gcrypt::AES256>(entries, "gcrypt");
    addVectorSuites<gcrypt::AES128, gcrypt::AES192, gcrypt::AES256, gcrypt::MD5, gcrypt::SHA1,
                    gcrypt::SHA224, gcrypt::SHA256, gcrypt::SHA384, gcrypt::SHA512>(
        entries, "gcrypt", longMessage);
    addLawSuites<gcrypt::MD5, gcrypt::SHA1, gcrypt::SHA224, gcrypt::SHA256, gcrypt::SHA384, gcrypt::SHA512,
                 gcrypt::AES128, gcrypt::AES192, gcrypt::AES256, WithKeySizeGap<gcrypt::Twofish, NoTwofish192>>(
        entries, "gcrypt");
}

} // namespace zorvan::check
