#include <Test/HMACMD5.hpp>

#include <Test/HmacVectors.hpp>
#include <Test/KatFiles.hpp>
#include <Test/RecordTests.hpp>

namespace Test::HMACMD5 {

std::vector<zorvan::testing::Test> hmacMd5Tests(const std::shared_ptr<const Crypto::HashView>& hash,
                                                const DataSource& source) {
    const KatFiles::Folder folder = KatFiles::readFolder(source, katDirectory, "Count");
    RecordTests records(source);
    records.beginFolder(folder);
    HMAC::sectionTests(records, hash, folder, "RfcHMACMD5-", HMAC::plainCount, "16");
    records.endFolder();
    return std::move(records).take();
}

} // namespace Test::HMACMD5
