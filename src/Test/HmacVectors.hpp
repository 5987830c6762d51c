#pragma once
// HMAC vectors and their tests, shared by the NIST HMAC, RFC HMAC and HMAC-MD5 suites.

#include <Test/Crypto/HashView.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Test::HMAC {

/// HmacVector: one complete record, as its texts stand in the file, with the name of its test
/// and where it stands. Nothing is decoded until the test runs.
struct HmacVector {
    std::string name;
    std::optional<std::string> macLength; // "Tlen": how many leading MAC octets are compared
    std::string key;                      // "Key": hex
    std::string message;                  // "Msg": hex
    std::string mac;                      // "Mac": hex, already cut to "Tlen" octets
    zorvan::testing::VectorOrigin origin{};
    std::optional<std::string> keyLength;     // "Klen": the key's octets, where the file gives it
    std::optional<std::string> messageLength; // "Len": the message's bits, where the file gives it
};

/// quoteCount: a "Count" text as it stands in test names: in double quotes, '"' and '\'
/// escaped with '\', any character outside printable ASCII written as '\' and its decimal
/// code point ("\&" after it when a digit follows). Never fails.
std::string quoteCount(std::string_view count);
/// plainCount: a "Count" text as it stands in the names of the library's own HMAC suites, so
/// that a shell takes the name as it is: each character other than an ASCII letter, digit,
/// '.', '_' or '-' becomes '_'. Never fails.
std::string plainCount(std::string_view count);

/// HmacInputs: a vector decoded: key, message, the message in chunks, the known MAC and the
/// number of octets compared.
struct HmacInputs {
    zorvan::Bytes key;
    zorvan::Bytes message;
    zorvan::LazyBytes chunkedMessage;
    zorvan::Bytes knownMac;
    /// macLength: the octets compared; the whole MAC where the record gives no Tlen.
    std::optional<std::int64_t> macLength;
};

/// decode: the inputs of a vector. Throws Test::Crypto::HexDecodingError for bad hex in "Key",
/// "Msg" or "Mac", and Test::KatValues::KatValueError for a "Tlen", "Klen" or "Len" that is not
/// one integer or disagrees with the octets its field holds, each naming the place and field.
HmacInputs decode(const HmacVector& vector);

/// hmacTest: the unit test of a vector for the digest type in view: it decodes, computes the
/// HMAC contiguously and in chunks, cuts both to "Tlen" octets (where the vector has one) and
/// compares them with the MAC.
zorvan::testing::Test hmacTest(const std::shared_ptr<const Crypto::HashView>& hash,
                               HmacVector vector);

/// sectionTests: into records, the tests of the records of the folder's sections whose "L" is
/// sectionLength, each named namePrefix followed by countName of its "Count". A section of another
/// hash's length is left to it; a section without "L", or of a length no hash has, fails with
/// its records, as does a record with a missing or unknown field. Never fails itself.
void sectionTests(RecordTests& records, const std::shared_ptr<const Crypto::HashView>& hash,
                  const KatFiles::Folder& folder, std::string_view namePrefix,
                  std::string (*countName)(std::string_view), std::string_view sectionLength);

} // namespace Test::HMAC
