#pragma once
// Test::HMAC: the NIST HMAC vectors installed under Test/KAT_HMAC, one unit test per vector
// of the sections whose digest length "L" belongs to the hash.

#include <Test/Crypto.hpp>
#include <Test/KatFiles.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Test::HMAC {

/// algToLen: the digest length in octets, as the text of the "L" section header, of the
/// label "SHA1", "SHA224", "SHA256", "SHA384" or "SHA512" ("20" ... "64"). Throws
/// std::invalid_argument naming any other label.
std::string_view algToLen(std::string_view label);

/// HmacVector: one complete record of a selected section, as its texts stand there, with
/// the name of its test (NistHMACSHA1-"0") and where it stands. Nothing is decoded until the
/// test runs.
struct HmacVector {
    std::string name;
    std::string macLength; // "Tlen": how many leading MAC octets are compared
    std::string key;       // "Key": hex
    std::string message;   // "Msg": hex
    std::string mac;       // "Mac": hex, already cut to "Tlen" octets
    zorvan::testing::VectorOrigin origin{};
};

/// quoteCount: a "Count" text as it stands in test names: in double quotes, '"' and '\'
/// escaped with '\', any character outside printable ASCII written as '\' and its decimal
/// code point ("\&" after it when a digit follows). Never fails.
std::string quoteCount(std::string_view count);

/// readVectors: the vectors of every regular file of Test/KAT_HMAC, in listing order, taken
/// from the sections whose "L" property is algToLen(label), in file order; records lacking
/// "Count", "Tlen", "Key", "Msg" or "Mac" are skipped. Throws
/// Test::KatFiles::KatDirectoryError when the directory cannot be listed or a file cannot be
/// read, and std::invalid_argument for a label algToLen does not know.
std::vector<HmacVector> readVectors(std::string_view label);

/// sectionVectors: the vectors of the sections of files (read from the data directory's
/// relativeDirectory) whose "L" property is sectionLength, in file, section and record order,
/// each named namePrefix followed by its quoted "Count"; records lacking "Count", "Tlen",
/// "Key", "Msg" or "Mac" are skipped. Never fails.
std::vector<HmacVector> sectionVectors(std::string_view namePrefix, std::string_view sectionLength,
                                       std::string_view relativeDirectory,
                                       std::span<const KatFiles::KatFile> files);

/// HmacInputs: a vector decoded: key, message, the message in chunks, the known MAC and the
/// number of octets compared.
struct HmacInputs {
    zorvan::Bytes key;
    zorvan::Bytes message;
    zorvan::LazyBytes chunkedMessage;
    zorvan::Bytes knownMac;
    std::int64_t macLength;
};

/// decode: the inputs of a vector. Throws Test::Crypto::HexDecodingError for bad hex in "Key",
/// "Msg" or "Mac" and Test::KatValues::KatValueError, quoting the text, for a "Tlen" that is
/// not one integer.
HmacInputs decode(const HmacVector& vector);

/// assertMacs: assertKnownAnswer with the vector's name as the message, the pair (contiguous
/// MAC, chunked MAC), each cut to the first macLength octets, as computed, (known MAC, known
/// MAC) as the known answer, and the vector's origin. Throws
/// zorvan::testing::AssertionFailure when they differ.
void assertMacs(const HmacVector& vector, const HmacInputs& inputs,
                const zorvan::Bytes& contiguousMac, const zorvan::Bytes& chunkedMac);

/// bindTests: one unit test per vector for the digest type in view, in vector order; each
/// decodes, computes the HMAC contiguously and in chunks, and compares when it runs. Never fails.
std::vector<zorvan::testing::Test> bindTests(const std::shared_ptr<const Crypto::MacView>& mac,
                                             std::vector<HmacVector> vectors);

/// bindTests: the same for the digest type D.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> bindTests(std::vector<HmacVector> vectors) {
    return bindTests(Crypto::macView<D>(), std::move(vectors));
}

/// getTests: bindTests of the vectors of label for the digest type D. Throws as readVectors
/// does.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> getTests(std::string_view label) {
    return bindTests<D>(readVectors(label));
}

/// makeSHA1HMACTests ... makeSHA512HMACTests: the HMAC vectors of the sections [L=20] ...
/// [L=64] as unit tests for the digest type D; no property group. The witness only selects
/// D. Throw Test::KatFiles::KatDirectoryError when Test/KAT_HMAC cannot be listed or one of
/// its files cannot be read.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA1HMACTests() {
    return getTests<D>("SHA1");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA224HMACTests() {
    return getTests<D>("SHA224");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA256HMACTests() {
    return getTests<D>("SHA256");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA384HMACTests() {
    return getTests<D>("SHA384");
}
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeSHA512HMACTests() {
    return getTests<D>("SHA512");
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1HMACTests(const D& /*witness*/) {
    return makeSHA1HMACTests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224HMACTests(const D& /*witness*/) {
    return makeSHA224HMACTests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256HMACTests(const D& /*witness*/) {
    return makeSHA256HMACTests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384HMACTests(const D& /*witness*/) {
    return makeSHA384HMACTests<D>();
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512HMACTests(const D& /*witness*/) {
    return makeSHA512HMACTests<D>();
}

} // namespace Test::HMAC
