// Runs the FNV-1a tests inside GoogleTest: one gtest test per leaf, so --gtest_filter,
// repeats and sharding apply; ZORVAN_SEED and ZORVAN_CASES set the generated cases.

#include "fnv1a.hpp"

#include <zorvan/testing/gtest.hpp>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    zorvan::testing::registerGoogleTests(fnv1aTests());
    return RUN_ALL_TESTS();
}
