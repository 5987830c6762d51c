// The campaign's probe through the bundled main (see probe_tree.hpp).

#include "probe_tree.hpp"

#include <zorvan/testing/main.hpp>

int main(int argc, char** argv) {
    return zorvan::testing::main(argc, argv, probe::tests);
}
