// Runs the FNV-1a tests with the ready main; `hash_with_main --help` lists its options
// (--filter, --seed, --cases, --jobs, --isolate, --timeout, --junit, ...).

#include "fnv1a.hpp"

#include <zorvan/testing/main.hpp>

int main(int argc, char** argv) {
    return zorvan::testing::main(argc, argv, [] { return fnv1aTests(); });
}
