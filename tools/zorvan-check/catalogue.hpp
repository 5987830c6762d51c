#pragma once
// The catalogue of zorvan-check: every suite for every backend.

#include <Test/AES.hpp>
#include <Test/AESCTR.hpp>
#include <Test/Camellia.hpp>
#include <Test/Conformance.hpp>
#include <Test/HMAC.hpp>
#include <Test/HMACMD5.hpp>
#include <Test/HashSweep.hpp>
#include <Test/MD5.hpp>
#include <Test/MonteCarlo.hpp>
#include <Test/RFCHMAC.hpp>
#include <Test/SHA.hpp>
#include <Test/SHA3.hpp>
#include <Test/SHA512t.hpp>
#include <Test/TwoFish.hpp>

#include <zorvan/testing/test.hpp>

#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace zorvan::check {

/// SuiteEntry: one suite of one backend; build makes its tests (reading the KAT files).
struct SuiteEntry {
    std::string backend;
    std::string suite;
    std::function<std::vector<zorvan::testing::Test>()> build;
};

/// BackendInfo: a backend zorvan-check knows, and the library it adapts.
struct BackendInfo {
    std::string_view name;
    std::string_view library;
};

/// knownBackends: openssl, gcrypt and nettle.
std::vector<BackendInfo> knownBackends();

/// LongMessage: whether the sweep suites end with the long message (512 MiB per hash).
using ::Test::HashSweep::LongMessage;

/// builtSuites: every suite of every backend, backend by backend.
std::vector<SuiteEntry> builtSuites(LongMessage longMessage = LongMessage::skip);

/// addHashSuites: MD5, SHA-1 to SHA-512 and HMAC over SHA-1 to SHA-512 of one backend.
template <class MD5, class SHA1, class SHA224, class SHA256, class SHA384, class SHA512>
void addHashSuites(std::vector<SuiteEntry>& entries, const std::string& backend) {
    namespace sha = ::Test::SHA;
    namespace hmac = ::Test::HMAC;
    const auto add = [&](std::string suite,
                         std::function<std::vector<zorvan::testing::Test>()> build) {
        entries.push_back({backend, std::move(suite), std::move(build)});
    };
    add("MD5", [] { return ::Test::MD5::makeMD5Tests<MD5>(); });
    add("SHA1", [] { return sha::makeSHA1Tests<SHA1>(); });
    add("SHA224", [] { return sha::makeSHA224Tests<SHA224>(); });
    add("SHA256", [] { return sha::makeSHA256Tests<SHA256>(); });
    add("SHA384", [] { return sha::makeSHA384Tests<SHA384>(); });
    add("SHA512", [] { return sha::makeSHA512Tests<SHA512>(); });
    add("HMAC-SHA1", [] { return hmac::makeSHA1HMACTests<SHA1>(); });
    add("HMAC-SHA224", [] { return hmac::makeSHA224HMACTests<SHA224>(); });
    add("HMAC-SHA256", [] { return hmac::makeSHA256HMACTests<SHA256>(); });
    add("HMAC-SHA384", [] { return hmac::makeSHA384HMACTests<SHA384>(); });
    add("HMAC-SHA512", [] { return hmac::makeSHA512HMACTests<SHA512>(); });
}

/// addAESSuites: AES with each of the three key sizes of one backend.
template <class AES128, class AES192, class AES256>
void addAESSuites(std::vector<SuiteEntry>& entries, const std::string& backend) {
    entries.push_back({backend, "AES128", [] { return ::Test::AES::makeAESTests<AES128>(); }});
    entries.push_back({backend, "AES192", [] { return ::Test::AES::makeAESTests<AES192>(); }});
    entries.push_back({backend, "AES256", [] { return ::Test::AES::makeAESTests<AES256>(); }});
}

/// addTwofishSuite: Twofish of one backend.
template <class Twofish>
void addTwofishSuite(std::vector<SuiteEntry>& entries, const std::string& backend) {
    entries.push_back(
        {backend, "Twofish", [] { return ::Test::TwoFish::makeTwoFishTests<Twofish>(); }});
}

