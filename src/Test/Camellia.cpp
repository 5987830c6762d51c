#include <Test/Camellia.hpp>

#include <Test/KatFiles.hpp>

namespace Test::Camellia {

std::vector<AES::KnownAnswer> readKnownAnswers() {
    return AES::knownAnswers(KatFiles::readKatDirectory(katDirectory, AES::names::recordStart),
                             katDirectory);
}

} // namespace Test::Camellia
