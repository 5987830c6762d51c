#pragma once
// Test::Suites: the algorithm table. One row per algorithm (its name, kind of primitive,
// lengths, and the suites it gets with the folders they read) and the generic builders under
// it: the documented make...Tests build one suite of a row, zorvan-check builds every suite of
// every row a backend names, and a user may do the same for a type of their own.

#include <Test/Crypto/AeadView.hpp>
#include <Test/Crypto/CipherView.hpp>
#include <Test/Crypto/HashView.hpp>
#include <Test/Crypto/MacView.hpp>
#include <Test/Crypto/XofView.hpp>
#include <Test/Crypto/XtsView.hpp>
#include <Test/DataSource.hpp>
#include <Test/WycheproofPolicy.hpp>

#include <zorvan/aead.hpp>
#include <zorvan/block_cipher.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/mac.hpp>
#include <zorvan/testing/test.hpp>
#include <zorvan/xof.hpp>
#include <zorvan/xts.hpp>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Test::Suites {

/// SuiteKind: what a suite checks. zorvan-check runs a backend's suites kind by kind in this
/// order, and the suites of one kind in the order of the backend's list.
enum class SuiteKind {
    knownAnswers, // published and generated vectors
    lengthSweep,  // every message length up to two blocks
    monteCarlo,   // chained digests
    laws,         // the conformance laws
};

/// Subject: the type under test behind the view of its kind of primitive.
using Subject =
    std::variant<std::shared_ptr<const Crypto::HashView>, std::shared_ptr<const Crypto::CipherView>,
                 std::shared_ptr<const Crypto::XofView>, std::shared_ptr<const Crypto::MacView>,
                 std::shared_ptr<const Crypto::XtsView>, std::shared_ptr<const Crypto::AeadView>>;

/// subject: the view of T, a digest, key, XOF, MAC or AEAD type, or zorvan::Xts<K> for XTS
/// over K.
template <class T> Subject subject() {
    if constexpr (zorvan::Hash<T>) {
        return Crypto::hashView<T>();
    } else if constexpr (zorvan::Xof<T>) {
        return Crypto::xofView<T>();
    } else if constexpr (zorvan::Mac<T>) {
        return Crypto::macView<T>();
    } else if constexpr (zorvan::detail::XtsKey<T>) {
        return Crypto::xtsView<typename T::Cipher>();
    } else if constexpr (zorvan::Aead<T>) {
        return Crypto::aeadView<T>();
    } else {
        static_assert(zorvan::BlockCipher<T>,
                      "a suite tests a zorvan::Hash, zorvan::BlockCipher, zorvan::Xof, "
                      "zorvan::Mac, zorvan::Aead or zorvan::Xts<K>");
        return Crypto::cipherView<T>();
    }
}

/// SuiteOptions: what a run may add to the suites: the length sweeps' long messages (512 MiB
/// each), and how the Wycheproof suites judge their "acceptable" tests.
struct SuiteOptions {
    /// longMessages: end each length sweep with its long message (zorvan-check --long).
    bool longMessages = false;
    /// acceptable: the Wycheproof suites' policy for "acceptable" tests (zorvan-check
    /// --acceptable).
    Wycheproof::Acceptable acceptable = Wycheproof::Acceptable::either;
};

/// DataFolder: a folder a suite reads and the field that starts its records.
struct DataFolder {
    /// directory: the folder.
    std::string_view directory; // under the data root: "Test/KAT_AES"
    /// recordStart: the name of the field that begins each record ("COUNT", "Len").
    std::string_view recordStart;
};

/// Suite: one suite of an algorithm: its kind; its name as zorvan-check shows it, where "{bits}"
/// stands for the key length of the key type under test ("AES{bits}-CTR" is AES128-CTR for a
/// 128-bit one; for XTS, of each of its two cipher keys); the folders it reads; and how it builds
/// its tests. build throws what the suite's builder throws, and std::bad_variant_access for a
/// subject of another primitive.
struct Suite {
    /// kind: what sort of suite it is.
    SuiteKind kind;
    /// name: the suite's name, "{bits}" standing for the key length.
    std::string name;
    /// folders: the data folders it reads; none for a suite of properties or laws.
    std::vector<DataFolder> folders;
    /// build: the suite's tests for a subject, read from the data source.
    std::function<std::vector<zorvan::testing::Test>(const Subject&, const DataSource&,
                                                     const SuiteOptions&)>
        build;
};

/// Primitive: what kind of algorithm a row is, and so the view its suites take.
enum class Primitive { hash, blockCipher, xof, mac, xts, aead };

/// Algorithm: one row of the table. For a hash, outputOctets is its digest and blockOctets its
/// block; for an XOF, blockOctets is its rate and outputOctets the output of its message files;
/// for a block cipher, blockOctets is its block (and an IV's length) and keyOctets the key sizes
/// it has, whichever one a key type takes; for a MAC over a block cipher, the same, and
/// outputOctets its full tag; for XTS, the cipher's block and key sizes (an XTS key is two); for
/// an AEAD, blockOctets is the block of the cipher under it and keyOctets its key sizes.
struct Algorithm {
    /// name: the row's name, as zorvan-check and makeAlgorithmTests name it ("SHA256").
    std::string name;
    /// primitive: a hash or a block cipher.
    Primitive primitive;
    /// blockOctets: a hash's block, or a block cipher's block and IV, in octets.
    std::size_t blockOctets;
    /// outputOctets: a hash's digest length in octets; 0 for a block cipher.
    std::size_t outputOctets;
    /// keyOctets: a block cipher's key sizes in octets; empty for a hash.
    std::vector<std::size_t> keyOctets;
    /// suites: the row's suites, in the order zorvan-check runs them.
    std::vector<Suite> suites;
};

/// algorithms: the table, in the order zorvan-check lists a backend's algorithms.
const std::vector<Algorithm>& algorithms();

/// algorithm: the row named name ("SHA256", "AES"). Throws std::invalid_argument naming an
/// algorithm the table does not have.
const Algorithm& algorithm(std::string_view name);

/// suiteName: the suite's name for a subject, "{bits}" replaced by the key length of a cipher's
/// or MAC's key type, or of the cipher under XTS ("AES{bits}" gives "AES128"). Throws what the
/// type's keyLength throws.
std::string suiteName(const Suite& suite, const Subject& subject);

/// buildSuite: the tests of the suite of algorithm that suiteName names for subject ("HMAC-SHA256",
/// "AES128-CTR"). Throws std::invalid_argument naming an algorithm or suite the table does not
/// have, and what the suite's builder throws.
std::vector<zorvan::testing::Test> buildSuite(std::string_view algorithm, std::string_view suite,
                                              const Subject& subject, const DataSource& source,
                                              const SuiteOptions& options = {});

/// makeSuiteTests: buildSuite for the type T.
template <class T>
std::vector<zorvan::testing::Test>
makeSuiteTests(std::string_view algorithm, std::string_view suite, const DataSource& source = {}) {
    return buildSuite(algorithm, suite, subject<T>(), source);
}

/// algorithmTests: every suite of algorithm for subject, each a group named as suiteName names
/// it, in the table's order. Throws as buildSuite does.
std::vector<zorvan::testing::Test> algorithmTests(std::string_view algorithm,
                                                  const Subject& subject, const DataSource& source,
                                                  const SuiteOptions& options = {});

/// makeAlgorithmTests: algorithmTests for the type T.
template <class T>
std::vector<zorvan::testing::Test> makeAlgorithmTests(std::string_view algorithm,
                                                      const DataSource& source = {}) {
    return algorithmTests(algorithm, subject<T>(), source);
}

} // namespace Test::Suites
