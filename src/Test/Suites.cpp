#include <Test/Suites.hpp>

#include <Test/ACVPAEAD.hpp>
#include <Test/ACVPAES.hpp>
#include <Test/ACVPCMAC.hpp>
#include <Test/ACVPXTS.hpp>
#include <Test/AES.hpp>
#include <Test/AESCTR.hpp>
#include <Test/AcvpHash.hpp>
#include <Test/AcvpHmac.hpp>
#include <Test/AcvpShake.hpp>
#include <Test/AeadConformance.hpp>
#include <Test/CCM.hpp>
#include <Test/CMAC.hpp>
#include <Test/Camellia.hpp>
#include <Test/ChaCha20Poly1305.hpp>
#include <Test/Conformance.hpp>
#include <Test/GCM.hpp>
#include <Test/HMAC.hpp>
#include <Test/HMACMD5.hpp>
#include <Test/HashSweep.hpp>
#include <Test/JsonVectors.hpp>
#include <Test/MD5.hpp>
#include <Test/MonteCarlo.hpp>
#include <Test/RFCHMAC.hpp>
#include <Test/SHA.hpp>
#include <Test/SHA3.hpp>
#include <Test/SHA512t.hpp>
#include <Test/TwoFish.hpp>
#include <Test/WycheproofSuites.hpp>
#include <Test/XOF.hpp>
#include <Test/XTS.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace Test::Suites {

