#include <Test/SHA3.hpp>

#include <Test/ShaVectors.hpp>

namespace Test::SHA3 {

std::vector<zorvan::testing::Test> sha3Tests(const std::shared_ptr<const Crypto::HashView>& hash,
                                             std::string_view label, const DataSource& source) {
    return SHA::namedFileSuite(hash, source, katDirectory, label);
}

} // namespace Test::SHA3
