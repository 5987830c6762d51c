#include <Test/Manifest.hpp>

#include <Test/DataSource.hpp>
#include <Test/JsonVectors.hpp>
#include <Test/KatFiles.hpp>
#include <Test/ParseNistKATs.hpp>
#include <Test/Suites.hpp>
#include <Test/sha256.hpp>

#include <charconv>
#include <map>
#include <stdexcept>

namespace Test {

namespace {

constexpr char separator = '\t';
constexpr std::size_t sha256HexDigits = 64;

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find(separator); tab != std::string_view::npos;
         tab = line.find(separator, start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

template <class Number> std::optional<Number> readNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool isSha256Hex(std::string_view text) {
    return text.size() == sha256HexDigits &&
           text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

} // namespace

Manifest Manifest::parse(std::string_view text, std::string_view path) {
    Manifest manifest;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto fail = [&](const std::string& why) {
            return ManifestError("the data manifest " + std::string(path) +
                                 " does not read at line " + std::to_string(lineNumber) + ": " +
                                 why);
        };
        const std::vector<std::string_view> fields = splitFields(line);
        if (fields.size() != 4) {
            throw fail("it has " + std::to_string(fields.size()) +
                       " tab-separated fields, not 4 (path, size, SHA-256, records)");
        }
        const auto size = readNumber<std::uint64_t>(fields[1]);
        const auto records = readNumber<std::size_t>(fields[3]);
        if (fields[0].empty() || !size || !records || !isSha256Hex(fields[2])) {
            throw fail("expected a path, a size in octets, 64 lower-case hex digits and a "
                       "record count");
        }
        if (manifest.find(fields[0]) != nullptr) {
            throw fail("it lists " + std::string(fields[0]) + " a second time");
        }
        manifest.add(std::string(fields[0]), {*size, std::string(fields[2]), *records});
    }
    return manifest;
}

void Manifest::add(std::string path, ManifestEntry entry) {
    entries_.insert_or_assign(std::move(path), std::move(entry));
}

const ManifestEntry* Manifest::find(std::string_view path) const {
    const auto found = entries_.find(path);
    return found == entries_.end() ? nullptr : &found->second;
}

std::vector<std::string> Manifest::filesIn(std::string_view folder) const {
    const std::string prefix = std::string(folder) + "/";
    std::vector<std::string> names;
    for (auto entry = entries_.lower_bound(prefix);
         entry != entries_.end() && entry->first.starts_with(prefix); ++entry) {
        const std::string_view name = std::string_view(entry->first).substr(prefix.size());
        if (name.find('/') == std::string_view::npos) {
            names.emplace_back(name);
        }
    }
    return names;
}

std::string Manifest::render() const {
    std::string text =
        "# The data manifest of zorvan-tests, written by scripts/data/write-manifest:\n"
        "# path\tsize in octets\tSHA-256\trecords, as the suites that read it count "
        "them\n";
    for (const auto& [path, entry] : entries_) {
        text.append(path)
            .append(1, separator)
            .append(std::to_string(entry.size))
            .append(1, separator)
            .append(entry.sha256)
            .append(1, separator)
            .append(std::to_string(entry.records))
            .append("\n");
    }
    return text;
}

namespace {

// The records of a file's text as the suites that read it with recordStart count them.
std::size_t countRecords(std::string_view recordStart, std::string text) {
    if (recordStart == JsonVectors::recordStart) {
        return JsonVectors::countTests(std::move(text));
    }
    std::size_t records = 0;
    for (const ParseNistKATs::KatCategory& category :
         ParseNistKATs::parseCategories(recordStart, text)) {
        records += category.records.size();
    }
    return records;
}

} // namespace

Manifest describeData(const std::string& root) {
    std::map<std::string_view, std::string_view> folders;
    for (const Suites::Algorithm& algorithm : Suites::algorithms()) {
        for (const Suites::Suite& suite : algorithm.suites) {
            for (const Suites::DataFolder& folder : suite.folders) {
                const auto [known, added] = folders.emplace(folder.directory, folder.recordStart);
                if (!added && known->second != folder.recordStart) {
                    throw std::logic_error(std::string(folder.directory) +
                                           " is read with two record-start fields");
                }
            }
        }
    }
    // Described as it stands, not checked against the manifest it may replace.
    const DataSource source = DataSource::ignoringManifest(root);
    Manifest manifest;
    for (const auto& [directory, recordStart] : folders) {
        KatFiles::readFiles(
            source, directory, KatFiles::everyFile,
            [&manifest, directory, recordStart](const std::string& path, const std::string& name,
                                                std::string text) {
                const std::size_t records = countRecords(recordStart, std::move(text));
                const std::string stored = KatFiles::readStored(path);
                manifest.add(std::string(directory) + "/" + name,
                             {stored.size(), Sha256::toHex(Sha256::digest(stored)), records});
                return records;
            });
    }
    return manifest;
}

} // namespace Test
