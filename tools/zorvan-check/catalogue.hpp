#pragma once
// The catalogue of zorvan-check: every suite for every backend. Each backend lists its
// algorithms once (openssl_suites.cpp and the like); algorithm_suites.hpp says which suites an
// algorithm gets; the run order, --help, --list and --suite all come from those lists.

#include <Test/HashSweep.hpp>
#include <zorvan/testing/test.hpp>

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::check {

/// LongMessage: whether the sweep suites end with the long message (512 MiB per hash).
using ::Test::HashSweep::LongMessage;

/// SuiteKind: what a suite checks. A backend runs its suites kind by kind in this order, and
/// the suites of one kind in the order of the backend's algorithm table.
enum class SuiteKind {
    hashKnownAnswers,   // MD5, SHA1 ... SHA512
    hmacKnownAnswers,   // HMAC-SHA1 ... HMAC-SHA512
    cipherKnownAnswers, // AES128 ... AES256, Twofish
    aesCTR,             // AES128-CTR ...
    rfcHMAC,            // HMAC-SHA1-RFC ...
    lengthSweep,        // Sweep-MD5 ...
    camellia,           // Camellia128 ...
    sha3,               // SHA3-224 ...
    sha512t,            // SHA512-224, SHA512-256
    monteCarlo,         // Monte-SHA1 ...
    hmacMD5,            // HMAC-MD5
    hashLaws,           // Laws-MD5, Laws-HMAC-MD5, Laws-SHA1 ...
    cipherLaws,         // Laws-AES128 ...
};

/// AlgorithmSuite: one suite an algorithm gets; build makes its tests (reading the KAT files).
struct AlgorithmSuite {
    SuiteKind kind;
    std::string name;
    std::function<std::vector<zorvan::testing::Test>(LongMessage)> build;
};

/// Algorithm: one line of a backend's table, such as algorithms::md5<openssl::MD5>: the
/// suites the algorithm gets for the backend's type.
using Algorithm = std::vector<AlgorithmSuite> (*)();

/// Backend: a backend zorvan-check knows, the library it adapts, and its algorithm table.
struct Backend {
    std::string_view name;
    std::string_view library;
    std::span<const Algorithm> algorithms;
};

Backend opensslBackend();
Backend gcryptBackend();
Backend nettleBackend();

/// knownBackends: openssl, gcrypt and nettle, in the order they run.
std::vector<Backend> knownBackends();

/// SuiteEntry: one suite of one backend; build makes its tests (reading the KAT files).
struct SuiteEntry {
    std::string backend;
    std::string suite;
    std::function<std::vector<zorvan::testing::Test>()> build;
};

/// backendSuites: the suites of the backend's algorithms, kind by kind (SuiteKind's order),
/// and within a kind in the order of its table. Builds no test.
std::vector<SuiteEntry> backendSuites(const Backend& backend,
                                      LongMessage longMessage = LongMessage::skip);

/// builtSuites: backendSuites of every known backend, backend by backend. Builds no test.
std::vector<SuiteEntry> builtSuites(LongMessage longMessage = LongMessage::skip);

/// SuiteName: a suite name of the catalogue and the backends that run it.
struct SuiteName {
    std::string name;
    std::vector<std::string_view> backends;
};

/// suiteNames: every suite name of the catalogue once, in the order the backends run them.
std::vector<SuiteName> suiteNames();

} // namespace zorvan::check