/// addSHA3AndMonteCarloSuites: SHA-3, SHA-512/224 and SHA-512/256 of one backend, then the
/// Monte Carlo suites of SHA-1 to SHA-3 and RFC 2202's HMAC-MD5. Library names the backend's
/// digest types as the backends do (MD5, SHA1 ... SHA512, SHA512_224, SHA512_256, SHA3_224 ...
/// SHA3_512).
template <class Library>
void addSHA3AndMonteCarloSuites(std::vector<SuiteEntry>& entries, const std::string& backend) {
    namespace monte = ::Test::MonteCarlo;
    const auto add = [&](std::string suite,
                         std::function<std::vector<zorvan::testing::Test>()> build) {
        entries.push_back({backend, std::move(suite), std::move(build)});
    };
    add("SHA3-224", [] { return ::Test::SHA3::makeSHA3_224Tests<typename Library::SHA3_224>(); });
    add("SHA3-256", [] { return ::Test::SHA3::makeSHA3_256Tests<typename Library::SHA3_256>(); });
    add("SHA3-384", [] { return ::Test::SHA3::makeSHA3_384Tests<typename Library::SHA3_384>(); });
    add("SHA3-512", [] { return ::Test::SHA3::makeSHA3_512Tests<typename Library::SHA3_512>(); });
    add("SHA512-224",
        [] { return ::Test::SHA512t::makeSHA512_224Tests<typename Library::SHA512_224>(); });
    add("SHA512-256",
        [] { return ::Test::SHA512t::makeSHA512_256Tests<typename Library::SHA512_256>(); });
    const auto addMonte = [&]<class D>(std::string suite, monte::Algorithm algorithm) {
        add(std::move(suite), [algorithm] { return monte::makeMonteCarloTests<D>(algorithm); });
    };
    using A = monte::Algorithm;
    addMonte.template operator()<typename Library::SHA1>("Monte-SHA1", A::sha1);
    addMonte.template operator()<typename Library::SHA224>("Monte-SHA224", A::sha224);
    addMonte.template operator()<typename Library::SHA256>("Monte-SHA256", A::sha256);
    addMonte.template operator()<typename Library::SHA384>("Monte-SHA384", A::sha384);
    addMonte.template operator()<typename Library::SHA512>("Monte-SHA512", A::sha512);
    addMonte.template operator()<typename Library::SHA512_224>("Monte-SHA512-224", A::sha512_224);
    addMonte.template operator()<typename Library::SHA512_256>("Monte-SHA512-256", A::sha512_256);
    addMonte.template operator()<typename Library::SHA3_224>("Monte-SHA3-224", A::sha3_224);
    addMonte.template operator()<typename Library::SHA3_256>("Monte-SHA3-256", A::sha3_256);
    addMonte.template operator()<typename Library::SHA3_384>("Monte-SHA3-384", A::sha3_384);
    addMonte.template operator()<typename Library::SHA3_512>("Monte-SHA3-512", A::sha3_512);
    add("HMAC-MD5", [] { return ::Test::HMACMD5::makeMD5HMACTests<typename Library::MD5>(); });
}

/// addCamelliaSuites: Camellia with each of the three key sizes of one backend.
template <class Camellia128, class Camellia192, class Camellia256>
void addCamelliaSuites(std::vector<SuiteEntry>& entries, const std::string& backend) {
    namespace camellia = ::Test::Camellia;
    entries.push_back(
        {backend, "Camellia128", [] { return camellia::makeCamelliaTests<Camellia128>(); }});
    entries.push_back(
        {backend, "Camellia192", [] { return camellia::makeCamelliaTests<Camellia192>(); }});
    entries.push_back(
        {backend, "Camellia256", [] { return camellia::makeCamelliaTests<Camellia256>(); }});
}

/// addVectorSuites: the known answers beyond the published files of one backend: AES-CTR per
/// key size, the RFC HMAC vectors and the length sweeps of MD5 and SHA-1 to SHA-512, which end
/// with the long message where longMessage says so.
template <class AES128, class AES192, class AES256, class MD5, class SHA1, class SHA224,
          class SHA256, class SHA384, class SHA512>
