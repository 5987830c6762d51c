#pragma once
// One unit test per vector, shared by the suites whose every vector becomes a test as it is.
// Not installed: the public builders return the tests themselves.

#include <zorvan/testing/test.hpp>

#include <string>
#include <utility>
#include <vector>

namespace Test {

/// vectorCases: a unit test per vector in order, named by its name, whose assertion calls
/// check with the vector (moved into the test).
template <class Vector, class Check>
std::vector<zorvan::testing::Test> vectorCases(std::vector<Vector> vectors, const Check& check) {
    std::vector<zorvan::testing::Test> tests;
    tests.reserve(vectors.size());
    for (Vector& vector : vectors) {
        std::string name = vector.name;
        tests.push_back(zorvan::testing::testCase(
            std::move(name), [check, vector = std::move(vector)] { check(vector); }));
    }
    return tests;
}

} // namespace Test
