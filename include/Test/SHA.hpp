#pragma once
// Test::SHA: the NIST SHA-1 and SHA-2 message vectors installed under Test/KAT_SHA, one unit
// test per vector, followed by the hash property group.

#include <Test/Crypto.hpp>
#include <Test/KatFiles.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Test::SHA {

/// ShaVector: one complete record of a selected file, as its texts stand there, with the
/// name of its test ("NistSHA256-17") and where it stands. Nothing is decoded until the test
/// runs.
struct ShaVector {
    std::string name;
    std::string length;  // "Len": the message length in bits
    std::string message; // "Msg": hex
    std::string digest;  // "MD": hex
    zorvan::testing::VectorOrigin origin{};
};

/// readVectors: the vectors of every regular file of Test/KAT_SHA whose name begins with label
/// (case-sensitively), in listing order, then file order; records lacking "Len", "Msg" or
/// "MD" are skipped and take no number. Throws Test::KatFiles::KatDirectoryError when the
/// directory cannot be listed or a selected file cannot be read.
std::vector<ShaVector> readVectors(std::string_view label);

/// fileVectors: the vectors of files already read from the data directory's
/// relativeDirectory, in their order, the tests named after label as readVectors names them;
/// the records move into the vectors' origins. Never fails.
std::vector<ShaVector> fileVectors(std::string_view relativeDirectory, std::string_view label,
                                   std::vector<KatFiles::KatFile> files);

/// ShaInputs: a vector decoded: the message cut to its "Len" bits rounded down to octets, the
/// same message in chunks, and the known digest.
struct ShaInputs {
    zorvan::Bytes message;
    zorvan::LazyBytes chunkedMessage;
    zorvan::Bytes knownDigest;
};

/// decode: the inputs of a vector. Throws Test::Crypto::HexDecodingError for bad hex in "Msg"
/// or "MD" and Test::KatValues::KatValueError, quoting the text, for a "Len" that is not one
/// integer.
ShaInputs decode(const ShaVector& vector);

/// assertDigests: assertKnownAnswer with the vector's name as the message, the pair
/// (contiguous digest, chunked digest) as computed, (known digest, known digest) as the known
/// answer, and the vector's origin. Throws zorvan::testing::AssertionFailure when they differ.
void assertDigests(const ShaVector& vector, zorvan::Bytes contiguousDigest,
                   zorvan::Bytes chunkedDigest, const zorvan::Bytes& knownDigest);

/// vectorTests: one unit test per vector for the digest type in view, in vector order; each
/// decodes, hashes contiguously and in chunks, and compares when it runs. Never fails itself.
std::vector<zorvan::testing::Test> vectorTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                               std::vector<ShaVector> vectors);

/// vectorTests: the same for the digest type D.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> vectorTests(std::vector<ShaVector> vectors) {
    return vectorTests(Crypto::hashView<D>(), std::move(vectors));
}

/// getTests: one unit test per vector of label for the digest type D, in vector order; each
/// decodes, hashes contiguously and in chunks, and compares when it runs. Throws as
/// readVectors does.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> getTests(std::string_view label) {
    return vectorTests<D>(readVectors(label));
}

/// suiteTests: vectorTests of the vectors for the digest type in view, then the hash property
/// group. Never fails itself.
std::vector<zorvan::testing::Test> suiteTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                              std::vector<ShaVector> vectors);

namespace detail {

template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeTests(std::string_view label) {
    return suiteTests(Crypto::hashView<D>(), readVectors(label));
}

} // namespace detail

/// makeSHA1Tests ... makeSHA512Tests: the vectors of the files whose names begin with "SHA1"
/// ... "SHA512" as unit tests for the digest type D, then the hash property group. The
/// witness only selects D. Throw Test::KatFiles::KatDirectoryError when Test/KAT_SHA cannot
/// be listed or a selected file cannot be read.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA1Tests() {
    return detail::makeTests<D>("SHA1");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA224Tests() {
    return detail::makeTests<D>("SHA224");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA256Tests() {
    return detail::makeTests<D>("SHA256");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA384Tests() {
    return detail::makeTests<D>("SHA384");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA512Tests() {
    return detail::makeTests<D>("SHA512");
}

template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA1Tests(const D& /*witness*/) {
    return makeSHA1Tests<D>();
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA224Tests(const D& /*witness*/) {
    return makeSHA224Tests<D>();
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA256Tests(const D& /*witness*/) {
    return makeSHA256Tests<D>();
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA384Tests(const D& /*witness*/) {
    return makeSHA384Tests<D>();
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA512Tests(const D& /*witness*/) {
    return makeSHA512Tests<D>();
}

} // namespace Test::SHA
