#include <Test/HMACMD5.hpp>

#include <Test/KatFiles.hpp>

namespace Test::HMACMD5 {

std::vector<HMAC::HmacVector> readVectors() {
    return HMAC::sectionVectors("RfcHMACMD5-", "16", katDirectory,
                                KatFiles::readKatDirectory(katDirectory, "Count"));
}

} // namespace Test::HMACMD5
