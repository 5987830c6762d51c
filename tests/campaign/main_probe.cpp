// The campaign's probe through the bundled main (see probe_tree.hpp), or a suite of the
// algorithm table when PROBE_SUITE names one (see suite_probe.hpp).

#include "suite_probe.hpp"

#include <zorvan/testing/main.hpp>

int main(int argc, char** argv) {
    return zorvan::testing::main(argc, argv, probe::campaignTests);
}
