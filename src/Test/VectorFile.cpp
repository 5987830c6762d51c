#include <Test/VectorFile.hpp>

#include <Test/ACVPAEAD.hpp>
#include <Test/ACVPAES.hpp>
#include <Test/ACVPCMAC.hpp>
#include <Test/ACVPXTS.hpp>
#include <Test/AcvpHash.hpp>
#include <Test/AcvpHmac.hpp>
#include <Test/AcvpShake.hpp>
#include <Test/AesFiles.hpp>
#include <Test/KatFiles.hpp>
#include <Test/ShaVectors.hpp>
#include <Test/VectorFormat.hpp>
#include <Test/Wycheproof.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>
#include <type_traits>
#include <variant>

namespace Test::VectorFile {

namespace {

namespace fs = std::filesystem;
using Suites::Primitive;
using Suites::Subject;
using Suites::SuiteOptions;
using Tests = std::vector<zorvan::testing::Test>;
using VectorFormat::Format;
using HashSubject = std::shared_ptr<const Crypto::HashView>;
using CipherSubject = std::shared_ptr<const Crypto::CipherView>;
using XofSubject = std::shared_ptr<const Crypto::XofView>;
using MacSubject = std::shared_ptr<const Crypto::MacView>;
using XtsSubject = std::shared_ptr<const Crypto::XtsView>;
using AeadSubject = std::shared_ptr<const Crypto::AeadView>;

// A subject's alternative is the view of its primitive: its index is the Primitive it tests.
template <Primitive primitive, class View>
constexpr bool viewOf =
    std::is_same_v<std::variant_alternative_t<static_cast<std::size_t>(primitive), Subject>, View>;
static_assert(viewOf<Primitive::hash, HashSubject> &&
              viewOf<Primitive::blockCipher, CipherSubject> && viewOf<Primitive::xof, XofSubject> &&
              viewOf<Primitive::mac, MacSubject> && viewOf<Primitive::xts, XtsSubject> &&
              viewOf<Primitive::aead, AeadSubject>);

// Where a builder finds the file: the folder that holds it, under a source over the folder
// above, and what the file and the table call its algorithm.
struct Located {
    DataSource source;
    std::string directory;
    std::string fileName;
    std::string algorithm;
    std::string row;
};

using Build = Tests (*)(const Subject&, const Located&, const SuiteOptions&);

Tests acvpHash(const Subject& subject, const Located& at, const SuiteOptions& options) {
    return AcvpHash::hashSetTests(
        std::get<HashSubject>(subject), at.directory,
        options.longMessages ? AcvpHash::LargeData::run : AcvpHash::LargeData::skip, at.source);
}
Tests acvpHmac(const Subject& subject, const Located& at, const SuiteOptions&) {
    return AcvpHmac::hmacSetTests(std::get<HashSubject>(subject), at.directory, at.source);
}
Tests acvpShake(const Subject& subject, const Located& at, const SuiteOptions&) {
    return AcvpShake::shakeSetTests(std::get<XofSubject>(subject), at.directory, at.source);
}
Tests acvpAes(const Subject& subject, const Located& at, const SuiteOptions&) {
    return ACVPAES::acvpAesSetTests(std::get<CipherSubject>(subject), at.algorithm, at.directory,
                                    at.source);
}
Tests acvpGcm(const Subject& subject, const Located& at, const SuiteOptions&) {
    return ACVPAEAD::acvpGcmSetTests(std::get<AeadSubject>(subject), at.directory, at.source);
}
Tests acvpCcm(const Subject& subject, const Located& at, const SuiteOptions&) {
    return ACVPAEAD::acvpCcmSetTests(std::get<AeadSubject>(subject), at.directory, at.source);
}
Tests acvpCmac(const Subject& subject, const Located& at, const SuiteOptions&) {
    return ACVPCMAC::acvpCmacSetTests(std::get<MacSubject>(subject), at.directory, at.source);
}
Tests acvpXts(const Subject& subject, const Located& at, const SuiteOptions&) {
    return ACVPXTS::acvpXtsSetTests(std::get<XtsSubject>(subject), at.directory, at.source);
}
Tests cavpHash(const Subject& subject, const Located& at, const SuiteOptions&) {
    const std::vector<std::string> files{at.fileName};
    return SHA::messageFileTests(std::get<HashSubject>(subject), at.source,
                                 SHA::readNamedFiles(at.source, at.directory, files), at.row);
}
// A file of one key size is left to the types of that size, as an ACVP set is.
std::optional<zorvan::testing::Test> keyLengthSkip(const std::vector<AES::AesRecord>& records,
                                                   std::size_t keyBits) {
    std::set<std::size_t> held;
    for (const AES::AesRecord& record : records) {
        if (record.vector) {
            held.insert(record.vector->keyHex.size() * 4);
        }
    }
    if (held.empty() || held.contains(keyBits)) {
        return std::nullopt;
    }
    std::string reason = "the file holds keys of";
    for (const std::size_t bits : held) {
        // Appended, not concatenated: GCC 12 at -O3 takes " " + ... for an overlapping copy.
        reason += ' ';
        reason += std::to_string(bits);
    }
    reason += " only, none of " + std::to_string(keyBits) + " bits";
    return zorvan::testing::testCase("KeyLength" + std::to_string(keyBits),
                                     [reason] { throw zorvan::testing::TestSkipped(reason); });
}

Tests cavpAes(const Subject& subject, const Located& at, const SuiteOptions&) {
    const CipherSubject& cipher = std::get<CipherSubject>(subject);
    const KatFiles::Folder folder =
        KatFiles::readFolder(at.source, at.directory, AES::names::recordStart,
                             [&at](std::string_view name) { return name == at.fileName; });
    // Built first in any case, so that the ledger counts each record left to another size.
    Tests tests = AES::recordTests(cipher, at.source, folder, Suites::algorithm(at.row));
    if (std::optional<zorvan::testing::Test> skip =
            keyLengthSkip(AES::knownAnswers(folder), cipher->keyLength())) {
        return {std::move(*skip)};
    }
    return tests;
}

Tests wycheproofAead(const Subject& subject, const Located& at, const SuiteOptions& options) {
    return Wycheproof::aeadTests(std::get<AeadSubject>(subject), at.row, options.acceptable,
                                 at.source, {at.directory, at.fileName});
}
Tests wycheproofCmac(const Subject& subject, const Located& at, const SuiteOptions& options) {
    return Wycheproof::cmacTests(std::get<MacSubject>(subject), options.acceptable, at.source,
                                 {at.directory, at.fileName});
}
Tests wycheproofXts(const Subject& subject, const Located& at, const SuiteOptions&) {
    return Wycheproof::xtsTests(std::get<XtsSubject>(subject), at.source,
                                {at.directory, at.fileName});
}
Tests wycheproofHmac(const Subject& subject, const Located& at, const SuiteOptions& options) {
    return Wycheproof::hmacTests(std::get<HashSubject>(subject), at.row, options.acceptable,
                                 at.source, {at.directory, at.fileName});
}
Tests wycheproofCbc(const Subject& subject, const Located& at, const SuiteOptions& options) {
    return Wycheproof::cbcPaddedTests(std::get<CipherSubject>(subject), at.row, options.acceptable,
                                      at.source, {at.directory, at.fileName});
}

enum class Family { cavp, acvp, wycheproof };

// One algorithm as a family's files name it, the table's row whose type it tests, and the
// builder of its tests; for a response file, the field that must start its records.
struct Mapping {
    Family family;
    std::string_view algorithm;
    std::string_view row;
    Build build;
    std::string_view recordStart = {};
};

constexpr std::array mappings{
    Mapping{Family::cavp, "SHA-1", "SHA1", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA-224", "SHA224", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA-256", "SHA256", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA-384", "SHA384", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA-512", "SHA512", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA-512/224", "SHA512-224", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA-512/256", "SHA512-256", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA3-224", "SHA3-224", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA3-256", "SHA3-256", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA3-384", "SHA3-384", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "SHA3-512", "SHA3-512", cavpHash, SHA::lengthField},
    Mapping{Family::cavp, "AES-ECB", "AES", cavpAes, AES::names::recordStart},
    Mapping{Family::cavp, "AES-CBC", "AES", cavpAes, AES::names::recordStart},
    Mapping{Family::cavp, "AES-CFB128", "AES", cavpAes, AES::names::recordStart},
    Mapping{Family::cavp, "AES-OFB", "AES", cavpAes, AES::names::recordStart},
    Mapping{Family::acvp, "SHA-1", "SHA1", acvpHash},
    Mapping{Family::acvp, "SHA2-224", "SHA224", acvpHash},
    Mapping{Family::acvp, "SHA2-256", "SHA256", acvpHash},
    Mapping{Family::acvp, "SHA2-384", "SHA384", acvpHash},
    Mapping{Family::acvp, "SHA2-512", "SHA512", acvpHash},
    Mapping{Family::acvp, "SHA2-512/224", "SHA512-224", acvpHash},
    Mapping{Family::acvp, "SHA2-512/256", "SHA512-256", acvpHash},
    Mapping{Family::acvp, "SHA3-224", "SHA3-224", acvpHash},
    Mapping{Family::acvp, "SHA3-256", "SHA3-256", acvpHash},
    Mapping{Family::acvp, "SHA3-384", "SHA3-384", acvpHash},
    Mapping{Family::acvp, "SHA3-512", "SHA3-512", acvpHash},
    Mapping{Family::acvp, "HMAC-SHA-1", "SHA1", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA2-224", "SHA224", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA2-256", "SHA256", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA2-384", "SHA384", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA2-512", "SHA512", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA2-512/224", "SHA512-224", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA2-512/256", "SHA512-256", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA3-224", "SHA3-224", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA3-256", "SHA3-256", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA3-384", "SHA3-384", acvpHmac},
    Mapping{Family::acvp, "HMAC-SHA3-512", "SHA3-512", acvpHmac},
    Mapping{Family::acvp, "SHAKE-128", "SHAKE128", acvpShake},
    Mapping{Family::acvp, "SHAKE-256", "SHAKE256", acvpShake},
    Mapping{Family::acvp, "ACVP-AES-ECB", "AES", acvpAes},
    Mapping{Family::acvp, "ACVP-AES-CBC", "AES", acvpAes},
    Mapping{Family::acvp, "ACVP-AES-CFB8", "AES", acvpAes},
    Mapping{Family::acvp, "ACVP-AES-CFB128", "AES", acvpAes},
    Mapping{Family::acvp, "ACVP-AES-OFB", "AES", acvpAes},
    Mapping{Family::acvp, "ACVP-AES-CTR", "AES", acvpAes},
    Mapping{Family::acvp, "ACVP-AES-GCM", "AES-GCM", acvpGcm},
    Mapping{Family::acvp, "ACVP-AES-CCM", "AES-CCM", acvpCcm},
    Mapping{Family::acvp, "CMAC-AES", "AES-CMAC", acvpCmac},
    Mapping{Family::acvp, "ACVP-AES-XTS", "AES-XTS", acvpXts},
    Mapping{Family::wycheproof, "AES-GCM", "AES-GCM", wycheproofAead},
    Mapping{Family::wycheproof, "AES-CCM", "AES-CCM", wycheproofAead},
    Mapping{Family::wycheproof, "CHACHA20-POLY1305", "ChaCha20-Poly1305", wycheproofAead},
    Mapping{Family::wycheproof, "XCHACHA20-POLY1305", "XChaCha20-Poly1305", wycheproofAead},
    Mapping{Family::wycheproof, "AES-CMAC", "AES-CMAC", wycheproofCmac},
    Mapping{Family::wycheproof, "AES-XTS", "AES-XTS", wycheproofXts},
    Mapping{Family::wycheproof, "AES-CBC-PKCS5", "AES", wycheproofCbc},
    Mapping{Family::wycheproof, "CAMELLIA-CBC-PKCS5", "Camellia", wycheproofCbc},
    Mapping{Family::wycheproof, "HMACSHA1", "SHA1", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA224", "SHA224", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA256", "SHA256", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA384", "SHA384", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA512", "SHA512", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA512/224", "SHA512-224", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA512/256", "SHA512-256", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA3-224", "SHA3-224", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA3-256", "SHA3-256", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA3-384", "SHA3-384", wycheproofHmac},
    Mapping{Family::wycheproof, "HMACSHA3-512", "SHA3-512", wycheproofHmac},
};

// The names an ACVP set's reader gives each of its files.
struct AcvpName {
    Format format;
    std::string_view stem;
    std::string_view partnerStem; // "" for a file read alone
};
constexpr std::array acvpNames{AcvpName{Format::acvpPrompt, "prompt", "expectedResults"},
                               AcvpName{Format::acvpExpectedResults, "expectedResults", "prompt"},
                               AcvpName{Format::acvpInternalProjection, "internalProjection", ""}};

// The format's name after its article: "an ACVP prompt", "a Wycheproof".
std::string withArticle(std::string_view format) {
    return (format.starts_with('A') ? "an " : "a ") + std::string(format);
}

// The name of stem's file in directory ("prompt.json" or "prompt.json.gz"), if one is there.
std::optional<std::string> fileBeside(const fs::path& directory, std::string_view stem) {
    for (const std::string& name : {std::string(stem) + ".json", std::string(stem) + ".json.gz"}) {
        std::error_code error;
        if (fs::is_regular_file(directory / name, error)) {
            return name;
        }
    }
    return std::nullopt;
}

// The file read with an ACVP file at path of format: its partner's name, "" for none. Throws
// MappingError for a file that its folder does not hold as a set's.
std::string acvpPartner(const std::string& path, Format format) {
    const AcvpName& names = *std::ranges::find(acvpNames, format, &AcvpName::format);
    const fs::path file(path);
    const std::string name = file.filename().string();
    const std::string stem(names.stem);
    const std::string kind = withArticle(VectorFormat::formatName(format));
    if (name != stem + ".json" && name != stem + ".json.gz") {
        throw MappingError(path + ": " + kind + " is read from its set's folder, named " + stem +
                           ".json (or .json.gz): rename it so");
    }
    const fs::path directory = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    if (names.partnerStem.empty()) {
        if (const std::optional<std::string> prompt = fileBeside(directory, "prompt")) {
            throw MappingError(path + ": " + kind + " beside " + *prompt +
                               ", which the set's reader takes in its place");
        }
        return {};
    }
    const std::optional<std::string> partner = fileBeside(directory, names.partnerStem);
    if (!partner) {
        throw MappingError(path + ": " + kind + " is read with its " +
                           std::string(names.partnerStem) + ".json (or .json.gz) beside it, " +
                           "and the folder holds none");
    }
    return *partner;
}

struct Mapped {
    Inferred inferred;
    const Mapping* mapping;
};

VectorFormat::Detected detected(const std::string& path) {
    try {
        return VectorFormat::detectFile(path);
    } catch (const VectorFormat::FormatError& error) {
        throw MappingError(error.what());
    } catch (const std::exception& error) {
        throw MappingError(path + ": cannot be read: " + error.what());
    }
}

Family familyOf(Format format) {
    switch (format) {
    case Format::cavpResponse:
        return Family::cavp;
    case Format::wycheproof:
        return Family::wycheproof;
    case Format::acvpPrompt:
    case Format::acvpExpectedResults:
    case Format::acvpInternalProjection:
        break;
    }
    return Family::acvp;
}

// What a file that no mapping takes is of, for saying why.
std::string unmapped(const VectorFormat::Detected& file) {
    if (file.format != Format::cavpResponse) {
        return "of " + file.algorithm;
    }
    const std::string records = "whose records start at " + file.recordStart;
    return file.algorithm.empty()
               ? "whose header names no algorithm (a '\"SHA-256 ShortMsg\" information' or "
                 "'AESVS GFSbox test data for CBC' line), " +
                     records
               : "of " + file.algorithm + " " + records;
}

Mapped mapFile(const std::string& path) {
    const VectorFormat::Detected file = detected(path);
    const std::string format(VectorFormat::formatName(file.format));
    const Family family = familyOf(file.format);
    const auto mapping = std::ranges::find_if(mappings, [&](const Mapping& each) {
        return each.family == family && each.algorithm == file.algorithm &&
               (each.recordStart.empty() || each.recordStart == file.recordStart);
    });
    if (mapping == mappings.end()) {
        throw MappingError(path + ": " + withArticle(format) + " " + unmapped(file) +
                           ", which no builder here takes");
    }
    Inferred inferred{path, format, file.algorithm, std::string(mapping->row), {}, {}, {}};
    inferred.description = format + ", " + file.algorithm;
    if (family != Family::acvp) {
        inferred.groupName = std::string(family == Family::cavp ? "CAVP " : "Wycheproof ") +
                             file.algorithm + " (" + fs::path(path).filename().string() + ")";
        return {std::move(inferred), &*mapping};
    }
    inferred.partner = acvpPartner(path, file.format);
    inferred.description +=
        inferred.partner.empty() ? " (alone)" : " (paired with " + inferred.partner + ")";
    inferred.groupName =
        "ACVP " + file.algorithm +
        (inferred.partner.empty() ? " (internalProjection)" : " (prompt + expectedResults)");
    return {std::move(inferred), &*mapping};
}

std::string_view primitiveName(Primitive primitive) {
    switch (primitive) {
    case Primitive::hash:
        return "a hash";
    case Primitive::blockCipher:
        return "a block cipher";
    case Primitive::xof:
        return "an XOF";
    case Primitive::mac:
        return "a MAC";
    case Primitive::xts:
        return "XTS over a block cipher";
    case Primitive::aead:
        break;
    }
    return "an AEAD";
}

std::string octetsPair(std::size_t first, std::size_t second) {
    return std::to_string(first) + " and " + std::to_string(second) + " octets";
}

// Why the type in subject cannot take the row's tests: another kind of primitive, or a hash
// or XOF whose lengths are not the row's; "" when it can.
std::string mismatch(const Suites::Algorithm& row, const Subject& subject) {
    const auto kind = static_cast<Primitive>(subject.index());
    if (kind != row.primitive) {
        return "tests " + std::string(primitiveName(row.primitive)) +
               ", and the type under test is " + std::string(primitiveName(kind));
    }
    if (const auto* hash = std::get_if<HashSubject>(&subject)) {
        const std::size_t output = (*hash)->outputLength() / 8;
        const std::size_t block = (*hash)->blockLength() / 8;
        if (output != row.outputOctets || block != row.blockOctets) {
            return "tests " + row.name + ", whose digest and block are " +
                   octetsPair(row.outputOctets, row.blockOctets) + "; the type's are " +
                   octetsPair(output, block);
        }
    }
    if (const auto* xof = std::get_if<XofSubject>(&subject)) {
        const std::size_t rate = (*xof)->blockLength() / 8;
        if (rate != row.blockOctets) {
            return "tests " + row.name + ", whose rate is " + std::to_string(row.blockOctets) +
                   " octets; the type's is " + std::to_string(rate);
        }
    }
    return {};
}

Located locate(const std::string& path, const Inferred& inferred, RecordLedger::Ledger* ledger) {
    const fs::path file = fs::absolute(path).lexically_normal();
    const fs::path directory = file.parent_path();
    // The file is the user's: a manifest of a data root above it does not list it.
    return {DataSource::ignoringManifest(directory.parent_path().string(), ledger),
            directory.filename().string(), file.filename().string(), inferred.algorithm,
            inferred.row};
}

zorvan::testing::Test failing(const std::string& path, std::string message) {
    std::string name = fs::path(path).filename().string();
    if (name.empty()) {
        name = path;
    }
    return zorvan::testing::testCase(
        std::move(name), [message = std::move(message)] { throw std::runtime_error(message); });
}

} // namespace

Inferred inspect(const std::string& path) {
    return mapFile(path).inferred;
}

std::vector<zorvan::testing::Test> vectorFileTests(const Subject& subject, const std::string& path,
                                                   const SuiteOptions& options,
                                                   RecordLedger::Ledger* ledger) {
    std::optional<Mapped> mapped;
    try {
        mapped = mapFile(path);
    } catch (const MappingError& error) {
        return {failing(path, error.what())};
    }
    const Inferred& inferred = mapped->inferred;
    const std::string what = path + ": " + inferred.description;
    try {
        if (const std::string why = mismatch(Suites::algorithm(inferred.row), subject);
            !why.empty()) {
            return {failing(path, what + ", " + why)};
        }
        return {zorvan::testing::TestGroup{
            inferred.groupName,
            mapped->mapping->build(subject, locate(path, inferred, ledger), options)}};
    } catch (const std::exception& error) {
        return {failing(path, what + ": cannot build its tests: " + error.what())};
    }
}

} // namespace Test::VectorFile
