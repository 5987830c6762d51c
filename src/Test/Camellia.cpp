#include <Test/Camellia.hpp>

#include <Test/KatFiles.hpp>

namespace Test::Camellia {

std::vector<AES::KnownAnswer> readKnownAnswers() {
    return AES::knownAnswers(KatFiles::readKatDirectory(katDirectory, AES::names::recordStart),
                             katDirectory);
}

std::vector<zorvan::testing::Test>
camelliaTests(const std::shared_ptr<const Crypto::CipherView>& cipher) {
    return AES::knownAnswerTests(cipher, readKnownAnswers());
}

} // namespace Test::Camellia