namespace {

using Tests = std::vector<zorvan::testing::Test>;
using Hash = std::shared_ptr<const Crypto::HashView>;
using Cipher = std::shared_ptr<const Crypto::CipherView>;
using XofSubject = std::shared_ptr<const Crypto::XofView>;
using MacSubject = std::shared_ptr<const Crypto::MacView>;
using XtsSubject = std::shared_ptr<const Crypto::XtsView>;
using HashBuild = std::function<Tests(const Hash&, const DataSource&, const SuiteOptions&)>;
using CipherBuild = std::function<Tests(const Cipher&, const DataSource&)>;
using AeadSubject = std::shared_ptr<const Crypto::AeadView>;
using AeadBuild = std::function<Tests(const AeadSubject&, const DataSource&)>;
using Monte = MonteCarlo::Algorithm;

constexpr std::size_t aesBlock = 16;
const std::vector<std::size_t> aesKeys{16, 24, 32};

Suite hashSuite(SuiteKind kind, std::string name, std::vector<DataFolder> folders,
                HashBuild build) {
    return {kind, std::move(name), std::move(folders),
            [build = std::move(build)](const Subject& subject, const DataSource& source,
                                       const SuiteOptions& options) {
                return build(std::get<Hash>(subject), source, options);
            }};
}

// A suite of the primitive whose view is View, built from the view and the data source.
template <class View>
Suite viewSuite(SuiteKind kind, std::string name, std::vector<DataFolder> folders,
                std::function<Tests(const View&, const DataSource&)> build) {
    return {kind, std::move(name), std::move(folders),
            [build = std::move(build)](const Subject& subject, const DataSource& source,
                                       const SuiteOptions&) {
                return build(std::get<View>(subject), source);
            }};
}

Suite cipherSuite(SuiteKind kind, std::string name, std::vector<DataFolder> folders,
                  CipherBuild build) {
    return viewSuite<Cipher>(kind, std::move(name), std::move(folders), std::move(build));
}

// The laws of a hash and of HMAC over it.
std::vector<Suite> hashLaws(const std::string& name) {
    return {hashSuite(SuiteKind::laws, "Laws-" + name, {},
                      [](const Hash& hash, const DataSource&, const SuiteOptions&) {
                          return Conformance::hashConformanceTests(hash);
                      }),
            hashSuite(SuiteKind::laws, "Laws-HMAC-" + name, {},
                      [](const Hash& hash, const DataSource&, const SuiteOptions&) {
                          return Conformance::hmacConformanceTests(hash);
                      })};
}

Suite sweep(const std::string& label) {
    return hashSuite(
        SuiteKind::lengthSweep, "Sweep-" + label,
        {{"Test/KAT_HASH_SWEEP", "Len"}, {"Test/KAT_HASH_LONG", "Len"}},
        [label](const Hash& hash, const DataSource& source, const SuiteOptions& options) {
            return HashSweep::sweepTests(hash, label,
                                         options.longMessages ? HashSweep::LongMessage::include
                                                              : HashSweep::LongMessage::skip,
                                         source);
        });
}

Suite monteCarlo(const std::string& name, Monte algorithm) {
    return hashSuite(SuiteKind::monteCarlo, "Monte-" + name, {{"Test/KAT_SHA_MONTE", "Seed"}},
                     [algorithm](const Hash& hash, const DataSource& source, const SuiteOptions&) {
                         return MonteCarlo::monteCarloTests(hash, algorithm, source);
                     });
}

std::vector<Suite> joined(std::vector<Suite> first, std::vector<Suite> second) {
    first.insert(first.end(), std::make_move_iterator(second.begin()),
                 std::make_move_iterator(second.end()));
    return first;
}

// The folders of ACVP sets, each test object a record.
template <class Directories> std::vector<DataFolder> acvpFolders(const Directories& directories) {
    std::vector<DataFolder> folders;
    folders.reserve(std::size(directories));
    for (const std::string_view directory : directories) {
        folders.push_back({directory, JsonVectors::recordStart});
    }
    return folders;
}

Algorithm hash(std::string name, std::size_t outputOctets, std::size_t blockOctets,
               std::vector<Suite> suites) {
    return {std::move(name), Primitive::hash, blockOctets, outputOctets, {}, std::move(suites)};
}

Algorithm md5() {
    return hash(
        "MD5", 16, 64,
        joined({hashSuite(SuiteKind::knownAnswers, "MD5", {},
                          [](const Hash& hash, const DataSource&, const SuiteOptions&) {
                              return MD5::md5Tests(hash);
                          }),
                hashSuite(SuiteKind::knownAnswers, "HMAC-MD5", {{HMACMD5::katDirectory, "Count"}},
                          [](const Hash& hash, const DataSource& source, const SuiteOptions&) {
                              return HMACMD5::hmacMd5Tests(hash, source);
                          }),
                sweep("MD5")},
               hashLaws("MD5")));
}

// SHA-1 to SHA-512: NIST's message files, HMAC over the hash (NIST's and the RFCs'), the length
// sweep, the Monte Carlo checkpoints and the laws.
Algorithm sha2(const std::string& label, std::size_t outputOctets, std::size_t blockOctets,
               Monte algorithm) {
    return hash(
        label, outputOctets, blockOctets,
        joined({hashSuite(SuiteKind::knownAnswers, label, {{"Test/KAT_SHA", "Len"}},
                          [label](const Hash& hash, const DataSource& source, const SuiteOptions&) {
                              return SHA::shaTests(hash, label, source);
                          }),
                hashSuite(SuiteKind::knownAnswers, "HMAC-" + label, {{"Test/KAT_HMAC", "Count"}},
                          [label](const Hash& hash, const DataSource& source, const SuiteOptions&) {
                              return HMAC::hmacTests(hash, label, source);
                          }),
                hashSuite(SuiteKind::knownAnswers, "HMAC-" + label + "-RFC",
                          {{"Test/KAT_HMAC_RFC", "Len"}, {"Test/KAT_HMAC_GENERATED", "Len"}},
                          [label](const Hash& hash, const DataSource& source, const SuiteOptions&) {
                              return RFCHMAC::rfcHmacTests(hash, label, source);
                          }),
                sweep(label), monteCarlo(label, algorithm)},
               hashLaws(label)));
}

// A hash with NIST's message files in a folder of its own and Monte Carlo checkpoints.
template <class Builder>
Algorithm namedFileHash(const std::string& name, std::string_view label, std::size_t outputOctets,
                        std::size_t blockOctets, std::string_view folder, Builder builder,
                        Monte algorithm) {
    return hash(
        name, outputOctets, blockOctets,
        {hashSuite(SuiteKind::knownAnswers, name, {{folder, "Len"}},
                   [label, builder](const Hash& hash, const DataSource& source,
                                    const SuiteOptions&) { return builder(hash, label, source); }),
         monteCarlo(name, algorithm)});
}

Algorithm sha512t(const std::string& name, std::string_view label, std::size_t outputOctets,
                  Monte algorithm) {
    return namedFileHash(name, label, outputOctets, 128, SHA512t::katDirectory,
                         SHA512t::sha512tTests, algorithm);
}

Algorithm sha3(const std::string& name, std::string_view label, std::size_t outputOctets,
               std::size_t rateOctets, Monte algorithm) {
    return namedFileHash(name, label, outputOctets, rateOctets, SHA3::katDirectory, SHA3::sha3Tests,
                         algorithm);
}

Suite cipherLaws(std::string name) {
    return cipherSuite(SuiteKind::laws, std::move(name), {},
                       [](const Cipher& cipher, const DataSource&) {
                           return Conformance::blockCipherConformanceTests(cipher);
                       });
}

// A row of a primitive over a cipher of AES's block and key sizes.
Algorithm aesSized(std::string name, Primitive primitive, std::size_t outputOctets,
                   std::vector<Suite> suites) {
    return {std::move(name), primitive, aesBlock, outputOctets, aesKeys, std::move(suites)};
}

Algorithm cipher(std::string name, std::vector<Suite> suites) {
    return aesSized(std::move(name), Primitive::blockCipher, 0, std::move(suites));
}

// SHAKE128 and SHAKE256: NIST's message and variable-output files, the length sweep across the
// rate, the Monte Carlo chain and the XOF laws.
Algorithm shake(XOF::Shake which, std::size_t outputOctets, std::size_t rateOctets) {
    const std::string name(XOF::labelOf(which));
    return {
        name,
        Primitive::xof,
        rateOctets,
        outputOctets,
        {},
        {viewSuite<XofSubject>(SuiteKind::knownAnswers, name,
                               {{XOF::katDirectory, "Len"}, {XOF::variableOutDirectory, "COUNT"}},
                               [which](const XofSubject& xof, const DataSource& source) {
                                   return XOF::shakeTests(xof, which, source);
                               }),
         viewSuite<XofSubject>(SuiteKind::lengthSweep, "Sweep-" + name,
                               {{XOF::sweepDirectory, "Len"}},
                               [which](const XofSubject& xof, const DataSource& source) {
                                   return XOF::shakeSweepTests(xof, which, source);
                               }),
         viewSuite<XofSubject>(SuiteKind::monteCarlo, "Monte-" + name,
                               {{XOF::monteDirectory, "Msg"}},
                               [which](const XofSubject& xof, const DataSource& source) {
                                   return XOF::shakeMonteTests(xof, which, source);
                               }),
         viewSuite<XofSubject>(SuiteKind::laws, "Laws-" + name, {},
                               [](const XofSubject& xof, const DataSource&) {
                                   return XOF::xofConformanceTests(xof);
                               })}};
}

Algorithm aesCmac() {
    return aesSized("AES-CMAC", Primitive::mac, aesBlock,
                    {viewSuite<MacSubject>(SuiteKind::knownAnswers, "AES{bits}-CMAC",
                                           {{CMAC::katDirectory, "COUNT"}}, CMAC::cmacTests),
                     viewSuite<MacSubject>(SuiteKind::knownAnswers, "ACVP-AES{bits}-CMAC",
                                           acvpFolders(std::array{ACVPCMAC::setDirectory}),
                                           ACVPCMAC::acvpCmacTests),
                     viewSuite<MacSubject>(SuiteKind::laws, "Laws-AES{bits}-CMAC", {},
                                           [](const MacSubject& mac, const DataSource&) {
                                               return CMAC::macConformanceTests(mac);
                                           })});
}

Algorithm aesXts() {
    return aesSized("AES-XTS", Primitive::xts, 0,
                    {viewSuite<XtsSubject>(
                         SuiteKind::knownAnswers, "AES{bits}-XTS",
                         {{XTS::katDirectory, "COUNT"}, {XTS::sequenceNumberDirectory, "COUNT"}},
                         XTS::xtsTests),
                     viewSuite<XtsSubject>(SuiteKind::knownAnswers, "ACVP-AES{bits}-XTS",
                                           acvpFolders(std::array{ACVPXTS::setDirectory}),
                                           ACVPXTS::acvpXtsTests),
                     viewSuite<XtsSubject>(SuiteKind::laws, "Laws-AES{bits}-XTS", {},
                                           [](const XtsSubject& xts, const DataSource&) {
                                               return XTS::xtsConformanceTests(xts);
                                           })});
}

Suite aeadSuite(SuiteKind kind, std::string name, std::vector<DataFolder> folders,
                AeadBuild build) {
    return {kind, std::move(name), std::move(folders),
            [build = std::move(build)](const Subject& subject, const DataSource& source,
                                       const SuiteOptions&) {
                return build(std::get<AeadSubject>(subject), source);
            }};
}

// An AEAD's known answers from one folder, then its laws.
Algorithm aead(std::string name, const std::string& suite, std::size_t blockOctets,
               std::vector<std::size_t> keyOctets, DataFolder folder, AeadBuild knownAnswers) {
    return {std::move(name),
            Primitive::aead,
            blockOctets,
            0,
            std::move(keyOctets),
            {aeadSuite(SuiteKind::knownAnswers, suite, {folder}, std::move(knownAnswers)),
             aeadSuite(SuiteKind::laws, "Laws-" + suite, {},
                       [](const AeadSubject& view, const DataSource&) {
                           return AeadConformance::aeadConformanceTests(view);
                       })}};
}

// NIST's ACVP sets of the hashes, SHAKE and HMAC: each is a suite of its algorithm's row, read
// from Test/ACVP/<folder> by the builder of its family.
enum class AcvpFamily { hash, shake, hmac };

struct AcvpSet {
    std::string_view row;
    std::string_view suite;
    std::string_view folder;
    AcvpFamily family;
};

constexpr std::array acvpHashSets{
    AcvpSet{"SHA1", "ACVP-HMAC-SHA-1", "HMAC-SHA-1-1.0", AcvpFamily::hmac},
    AcvpSet{"SHA224", "ACVP-SHA2-224", "SHA2-224-1.0", AcvpFamily::hash},
    AcvpSet{"SHA256", "ACVP-SHA2-256", "SHA2-256-1.0", AcvpFamily::hash},
    AcvpSet{"SHA256", "ACVP-HMAC-SHA2-256", "HMAC-SHA2-256-1.0", AcvpFamily::hmac},
    AcvpSet{"SHA384", "ACVP-SHA2-384", "SHA2-384-1.0", AcvpFamily::hash},
    AcvpSet{"SHA512", "ACVP-SHA2-512", "SHA2-512-1.0", AcvpFamily::hash},
    AcvpSet{"SHA512", "ACVP-HMAC-SHA2-512", "HMAC-SHA2-512-1.0", AcvpFamily::hmac},
    AcvpSet{"SHA512-256", "ACVP-SHA2-512-256", "SHA2-512-256-1.0", AcvpFamily::hash},
    AcvpSet{"SHA3-224", "ACVP-SHA3-224", "SHA3-224-2.0", AcvpFamily::hash},
    AcvpSet{"SHA3-256", "ACVP-SHA3-256", "SHA3-256-2.0", AcvpFamily::hash},
    AcvpSet{"SHA3-256", "ACVP-HMAC-SHA3-256", "HMAC-SHA3-256-1.0", AcvpFamily::hmac},
    AcvpSet{"SHA3-384", "ACVP-SHA3-384", "SHA3-384-2.0", AcvpFamily::hash},
    AcvpSet{"SHA3-512", "ACVP-SHA3-512", "SHA3-512-2.0", AcvpFamily::hash},
    AcvpSet{"SHAKE128", "ACVP-SHAKE-128", "SHAKE-128-1.0", AcvpFamily::shake},
    AcvpSet{"SHAKE256", "ACVP-SHAKE-256", "SHAKE-256-1.0", AcvpFamily::shake},
};

// The tests of a set's one group, which its suite already names.
Tests setChildren(const Tests& set) {
    return std::get<zorvan::testing::TestGroup>(set.front().node()).children;
}

Suite acvpSuite(const AcvpSet& set, std::string_view directory) {
    const std::string name(set.suite);
    const std::vector<DataFolder> folders{{directory, JsonVectors::recordStart}};
    switch (set.family) {
    case AcvpFamily::hash:
        return hashSuite(
            SuiteKind::knownAnswers, name, folders,
            [directory](const Hash& hash, const DataSource& source, const SuiteOptions& options) {
                return setChildren(AcvpHash::hashSetTests(
                    hash, directory,
                    options.longMessages ? AcvpHash::LargeData::run : AcvpHash::LargeData::skip,
                    source));
            });
    case AcvpFamily::hmac:
        return hashSuite(
            SuiteKind::knownAnswers, name, folders,
            [directory](const Hash& hash, const DataSource& source, const SuiteOptions&) {
                return setChildren(AcvpHmac::hmacSetTests(hash, directory, source));
            });
    case AcvpFamily::shake:
        break;
    }
    return viewSuite<XofSubject>(SuiteKind::knownAnswers, name, folders,
                                 [directory](const XofSubject& xof, const DataSource& source) {
                                     return setChildren(
                                         AcvpShake::shakeSetTests(xof, directory, source));
                                 });
}

// Each ACVP set joins its row, after the row's own suites.
void appendAcvpHashSets(std::vector<Algorithm>& rows) {
    static const std::vector<std::string> directories = [] {
        std::vector<std::string> each;
        each.reserve(acvpHashSets.size());
        for (const AcvpSet& set : acvpHashSets) {
            each.push_back("Test/ACVP/" + std::string(set.folder));
        }
        return each;
    }();
    for (std::size_t index = 0; index < acvpHashSets.size(); ++index) {
        const AcvpSet& set = acvpHashSets[index];
        const auto row = std::ranges::find(rows, set.row, &Algorithm::name);
        row->suites.push_back(acvpSuite(set, directories[index]));
    }
}

// The row with one more suite.
Algorithm withSuite(Algorithm row, Suite suite) {
    row.suites.push_back(std::move(suite));
    return row;
}

std::vector<Algorithm> table() {
    std::vector<Algorithm> rows{
        md5(),
        sha2("SHA1", 20, 64, Monte::sha1),
        sha2("SHA224", 28, 64, Monte::sha224),
        sha2("SHA256", 32, 64, Monte::sha256),
        sha2("SHA384", 48, 128, Monte::sha384),
        sha2("SHA512", 64, 128, Monte::sha512),
        sha512t("SHA512-224", "SHA512_224", 28, Monte::sha512_224),
        sha512t("SHA512-256", "SHA512_256", 32, Monte::sha512_256),
        sha3("SHA3-224", "SHA3_224", 28, 144, Monte::sha3_224),
        sha3("SHA3-256", "SHA3_256", 32, 136, Monte::sha3_256),
        sha3("SHA3-384", "SHA3_384", 48, 104, Monte::sha3_384),
        sha3("SHA3-512", "SHA3_512", 64, 72, Monte::sha3_512),
        shake(XOF::Shake::shake128, 16, 168),
        shake(XOF::Shake::shake256, 32, 136),
        cipher("AES",
               {cipherSuite(SuiteKind::knownAnswers, "AES{bits}", {{"Test/KAT_AES", "COUNT"}},
                            AES::aesTests),
                cipherSuite(SuiteKind::knownAnswers, "AES{bits}-CTR",
                            {{"Test/KAT_AES_CTR", "COUNT"}, {"Test/KAT_AES_CTR_CARRY", "COUNT"}},
                            AESCTR::ctrTests),
                cipherSuite(SuiteKind::knownAnswers, "ACVP-AES{bits}",
                            acvpFolders(ACVPAES::setDirectories), ACVPAES::acvpAesTests),
                cipherLaws("Laws-AES{bits}")}),
        cipher("Twofish", {cipherSuite(SuiteKind::knownAnswers, "Twofish",
                                       {{"Test/KAT_TWOFISH", "I"}}, TwoFish::twoFishTests),
                           cipherLaws("Laws-Twofish")}),
        cipher("Camellia",
               {cipherSuite(SuiteKind::knownAnswers, "Camellia{bits}",
                            {{Camellia::katDirectory, "COUNT"}}, Camellia::camelliaTests)}),
        aesCmac(),
        aesXts(),
        withSuite(aead("AES-GCM", "AES{bits}-GCM", aesBlock, aesKeys, {GCM::katDirectory, "Count"},
                       GCM::gcmKnownAnswers),
                  aeadSuite(SuiteKind::knownAnswers, "ACVP-AES{bits}-GCM",
                            acvpFolders(std::array{ACVPAEAD::gcmDirectory}),
                            ACVPAEAD::acvpGcmTests)),
        withSuite(aead("AES-CCM", "AES{bits}-CCM", aesBlock, aesKeys, {CCM::katDirectory, "Count"},
                       CCM::ccmKnownAnswers),
                  aeadSuite(SuiteKind::knownAnswers, "ACVP-AES{bits}-CCM",
                            acvpFolders(std::array{ACVPAEAD::ccmDirectory}),
                            ACVPAEAD::acvpCcmTests)),
        aead("ChaCha20-Poly1305", "ChaCha20-Poly1305", 64, {32},
             {ChaCha20Poly1305::katDirectory, "COUNT"}, ChaCha20Poly1305::chachaKnownAnswers),
        aead("XChaCha20-Poly1305", "XChaCha20-Poly1305", 64, {32},
             {ChaCha20Poly1305::xKatDirectory, "COUNT"}, ChaCha20Poly1305::xchachaKnownAnswers),
    };
    Wycheproof::addSuites(rows);
    appendAcvpHashSets(rows);
    return rows;
}

constexpr std::string_view keyBits = "{bits}";

// What "{bits}" stands for: the key length of a cipher's or MAC's key type, or of each of the
// two cipher keys of XTS; nothing for a subject without a key.
std::string keyBitsOf(const Subject& subject) {
    if (const auto* cipher = std::get_if<Cipher>(&subject)) {
        return std::to_string((*cipher)->keyLength());
    }
    if (const auto* mac = std::get_if<MacSubject>(&subject)) {
        return std::to_string((*mac)->keyLength());
    }
    if (const auto* xts = std::get_if<XtsSubject>(&subject)) {
        return std::to_string((*xts)->keyLength() / 2);
    }
    if (const auto* aead = std::get_if<AeadSubject>(&subject)) {
        return std::to_string((*aead)->keyLength());
    }
    return {};
}

const Suite& findSuite(const Algorithm& row, std::string_view name, const Subject& subject) {
    const auto found = std::ranges::find_if(
        row.suites, [&](const Suite& suite) { return suiteName(suite, subject) == name; });
    if (found == row.suites.end()) {
        throw std::invalid_argument("the algorithm " + row.name + " has no suite named " +
                                    std::string(name) + " for this type");
    }
    return *found;
}

} // namespace

