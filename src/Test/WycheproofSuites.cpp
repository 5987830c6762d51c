#include <Test/Wycheproof.hpp>
#include <Test/WycheproofSuites.hpp>
#include <Test/WycheproofTests.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace Test::Wycheproof {

namespace {

using Suites::Subject;
using Suites::Suite;
using Suites::SuiteOptions;
using Tests = std::vector<zorvan::testing::Test>;
using AeadSubject = std::shared_ptr<const Crypto::AeadView>;
using MacSubject = std::shared_ptr<const Crypto::MacView>;
using XtsSubject = std::shared_ptr<const Crypto::XtsView>;
using HashSubject = std::shared_ptr<const Crypto::HashView>;
using CipherSubject = std::shared_ptr<const Crypto::CipherView>;

// The rows whose HMAC Wycheproof tests.
constexpr std::array<std::string_view, 11> hmacRows{
    "SHA1",       "SHA224",   "SHA256",   "SHA384",   "SHA512",  "SHA512-224",
    "SHA512-256", "SHA3-224", "SHA3-256", "SHA3-384", "SHA3-512"};

Suite suite(std::string name,
            std::function<Tests(const Subject&, const DataSource&, const SuiteOptions&)> build) {
    return {Suites::SuiteKind::knownAnswers,
            "Wycheproof-" + std::move(name),
            {{katDirectory, JsonVectors::recordStart}},
            std::move(build)};
}

Suite aeadSuite(std::string name, std::string_view algorithm) {
    return suite(std::move(name), [algorithm](const Subject& subject, const DataSource& source,
                                              const SuiteOptions& options) {
        return aeadTests(std::get<AeadSubject>(subject), algorithm, options.acceptable, source);
    });
}

void addTo(std::vector<Suites::Algorithm>& rows, std::string_view algorithm, Suite added) {
    const auto row = std::ranges::find(rows, algorithm, &Suites::Algorithm::name);
    if (row == rows.end()) {
        throw std::invalid_argument("the algorithm table has no row " + std::string(algorithm) +
                                    " for its Wycheproof suite");
    }
    row->suites.push_back(std::move(added));
}

} // namespace

void addSuites(std::vector<Suites::Algorithm>& rows) {
    addTo(rows, "AES-GCM", aeadSuite("AES{bits}-GCM", "AES-GCM"));
    addTo(rows, "AES-CCM", aeadSuite("AES{bits}-CCM", "AES-CCM"));
    addTo(rows, "ChaCha20-Poly1305", aeadSuite("ChaCha20-Poly1305", "ChaCha20-Poly1305"));
    addTo(rows, "XChaCha20-Poly1305", aeadSuite("XChaCha20-Poly1305", "XChaCha20-Poly1305"));
    addTo(rows, "AES-CMAC",
          suite("AES{bits}-CMAC",
                [](const Subject& subject, const DataSource& source, const SuiteOptions& options) {
                    return cmacTests(std::get<MacSubject>(subject), options.acceptable, source);
                }));
    addTo(rows, "AES-XTS",
          suite("AES{bits}-XTS",
                [](const Subject& subject, const DataSource& source, const SuiteOptions&) {
                    return xtsTests(std::get<XtsSubject>(subject), source);
                }));
    for (const std::string_view row : {std::string_view("AES"), std::string_view("Camellia")}) {
        addTo(rows, row,
              suite(std::string(row) + "{bits}-CBC-PKCS5",
                    [row](const Subject& subject, const DataSource& source,
                          const SuiteOptions& options) {
                        return cbcPaddedTests(std::get<CipherSubject>(subject), row,
                                              options.acceptable, source);
                    }));
    }
    for (const std::string_view row : hmacRows) {
        addTo(rows, row,
              suite("HMAC-" + std::string(row), [row](const Subject& subject,
                                                      const DataSource& source,
                                                      const SuiteOptions& options) {
                  return hmacTests(std::get<HashSubject>(subject), row, options.acceptable, source);
              }));
    }
}

} // namespace Test::Wycheproof
