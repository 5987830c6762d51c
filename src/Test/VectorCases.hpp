#pragma once
// One unit test of one vector, shared by the suites whose every vector becomes a test as it is.

#include <zorvan/testing/test.hpp>

#include <string>
#include <utility>

namespace Test {

/// vectorCase: a unit test named by the vector's name, whose assertion calls check with the
/// vector (moved into the test).
template <class Vector, class Check> zorvan::testing::Test vectorCase(Vector vector, Check check) {
    std::string name = vector.name;
    return zorvan::testing::testCase(
        std::move(name), [check = std::move(check), vector = std::move(vector)] { check(vector); });
}

} // namespace Test
