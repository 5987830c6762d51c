#pragma once
// Test::HashSweep: hash digests of every message length from 0 to two blocks plus two octets
// (Test/KAT_HASH_SWEEP), where padding faults at particular lengths show, and on request one
// message longer than 2^32 bits (Test/KAT_HASH_LONG), where a 32-bit length counter shows.
// The messages follow a fixed pattern, octet i being i mod 251, so the files hold only
// lengths and digests.

#include <Test/Crypto.hpp>
#include <Test/KatValues.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Test::HashSweep {

/// LongMessage: whether a sweep builder adds the long-message test, which hashes 512 MiB.
enum class LongMessage { skip, include };

/// patternMessage: the first `length` octets of the pattern, octet i being i mod 251. Never
/// fails.
zorvan::Bytes patternMessage(std::size_t length);

/// feedPattern: calls feed with consecutive pieces of the first `length` octets of the
/// pattern, a few hundred KiB at most each, so that no message is ever held whole. Errors are
/// those feed throws.
void feedPattern(std::uint64_t length,
                 const std::function<void(std::span<const std::uint8_t>)>& feed);

/// PatternVector: one record of a selected file: the test's name ("SweepSHA256-440bits"),
/// the "Len" text (bits) and the "MD" text (hex), undecoded.
struct PatternVector {
    std::string name;
    std::string length;
    std::string digest;
    zorvan::testing::VectorOrigin origin{};
};

/// readSweepVectors, readLongVectors: the records of "<label>Sweep.rsp" in Test/KAT_HASH_SWEEP,
/// or of "<label>Long.rsp" in Test/KAT_HASH_LONG ("SHA256" as label), in file order, with
/// their origins; records lacking "MD" are skipped (and noted in the open record ledger). Throw
/// Test::KatFiles::KatDirectoryError when the folder cannot be listed or the file read, and
/// std::invalid_argument naming the file when it is missing.
std::vector<PatternVector> readSweepVectors(std::string_view label);
std::vector<PatternVector> readLongVectors(std::string_view label);

/// messageOctets: the vector's "Len" in octets. Throws Test::KatValues::KatValueError quoting
/// the text when it is not a non-negative multiple of 8.
std::uint64_t messageOctets(const PatternVector& vector);

/// assertDigest: assertKnownAnswer with the vector's name and how the digest was computed
/// ("chunked") as the message, the computed digest, the known one and the vector's origin. Throws
/// zorvan::testing::AssertionFailure when they differ and Test::Crypto::HexDecodingError when "MD"
/// is not hex.
void assertDigest(const PatternVector& vector, const std::string& how, const zorvan::Bytes& digest);

/// sweepTests: the tests of label's sweep file for the digest type in view, each hashing the
/// pattern contiguously and in chunks; with LongMessage::include, then the long-message test,
/// which feeds the type's Context so that the message is never held whole. Throws as
/// readSweepVectors and readLongVectors do.
std::vector<zorvan::testing::Test> sweepTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                              std::string_view label, LongMessage longMessage);

namespace detail {

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeTests(std::string_view label, LongMessage longMessage) {
    return sweepTests(Crypto::hashView<D>(), label, longMessage);
}

} // namespace detail

/// makeMD5SweepTests, makeSHA1SweepTests ... makeSHA512SweepTests: one unit test per length of
/// the hash's sweep file, hashing the pattern contiguously and in chunks; with
/// LongMessage::include, then the long-message test (about a second). The witness only selects
/// D. Throw as readSweepVectors and readLongVectors do.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMD5SweepTests(LongMessage longMessage = LongMessage::skip) {
    return detail::makeTests<D>("MD5", longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1SweepTests(LongMessage longMessage = LongMessage::skip) {
    return detail::makeTests<D>("SHA1", longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test>
makeSHA224SweepTests(LongMessage longMessage = LongMessage::skip) {
    return detail::makeTests<D>("SHA224", longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test>
makeSHA256SweepTests(LongMessage longMessage = LongMessage::skip) {
    return detail::makeTests<D>("SHA256", longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test>
makeSHA384SweepTests(LongMessage longMessage = LongMessage::skip) {
    return detail::makeTests<D>("SHA384", longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test>
makeSHA512SweepTests(LongMessage longMessage = LongMessage::skip) {
    return detail::makeTests<D>("SHA512", longMessage);
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMD5SweepTests(const D& /*witness*/,
                                                     LongMessage longMessage = LongMessage::skip) {
    return makeMD5SweepTests<D>(longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1SweepTests(const D& /*witness*/,
                                                      LongMessage longMessage = LongMessage::skip) {
    return makeSHA1SweepTests<D>(longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test>
makeSHA224SweepTests(const D& /*witness*/, LongMessage longMessage = LongMessage::skip) {
    return makeSHA224SweepTests<D>(longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test>
makeSHA256SweepTests(const D& /*witness*/, LongMessage longMessage = LongMessage::skip) {
    return makeSHA256SweepTests<D>(longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test>
makeSHA384SweepTests(const D& /*witness*/, LongMessage longMessage = LongMessage::skip) {
    return makeSHA384SweepTests<D>(longMessage);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test>
makeSHA512SweepTests(const D& /*witness*/, LongMessage longMessage = LongMessage::skip) {
    return makeSHA512SweepTests<D>(longMessage);
}

} // namespace Test::HashSweep
