#include <Test/CMAC.hpp>

#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatRecords.hpp>
#include <Test/KatValues.hpp>
#include <Test/MacVectors.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>

#include <array>
#include <string_view>

namespace Test::CMAC {

namespace {

constexpr std::string_view countField = "COUNT";
constexpr std::string_view keyField = "KEY";
constexpr std::string_view messageField = "MESSAGE";
constexpr std::string_view tagField = "OUTPUT";
constexpr std::array<std::string_view, 4> knownFields{countField, keyField, messageField, tagField};

} // namespace

std::vector<zorvan::testing::Test> cmacTests(const std::shared_ptr<const Crypto::MacView>& mac,
                                             const DataSource& source) {
    const Suites::Algorithm& cmac = Suites::algorithm("AES-CMAC");
    const KatFiles::Folder folder = KatFiles::readFolder(source, katDirectory, countField);
    RecordTests records(source);
    records.beginFolder(folder);
    KatFiles::forEachRecord(folder, [&](const KatFiles::KatFile& file,
                                        const ParseNistKATs::KatCategory&,
                                        const ParseNistKATs::KatRecord& record,
                                        std::size_t number) {
        if (std::string damage = recordDamage(record, knownFields, knownFields); !damage.empty()) {
            return records.fail({folder.directory, file.name, record.line()}, damage);
        }
        const auto text = [&record](std::string_view field) {
            return std::string(*record.field(field));
        };
        bindMacVector(records, mac, cmac.keyOctets,
                      {file.name + "-" + text(countField), text(keyField), text(messageField),
                       text(tagField), MacResult::valid,
                       KatOrigin::recordOrigin(folder.directory, file.name, record, number)});
    });
    records.endFolder();
    return std::move(records).take();
}

} // namespace Test::CMAC
