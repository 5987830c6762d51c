#pragma once
// Test::AcvpHash: NIST's ACVP vector sets of SHA-1, SHA-2 and SHA-3 (installed under
// Test/ACVP/<set>), one leaf per test: functional tests (AFT), Monte Carlo chains (MCT) as the
// group's mctVersion says, and large data tests (LDT) streamed through the type's Context, run
// only when asked (zorvan-check --long).

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::AcvpHash {

/// LargeData: whether a run hashes the large data tests' messages (up to 8 GiB each, streamed
/// in pieces of about 1 MiB) or lists their leaves as skipped.
enum class LargeData { skip, run };

/// largeDataReason: why a large data test is skipped in a run that leaves them.
inline constexpr std::string_view largeDataReason =
    "large data test: runs in the long tier (zorvan-check --long)";

/// hashSetTests: the ACVP hash set in the source's relativeDirectory ("Test/ACVP/SHA2-256-1.0":
/// a prompt and its expectedResults, or an internalProjection, gzip or not) for the digest type
/// in view, as one group named after the set ("ACVP-SHA2-256") holding a group "tg<tgId>" per
/// test group holding a leaf "tc<tcId>" per test. An AFT leaf hashes msg (its len bits)
/// contiguously and in chunks and compares md; an MCT leaf runs the chain of SHA-1/SHA-2
/// (A || B || C) or of SHA-3 (the digest alone) that the set's algorithm names, "standard" or
/// "alternate" as mctVersion says, and compares each of resultsArray's 100 checkpoints; an LDT
/// leaf feeds the described message to one Context in pieces when largeData is run, and skips
/// with largeDataReason otherwise. A message that is not whole octets skips its leaf
/// ("bit-length message: the type hashes octets"). A failure names the file, tgId and tcId, with
/// the computed and known digests. Damaged tests, files that differ from the data's manifest
/// and an unknown testType fail their own leaves. Throws Test::KatFiles::KatDirectoryError when
/// the folder cannot be listed or a file cannot be read.
std::vector<zorvan::testing::Test> hashSetTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                                std::string_view relativeDirectory,
                                                LargeData largeData = LargeData::skip,
                                                const DataSource& source = {});

/// makeAcvpHashTests: hashSetTests for the digest type D. Throws as hashSetTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeAcvpHashTests(std::string_view relativeDirectory,
                                                     LargeData largeData = LargeData::skip,
                                                     const DataSource& source = {}) {
    return hashSetTests(Crypto::messageView<D>(), relativeDirectory, largeData, source);
}

} // namespace Test::AcvpHash
