#pragma once
// The NIST Monte Carlo hashing files: one "Seed" record per section whose COUNT and MD pairs are
// checkpoints, each the digest that 1000 chained steps reach from the checkpoint before it.

#include <Test/Crypto/HashView.hpp>
#include <Test/MonteCarlo.hpp>
#include <Test/ParseNistKATs.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace Test::MonteCarlo {

/// katDirectory: the folder of the data directory the suites read.
inline constexpr const char* katDirectory = "Test/KAT_SHA_MONTE";

/// digestsPerCheckpoint: the chained digests between two checkpoints.
inline constexpr std::size_t digestsPerCheckpoint = 1000;

/// seedField: the field that opens the one record of each section of a Monte file (its COUNT
/// and MD pairs follow as fields of that record): the record-start field to parse them with.
inline constexpr const char* seedField = "Seed";

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

/// Checkpoint: one COUNT and MD pair as a test: its name ("NistSHA256Monte-7", after its COUNT),
/// the seed it starts from and the digest it must reach, both hex until the test runs.
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

/// BrokenChain: where a section's chain breaks: the line of the field at fault and why.
struct BrokenChain {
    std::size_t line = 0;
    std::string why;
};

/// SectionCheckpoints: the checkpoints of one section up to where its chain breaks, if it does.
struct SectionCheckpoints {
    std::vector<Checkpoint> checkpoints;
    std::optional<BrokenChain> broken;
};

/// checkpoints: the checkpoints of each record of a Monte file parsed with seedField, in file
/// order, each seeded by the MD before it (the section's Seed for the first), their origins
/// naming file (relative to the data directory). A field out of the COUNT, MD order or of
/// another name breaks its section's chain there: the seeds after it are unknown. Never fails.
std::vector<SectionCheckpoints> checkpoints(std::string_view label,
                                            std::span<const ParseNistKATs::KatCategory> categories,
                                            std::string_view file = {});

/// chainDigests: the digest that digestsPerCheckpoint chained steps of the digest type in view
/// reach from seed, as chaining defines the steps. Throws what the type throws.
zorvan::Bytes chainDigests(const Crypto::HashView& hash, Chaining chaining, zorvan::Bytes seed);

} // namespace Test::MonteCarlo
