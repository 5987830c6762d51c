#pragma once
// Test::MonteCarlo: the NIST Monte Carlo hashing vectors (SHAVS for SHA-1 and SHA-2, SHA3VS
// for SHA-3) installed under Test/KAT_SHA_MONTE. Each checkpoint record is a unit test that
// runs its 1000 chained digests from the previous checkpoint's digest (the file's Seed for
// the first), so every record stands alone and a fault names the first checkpoint it spoils.

#include <Test/Crypto.hpp>
#include <Test/Crypto/hex.hpp>
#include <Test/ParseNistKATs.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/assertion.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace Test::MonteCarlo {

/// katDirectory: the folder of the data directory the suites read.
inline constexpr const char* katDirectory = "Test/KAT_SHA_MONTE";

/// digestsPerCheckpoint: the chained digests between two checkpoints.
inline constexpr std::size_t digestsPerCheckpoint = 1000;

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

/// Chaining: how a Monte Carlo step makes its message. SHAVS hashes the last three digests
/// concatenated (the first step starting from three copies of the seed); SHA3VS hashes the
/// last digest alone.
enum class Chaining { lastThreeDigests, lastDigest };

/// chainingOf: the chaining NIST defines for the algorithm. Throws std::invalid_argument for a
/// value that names no Algorithm.
Chaining chainingOf(Algorithm algorithm);

/// labelOf: the algorithm's label in file and test names ("SHA256", "SHA3_256"). Throws
/// std::invalid_argument for a value that names no Algorithm.
std::string_view labelOf(Algorithm algorithm);

/// Checkpoint: one record as a test: its name ("NistSHA256Monte-7", after its COUNT), the
/// seed it starts from and the digest it must reach, both hex until the test runs.
struct Checkpoint {
    std::string name;
    std::string seedHex;
    std::string digestHex;
    /// origin: its COUNT and MD, where the COUNT stands; checkpoints compare without it.
    zorvan::testing::VectorOrigin origin{};

    friend bool operator==(const Checkpoint& left, const Checkpoint& right) {
        return std::tie(left.name, left.seedHex, left.digestHex) ==
               std::tie(right.name, right.seedHex, right.digestHex);
    }
};

/// seedField: the field that opens the one record of each section of a Monte file (its COUNT
/// and MD pairs follow as fields of that record): the record-start field to parse them with.
inline constexpr const char* seedField = "Seed";

/// checkpoints: the checkpoints of a Monte file parsed with seedField, in file order, each
/// seeded by the MD before it (the section's Seed for the first), their origins naming file
/// (relative to the data directory). A COUNT without an MD ends its section's list, since the
/// seeds after it are unknown. Never fails.
std::vector<Checkpoint> checkpoints(std::string_view label,
                                    std::span<const ParseNistKATs::KatCategory> categories,
                                    std::string_view file = {});

/// readCheckpoints: the checkpoints of "<label>Monte.rsp" in Test/KAT_SHA_MONTE. Throws
/// Test::KatFiles::KatDirectoryError when the folder cannot be listed or the file is missing
/// or cannot be read, and std::invalid_argument as labelOf does.
std::vector<Checkpoint> readCheckpoints(Algorithm algorithm);

/// chainDigests: the digest that digestsPerCheckpoint chained steps of the digest type in view
/// reach from seed, as chaining defines the steps. Throws what the type throws.
zorvan::Bytes chainDigests(const Crypto::HashView& hash, Chaining chaining, zorvan::Bytes seed);

/// monteCarloTests: one unit test per checkpoint of the algorithm's Monte file for the digest
/// type in view, in file order, each chaining its digests when it runs and comparing the last
/// with the record's MD (assertKnownAnswer, the test name as message; bad hex fails with
/// Test::Crypto::HexDecodingError). No property group: the message suites of the same hash
/// carry it. Building throws as readCheckpoints does.
std::vector<zorvan::testing::Test>
monteCarloTests(const std::shared_ptr<const Crypto::HashView>& hash, Algorithm algorithm);

/// makeMonteCarloTests: monteCarloTests for the digest type D.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMonteCarloTests(Algorithm algorithm) {
    return monteCarloTests(Crypto::hashView<D>(), algorithm);
}

/// makeMonteCarloTests: the same for the digest type of the witness, whose value is never
/// read. Reports errors as the overload above does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMonteCarloTests(const D& /*witness*/, Algorithm algorithm) {
    return makeMonteCarloTests<D>(algorithm);
}

} // namespace Test::MonteCarlo