const std::vector<Algorithm>& algorithms() {
    static const std::vector<Algorithm> rows = table();
    return rows;
}

const Algorithm& algorithm(std::string_view name) {
    const std::vector<Algorithm>& rows = algorithms();
    const auto found = std::ranges::find(rows, name, &Algorithm::name);
    if (found == rows.end()) {
        throw std::invalid_argument("the algorithm table has no algorithm named " +
                                    std::string(name));
    }
    return *found;
}

std::string suiteName(const Suite& suite, const Subject& subject) {
    std::string name = suite.name;
    const std::size_t place = name.find(keyBits);
    if (place != std::string::npos) {
        name.replace(place, keyBits.size(), keyBitsOf(subject));
    }
    return name;
}

Tests buildSuite(std::string_view algorithmName, std::string_view suite, const Subject& subject,
                 const DataSource& source, const SuiteOptions& options) {
    return findSuite(algorithm(algorithmName), suite, subject).build(subject, source, options);
}

Tests algorithmTests(std::string_view algorithmName, const Subject& subject,
                     const DataSource& source, const SuiteOptions& options) {
    Tests groups;
    for (const Suite& suite : algorithm(algorithmName).suites) {
        groups.push_back(zorvan::testing::TestGroup{suiteName(suite, subject),
                                                    suite.build(subject, source, options)});
    }
    return groups;
}

} // namespace Test::Suites
