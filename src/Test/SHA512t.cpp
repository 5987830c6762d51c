#include <Test/SHA512t.hpp>

#include <Test/ShaVectors.hpp>

namespace Test::SHA512t {

std::vector<zorvan::testing::Test> sha512tTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                                std::string_view label, const DataSource& source) {
    return SHA::namedFileSuite(hash, source, katDirectory, label);
}

} // namespace Test::SHA512t
