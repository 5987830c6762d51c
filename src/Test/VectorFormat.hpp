#pragma once
// Test::VectorFormat: which reader a vector file a user brings is for: a CAVP response file, an
// ACVP prompt, expectedResults or internalProjection file, or a Wycheproof file, with what it
// says of its algorithm; or why it cannot be mapped to any of them.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Test::VectorFormat {

/// Format: the kinds of vector file the readers take.
enum class Format {
    cavpResponse,           // NAME = VALUE records (ParseNistKATs)
    acvpPrompt,             // AcvpFiles, paired with its expectedResults
    acvpExpectedResults,    // AcvpFiles, paired with its prompt
    acvpInternalProjection, // AcvpFiles, alone
    wycheproof,             // WycheproofFiles
};

/// formatName: "CAVP response file", "ACVP prompt", "ACVP expectedResults", "ACVP
/// internalProjection", "Wycheproof". Never fails.
std::string_view formatName(Format format) noexcept;

/// Detected: a file's format and what it says of itself: for ACVP its algorithm, mode ("" when
/// none) and revision; for Wycheproof its algorithm and schema; for a CAVP response file the
/// field that starts its records ("COUNT", "Len"), how many it holds, and the algorithm its
/// header comment names, if it names one: "SHA-256" of a line '#  "SHA-256 ShortMsg"
/// information', "AES-CBC" of a line '# AESVS GFSbox test data for CBC'.
struct Detected {
    Format format = Format::cavpResponse;
    std::string algorithm;
    std::string mode;
    std::string revision;
    std::string schema;
    std::string recordStart;
    std::size_t records = 0;
};

/// FormatError: a file no reader takes; what() names the file and says why.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// detect: the format of the file named fileName whose text (gzip already expanded) is text.
/// JSON (an object, or an array that is empty or of objects) is told by its members: Wycheproof's
/// schema or numberOfTests, ACVP's vsId, algorithm and revision; an ACVP file by its name when it
/// is a set's (prompt.json, expectedResults.json, internalProjection.json, optionally .gz), else by
/// its groups: only tgId and tests is expectedResults, an internalTestType or a test's deferred is
/// internalProjection, else a prompt. Other text is a response file when it holds a NAME = VALUE
/// record. Throws FormatError for binary or gzip-compressed text, JSON that does not read or is of
/// neither kind, a file that declares no algorithm, and text with no record.
Detected detect(std::string_view fileName, std::string text);

/// detectFile: detect of the file at path read with KatFiles::readWhole (".gz" expanded).
/// Throws what readWhole throws, and FormatError.
Detected detectFile(const std::string& path);

} // namespace Test::VectorFormat
