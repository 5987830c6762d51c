#pragma once
// Test::VectorFile: the tests of a vector file a user brings (an ACVP prompt with its
// expectedResults, an ACVP internalProjection, a Wycheproof file, a CAVP response file whose
// header names its algorithm), built by the same builders that read the installed files, from
// a data source over the file's own folder.

#include <Test/RecordLedger.hpp>
#include <Test/Suites.hpp>

#include <zorvan/testing/test.hpp>

#include <stdexcept>
#include <string>
#include <vector>

namespace Test::VectorFile {

/// Inferred: what a vector file says of itself and the row of the algorithm table whose type
/// its tests take.
struct Inferred {
    /// path: the file, as given.
    std::string path;
    /// format: the reader's name for it ("ACVP prompt", "Wycheproof").
    std::string format;
    /// algorithm: the algorithm as the file names it ("SHA2-256", "HMACSHA256").
    std::string algorithm;
    /// row: the algorithm table's row of the type its tests take ("SHA256", "AES").
    std::string row;
    /// partner: the name of the file read with it ("expectedResults.json" beside a prompt);
    /// empty for a file read alone.
    std::string partner;

    /// description: what was inferred, "ACVP prompt, SHA2-256 (paired with
    /// expectedResults.json)".
    std::string description;
    /// groupName: the group that holds the file's tests, "ACVP SHA2-256 (prompt +
    /// expectedResults)" or "Wycheproof HMACSHA256 (hmac_sha256_test.json)".
    std::string groupName;
};

/// MappingError: a file that gives no tests; what() names the path and says why.
class MappingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// inspect: what the file at path is and which row its tests need. Throws MappingError (and
/// nothing else beyond allocation) for a file that cannot be read, that no reader takes, whose
/// algorithm (or, for a response file, whose records' first field) no builder takes, or an
/// ACVP file whose folder does not hold it as a set: a prompt and its expectedResults named
/// prompt.json and expectedResults.json (each optionally .gz), or an internalProjection.json
/// alone.
Inferred inspect(const std::string& path);

/// vectorFileTests: the tests of the file at path for the type in subject: one group named
/// Inferred::groupName holding what the builder of its kind gives, reading the file where it
/// stands (with no manifest, even under a data root that has one) and noting its records in ledger
/// when one is given. A response file of AES keys of other sizes than the type's gives one skipped
/// leaf saying so. Never throws beyond allocation: a file that inspect refuses, a type of another
/// kind of primitive than the file tests, or a hash or XOF of other lengths than its algorithm's,
/// gives one failing leaf named after the file whose message names the path and says why; so does a
/// builder that throws.
std::vector<zorvan::testing::Test> vectorFileTests(const Suites::Subject& subject,
                                                   const std::string& path,
                                                   const Suites::SuiteOptions& options = {},
                                                   RecordLedger::Ledger* ledger = nullptr);

/// makeVectorFileTests: vectorFileTests for the type T (a digest, key, XOF, MAC or AEAD type, or
/// zorvan::Xts<K>), noting into the ledger of the RecordLedger::Recording open on this thread,
/// if any. Never throws beyond allocation.
template <class T>
std::vector<zorvan::testing::Test> makeVectorFileTests(const std::string& path,
                                                       const Suites::SuiteOptions& options = {}) {
    return vectorFileTests(Suites::subject<T>(), path, options, RecordLedger::Recording::open());
}

/// makeVectorFileTests: the same for the type of the witness, which only selects it.
template <class T>
std::vector<zorvan::testing::Test> makeVectorFileTests(const T& /*witness*/,
                                                       const std::string& path,
                                                       const Suites::SuiteOptions& options = {}) {
    return makeVectorFileTests<T>(path, options);
}

} // namespace Test::VectorFile

namespace Test {
using VectorFile::makeVectorFileTests;
} // namespace Test