void addVectorSuites(std::vector<SuiteEntry>& entries, const std::string& backend,
                     LongMessage longMessage) {
    namespace ctr = ::Test::AESCTR;
    namespace rfc = ::Test::RFCHMAC;
    namespace sweep = ::Test::HashSweep;
    const auto add = [&](std::string suite,
                         std::function<std::vector<zorvan::testing::Test>()> build) {
        entries.push_back({backend, std::move(suite), std::move(build)});
    };
    add("AES128-CTR", [] { return ctr::makeAESCTRTests<AES128>(); });
    add("AES192-CTR", [] { return ctr::makeAESCTRTests<AES192>(); });
    add("AES256-CTR", [] { return ctr::makeAESCTRTests<AES256>(); });
    add("HMAC-SHA1-RFC", [] { return rfc::makeSHA1RFCHMACTests<SHA1>(); });
    add("HMAC-SHA224-RFC", [] { return rfc::makeSHA224RFCHMACTests<SHA224>(); });
    add("HMAC-SHA256-RFC", [] { return rfc::makeSHA256RFCHMACTests<SHA256>(); });
    add("HMAC-SHA384-RFC", [] { return rfc::makeSHA384RFCHMACTests<SHA384>(); });
    add("HMAC-SHA512-RFC", [] { return rfc::makeSHA512RFCHMACTests<SHA512>(); });
    add("Sweep-MD5", [=] { return sweep::makeMD5SweepTests<MD5>(longMessage); });
    add("Sweep-SHA1", [=] { return sweep::makeSHA1SweepTests<SHA1>(longMessage); });
    add("Sweep-SHA224", [=] { return sweep::makeSHA224SweepTests<SHA224>(longMessage); });
    add("Sweep-SHA256", [=] { return sweep::makeSHA256SweepTests<SHA256>(longMessage); });
    add("Sweep-SHA384", [=] { return sweep::makeSHA384SweepTests<SHA384>(longMessage); });
    add("Sweep-SHA512", [=] { return sweep::makeSHA512SweepTests<SHA512>(longMessage); });
}

void addOpenSSLSuites(std::vector<SuiteEntry>& entries, LongMessage longMessage);
void addGcryptSuites(std::vector<SuiteEntry>& entries, LongMessage longMessage);
void addNettleSuites(std::vector<SuiteEntry>& entries, LongMessage longMessage);
/// addLawSuites: the conformance laws of one backend: Laws-MD5 ... Laws-SHA512 (hashes),
/// Laws-HMAC-SHA1 ... Laws-HMAC-SHA512, Laws-AES128 ... Laws-AES256 and, unless Twofish is
/// void, Laws-Twofish.
template <class MD5, class SHA1, class SHA224, class SHA256, class SHA384, class SHA512, class AES128,
          class AES192, class AES256, class Twofish = void>
void addLawSuites(std::vector<SuiteEntry>& entries, const std::string& backend) {
    namespace laws = ::Test::Conformance;
    const auto add = [&](std::string suite, std::function<std::vector<zorvan::testing::Test>()> build) {
        entries.push_back({backend, "Laws-" + suite, std::move(build)});
    };
    const auto addHash = [&]<class D>(std::string name, std::type_identity<D>) {
        add(name, [] { return laws::makeHashConformanceTests<D>(); });
        add("HMAC-" + name, [] { return laws::makeHMACConformanceTests<D>(); });
    };
    addHash("MD5", std::type_identity<MD5>{});
    addHash("SHA1", std::type_identity<SHA1>{});
    addHash("SHA224", std::type_identity<SHA224>{});
    addHash("SHA256", std::type_identity<SHA256>{});
    addHash("SHA384", std::type_identity<SHA384>{});
    addHash("SHA512", std::type_identity<SHA512>{});
    add("AES128", [] { return laws::makeBlockCipherConformanceTests<AES128>(); });
    add("AES192", [] { return laws::makeBlockCipherConformanceTests<AES192>(); });
    add("AES256", [] { return laws::makeBlockCipherConformanceTests<AES256>(); });
    if constexpr (!std::is_void_v<Twofish>) {
        add("Twofish", [] { return laws::makeBlockCipherConformanceTests<Twofish>(); });
    }
}

void addOpenSSLSuites(std::vector<SuiteEntry>& entries);
void addGcryptSuites(std::vector<SuiteEntry>& entries);
void addNettleSuites(std::vector<SuiteEntry>& entries);

} // namespace zorvan::check
