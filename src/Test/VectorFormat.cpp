#include <Test/VectorFormat.hpp>

#include <Test/JsonVectors.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatValues.hpp>
#include <Test/ParseNistKATs.hpp>

#include <algorithm>

namespace Test::VectorFormat {

namespace {

using Json::Kind;
using Json::Value;

[[noreturn]] void refuse(std::string_view fileName, const std::string& why) {
    throw FormatError(std::string(fileName) + ": no reader takes it: " + why);
}

std::string text(const Value& header, std::string_view name) {
    return std::string(header.string(name).value_or(""));
}

// The kind of an ACVP file: by a set's file name, else by what its groups hold.
Format acvpKind(std::string_view fileName, const JsonVectors::VectorFile& file) {
    const std::string_view name = fileName.substr(fileName.rfind('/') + 1);
    for (const auto& [stem, format] :
         {std::pair{"prompt.json", Format::acvpPrompt},
          std::pair{"expectedResults.json", Format::acvpExpectedResults},
          std::pair{"internalProjection.json", Format::acvpInternalProjection}}) {
        if (name == stem || name == std::string(stem) + ".gz") {
            return format;
        }
    }
    const bool answersOnly =
        !file.groups.empty() && std::ranges::all_of(file.groups, [](const auto& group) {
            return group.fields.members.size() == 1 && group.fields.find("tgId") != nullptr;
        });
    if (answersOnly) {
        return Format::acvpExpectedResults;
    }
    const bool projection = std::ranges::any_of(file.groups, [](const auto& group) {
        return group.fields.find("internalTestType") != nullptr ||
               std::ranges::any_of(group.tests, [](const JsonVectors::TestObject& test) {
                   return test.fields.find("deferred") != nullptr;
               });
    });
    return projection ? Format::acvpInternalProjection : Format::acvpPrompt;
}

Detected detectJson(std::string_view fileName, std::string text) {
    const JsonVectors::VectorFile file = JsonVectors::readVectorFile(std::move(text));
    const Value& header = file.header;
    if (header.kind != Kind::object) {
        refuse(fileName, file.error ? JsonVectors::describeError(*file.error) : file.damage);
    }
    Detected detected;
    detected.algorithm = VectorFormat::text(header, "algorithm");
    if (header.find("schema") != nullptr || header.find("numberOfTests") != nullptr) {
        detected.format = Format::wycheproof;
        detected.schema = VectorFormat::text(header, "schema");
    } else if (header.find("vsId") != nullptr && header.find("revision") != nullptr) {
        detected.format = acvpKind(fileName, file);
        detected.mode = VectorFormat::text(header, "mode");
        detected.revision = VectorFormat::text(header, "revision");
    } else if (file.error) {
        refuse(fileName, JsonVectors::describeError(*file.error));
    } else {
        refuse(fileName, "a JSON object with neither Wycheproof's members (schema, "
                         "numberOfTests) nor ACVP's (vsId, algorithm, revision)");
    }
    if (detected.algorithm.empty()) {
        refuse(fileName, std::string(formatName(detected.format)) +
                             " JSON that names no algorithm (its \"algorithm\" is missing, "
                             "empty or not a string)");
    }
    return detected;
}

// The algorithm a response file's header comment names: the first word of a quoted
// '"SHA-256 ShortMsg" information', or "AES-" and the mode of 'AESVS GFSbox test data for
// CBC'; "" when no comment line names one.
std::string headerAlgorithm(const std::vector<std::string_view>& lines) {
    constexpr std::string_view aesTest = "AESVS ";
    constexpr std::string_view aesMode = " test data for ";
    for (const std::string_view line : lines) {
        if (line.empty() || line.front() != '#') {
            continue;
        }
        const std::size_t open = line.find('"');
        const std::size_t close = line.find("\" information");
        if (open != std::string_view::npos && close != std::string_view::npos && close > open) {
            const std::string_view quoted = line.substr(open + 1, close - open - 1);
            return std::string(quoted.substr(0, quoted.find(' ')));
        }
        const std::size_t mode = line.find(aesMode);
        if (line.find(aesTest) != std::string_view::npos && mode != std::string_view::npos) {
            return "AES-" + std::string(KatValues::trimmed(line.substr(mode + aesMode.size())));
        }
    }
    return {};
}

// JSON starts with an object, or an array that is empty or of objects (ACVP's exchange array);
// a response file's first line may be a section, "[ENCRYPT]" or "[L = 20]".
bool looksLikeJson(std::string_view text) {
    constexpr std::string_view space = " \t\r\n";
    const std::size_t start = text.find_first_not_of(space);
    if (start == std::string_view::npos || (text[start] != '{' && text[start] != '[')) {
        return false;
    }
    const std::size_t next = text.find_first_not_of(space, start + 1);
    return text[start] == '{' ||
           (next != std::string_view::npos && (text[next] == '{' || text[next] == ']'));
}

Detected detectResponse(std::string_view fileName, const std::string& text) {
    const std::vector<std::string_view> lines = ParseNistKATs::splitLines(text);
    const auto record = std::ranges::find_if(lines, [](std::string_view line) {
        return !line.empty() && line.front() != '#' && line.front() != '[' &&
               line.find('=') != std::string_view::npos;
    });
    if (record == lines.end()) {
        refuse(fileName, "neither JSON nor a response file: no NAME = VALUE line");
    }
    const std::string_view name = record->substr(0, record->find('='));
    const std::size_t first = name.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        refuse(fileName, "a response file line with no field name before its '='");
    }
    Detected detected;
    detected.algorithm = headerAlgorithm(lines);
    detected.recordStart = name.substr(first, name.find_last_not_of(" \t") - first + 1);
    for (const ParseNistKATs::KatCategory& category :
         ParseNistKATs::parseCategories(detected.recordStart, text)) {
        detected.records += category.records.size();
    }
    return detected;
}

} // namespace

std::string_view formatName(Format format) noexcept {
    switch (format) {
    case Format::cavpResponse:
        return "CAVP response file";
    case Format::acvpPrompt:
        return "ACVP prompt";
    case Format::acvpExpectedResults:
        return "ACVP expectedResults";
    case Format::acvpInternalProjection:
        return "ACVP internalProjection";
    case Format::wycheproof:
        return "Wycheproof";
    }
    return "vector file";
}

Detected detect(std::string_view fileName, std::string text) {
    if (text.starts_with("\x1f\x8b")) {
        refuse(fileName, "gzip-compressed text under a name that does not end in .gz");
    }
    if (const std::size_t zero = text.find('\0'); zero != std::string::npos) {
        refuse(fileName, "binary, not text: a NUL octet at offset " + std::to_string(zero));
    }
    if (looksLikeJson(text)) {
        return detectJson(fileName, std::move(text));
    }
    return detectResponse(fileName, text);
}

Detected detectFile(const std::string& path) {
    return detect(path, KatFiles::readWhole(path));
}

} // namespace Test::VectorFormat
