#include <Test/KatValues.hpp>
#include <Test/Suites.hpp>
#include <Test/Wycheproof.hpp>
#include <Test/WycheproofTests.hpp>
#include <Test/XtsVectors.hpp>

#include <algorithm>
#include <array>
#include <cstdint>

namespace Test::Wycheproof {

namespace {

using WycheproofFiles::Result;

constexpr std::array<std::string_view, 4> xtsFields{"key", "iv", "msg", "ct"};
constexpr std::size_t tweakOctets = 16;

// Why a test is none XTS can run, "" when it is one: XTS has no invalid input a test could
// give (a data unit too short is refused by the laws), and a tweak is at most 16 octets.
std::string xtsDamage(const WycheproofFiles::Test& test, const std::optional<zorvan::Bytes>& iv) {
    if (test.result != Result::valid) {
        return "an XTS test whose result is " + std::string(resultName(test.result)) +
               ", where XTS has only valid ones";
    }
    if (iv && iv->size() > tweakOctets) {
        return "an iv of " + std::to_string(iv->size()) + " octets, longer than a tweak";
    }
    return {};
}

} // namespace

std::vector<zorvan::testing::Test> xtsTests(const std::shared_ptr<const Crypto::XtsView>& xts,
                                            const DataSource& source, const FileAt& file) {
    const Suites::Algorithm& row = Suites::algorithm("AES-XTS");
    return fileTests(source, file, fileOf(row.name),
                     [&xts, &row, &file](RecordTests& records, const Record& record) {
                         const WycheproofFiles::Test& test = *record.vector;
                         std::string damage = testDamage(test, "IndCpaTest", xtsFields);
                         const std::optional<zorvan::Bytes> iv =
                             damage.empty() ? KatValues::recordHex("iv", *test.text("iv"), damage)
                                            : std::nullopt;
                         if (damage.empty()) {
                             damage = xtsDamage(test, iv);
                         }
                         if (!damage.empty()) {
                             return records.fail(placeOf(file.directory, record), damage);
                         }
                         // The tweak is the iv with zero octets added on its right.
                         std::array<std::uint8_t, tweakOctets> tweak{};
                         std::ranges::copy(iv->view(), tweak.begin());
                         XTS::bindXtsVector(records, xts, row.keyOctets,
                                            {leafName(test), std::string(*test.text("key")),
                                             zorvan::Bytes(tweak), std::string(*test.text("msg")),
                                             std::string(*test.text("ct")), false,
                                             WycheproofFiles::origin(file.directory, record)});
                     });
}

} // namespace Test::Wycheproof
