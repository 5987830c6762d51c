#pragma once
// Test::NistHashFiles: NIST hash response files selected by exact name, for the suites whose
// folder holds the files of several algorithms (SHA-3, SHA-512/t, Monte Carlo hashing).

#include <Test/Crypto.hpp>
#include <Test/KatFiles.hpp>
#include <Test/SHA.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Test::NistHashFiles {

/// readNamedFiles: exactly the files fileNames of the data directory's relativeDirectory,
/// each read whole and parsed with startName as the record-start field, in the order of
/// fileNames. Throws Test::KatFiles::KatDirectoryError when the directory cannot be listed,
/// and, naming the file, when one of them is missing or cannot be read: a suite that selects
/// its files by name must not shrink silently.
std::vector<KatFiles::KatFile> readNamedFiles(std::string_view relativeDirectory,
                                              std::string_view startName,
                                              std::span<const std::string> fileNames);

/// messageFileNames: the names of label's NIST message files, "<label>ShortMsg.rsp" then
/// "<label>LongMsg.rsp". Never fails.
std::vector<std::string> messageFileNames(std::string_view label);

/// readMessageVectors: the vectors of label's message files in relativeDirectory, short
/// messages first, the tests named "Nist<label>-<number>" as the SHA suites name theirs.
/// Throws as readNamedFiles does.
std::vector<SHA::ShaVector> readMessageVectors(std::string_view relativeDirectory,
                                               std::string_view label);

/// makeMessageFileTests: label's message vectors in relativeDirectory as unit tests for the
/// digest type D, each hashing contiguously and in chunks, then the hash property group.
/// Throws as readNamedFiles does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMessageFileTests(std::string_view relativeDirectory,
                                                        std::string_view label) {
    return SHA::suiteTests(Crypto::hashView<D>(), readMessageVectors(relativeDirectory, label));
}

} // namespace Test::NistHashFiles
