#include <Test/Camellia.hpp>

#include <Test/AesFiles.hpp>
#include <Test/KatFiles.hpp>

namespace Test::Camellia {

std::vector<zorvan::testing::Test>
camelliaTests(const std::shared_ptr<const Crypto::CipherView>& cipher, const DataSource& source) {
    return AES::knownAnswerTests(
        cipher, source, KatFiles::readFolder(source, katDirectory, AES::names::recordStart),
        Suites::algorithm("Camellia"));
}

} // namespace Test::Camellia
