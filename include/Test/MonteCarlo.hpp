#pragma once
// Test::MonteCarlo: the NIST Monte Carlo hashing vectors (SHAVS for SHA-1 and SHA-2, SHA3VS
// for SHA-3) installed under Test/KAT_SHA_MONTE. Each checkpoint record is a unit test that
// runs its 1000 chained digests from the previous checkpoint's digest (the file's Seed for
// the first), so every record stands alone and a fault names the first checkpoint it spoils.

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::MonteCarlo {

/// Algorithm: a hash with NIST Monte Carlo vectors.
enum class Algorithm {
    sha1,
    sha224,
    sha256,
    sha384,
    sha512,
    sha512_224,
    sha512_256,
    sha3_224,
    sha3_256,
    sha3_384,
    sha3_512,
};

/// monteCarloTests: one unit test per checkpoint of the algorithm's Monte file
/// ("<label>Monte.rsp" in Test/KAT_SHA_MONTE) for the digest type in view, in file order, named
/// "Nist<label>Monte-<COUNT>", each chaining 1000 digests from the checkpoint before it (the
/// file's Seed for the first) when it runs and comparing the last with the record's MD. A COUNT
/// without its MD, an MD without its COUNT or an unknown field fails the suite with a leaf named
/// after its place (the checkpoints after it cannot be seeded), as do a file that differs from
/// the data's manifest and a file that gives no test. No property group: the message suites of
/// the same hash carry it. Throws Test::KatFiles::KatDirectoryError when the folder cannot be
/// listed or the file is missing or cannot be read, and std::invalid_argument for a value that
/// names no Algorithm.
std::vector<zorvan::testing::Test>
monteCarloTests(const std::shared_ptr<const Crypto::HashView>& hash, Algorithm algorithm,
                const DataSource& source = {});

/// makeMonteCarloTests: monteCarloTests for the digest type D.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMonteCarloTests(Algorithm algorithm,
                                                       const DataSource& source = {}) {
    return monteCarloTests(Crypto::messageView<D>(), algorithm, source);
}

/// makeMonteCarloTests: the same for the digest type of the witness, whose value is never
/// read.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMonteCarloTests(const D& /*witness*/, Algorithm algorithm,
                                                       const DataSource& source = {}) {
    return makeMonteCarloTests<D>(algorithm, source);
}

} // namespace Test::MonteCarlo
