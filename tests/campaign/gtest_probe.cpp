// The campaign's probe through GoogleTest (see probe_tree.hpp), or a suite of the algorithm
// table when PROBE_SUITE names one (see suite_probe.hpp).

#include "suite_probe.hpp"

#include <zorvan/testing/gtest.hpp>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    zorvan::testing::registerGoogleTests(probe::campaignTests);
    return RUN_ALL_TESTS();
}
