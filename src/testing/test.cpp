#include <zorvan/testing/test.hpp>

namespace zorvan::testing {

Test::Test(const Test& other) = default;
Test::Test(Test&& other) noexcept = default;
Test& Test::operator=(const Test& other) = default;
Test& Test::operator=(Test&& other) noexcept = default;
Test::~Test() = default;

} // namespace zorvan::testing
