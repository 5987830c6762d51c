// Runs the FNV-1a tests inside GoogleTest: one gtest test per leaf, so --gtest_filter,
// repeats and sharding apply; ZORVAN_SEED and ZORVAN_CASES set the generated cases, and
// ZORVAN_TIMEOUT the seconds one test may take. Handing over the builder, not the tree it
// builds, turns a builder error (a missing KAT folder, say) into one failing test
// "zorvan.build" instead of ending the program.

#include "fnv1a.hpp"

#include <zorvan/testing/gtest.hpp>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    zorvan::testing::registerGoogleTests([] { return fnv1aTests(); });
    return RUN_ALL_TESTS();
}
