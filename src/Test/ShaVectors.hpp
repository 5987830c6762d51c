#pragma once
// The message vectors of the NIST hash response files (SHAVS, SHA3VS): "Len", "Msg" and "MD"
// records, read from a folder into unit tests for a hash view. The SHA, SHA-3 and SHA-512/t
// suites share them.

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Test::SHA {

/// ShaVector: one complete record, as its texts stand in the file, with the name of its test
/// ("NistSHA256-17") and where it stands. Nothing is decoded until the test runs.
struct ShaVector {
    std::string name;
    std::string length;  // "Len": the message length in bits
    std::string message; // "Msg": hex
    std::string digest;  // "MD": hex
    zorvan::testing::VectorOrigin origin{};
};

/// lengthField: the record-start field of the message files.
inline constexpr std::string_view lengthField = "Len";

/// ShaInputs: a vector decoded: the message cut to its "Len" bits rounded down to octets, the
/// same message in chunks, and the known digest.
struct ShaInputs {
    zorvan::Bytes message;
    zorvan::LazyBytes chunkedMessage;
    zorvan::Bytes knownDigest;
};

/// decode: the inputs of a vector. Throws Test::Crypto::HexDecodingError for bad hex in "Msg"
/// or "MD", and Test::KatValues::KatValueError for a "Len" that is not one integer or that
/// disagrees with the octets "Msg" holds (the number of octets its bits need; "Len = 0" takes
/// "00" or nothing), each naming the place and the field.
ShaInputs decode(const ShaVector& vector);

/// messageRecords: the records of the folder's files, in file and record order, each complete
/// one a vector named "Nist<label>-<n>", n counting the complete records from 1; a record with
/// a missing or unknown field is damaged. Never fails beyond allocation.
std::vector<ReadRecord<ShaVector>> messageRecords(const KatFiles::Folder& folder,
                                                  std::string_view label);

/// messageFileTests: one unit test per record of the folder's files, in file and record order,
/// for the digest type in view, named "Nist<label>-<n>" with n counting from 1 the records that
/// became tests; each decodes, hashes contiguously and in chunks, and compares when it runs.
/// Records and files are accounted for as RecordTests does. Never fails itself.
std::vector<zorvan::testing::Test>
messageFileTests(const std::shared_ptr<const Crypto::HashView>& hash, const DataSource& source,
                 const KatFiles::Folder& folder, std::string_view label);

/// readNamedFiles: readFolder of exactly the files fileNames of the source's relativeDirectory,
/// parsed with "Len", in the order of fileNames. Throws KatFiles::KatDirectoryError when the
/// folder cannot be listed, and, naming the file, when one of them is missing or cannot be
/// read: a suite that selects its files by name must not shrink silently.
KatFiles::Folder readNamedFiles(const DataSource& source, std::string_view relativeDirectory,
                                std::span<const std::string> fileNames,
                                std::string_view startName = lengthField);

/// messageFileNames: the names of label's NIST message files, "<label>ShortMsg.rsp" then
/// "<label>LongMsg.rsp". Never fails.
std::vector<std::string> messageFileNames(std::string_view label);

/// namedFileSuite: messageFileTests of label's two message files in the source's
/// relativeDirectory, then the hash property group: the SHA-3 and SHA-512/t suites. Throws as
/// readNamedFiles does.
std::vector<zorvan::testing::Test>
namedFileSuite(const std::shared_ptr<const Crypto::HashView>& hash, const DataSource& source,
               std::string_view relativeDirectory, std::string_view label);

} // namespace Test::SHA
