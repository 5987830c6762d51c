// The SHA-256 known answers read from the installed vectors (Test/KAT_SHA), run against
// libcrypto's SHA-256 as the OpenSSL backend adapts it. With no variable set the vectors are
// found beside the installed headers this program was compiled with.

#include <Test/SHA.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/main.hpp>

int main(int argc, char** argv) {
    // A builder, not a built tree: --help answers before any file is read.
    return zorvan::testing::main(
        argc, argv, [] { return Test::SHA::makeSHA256Tests<zorvan::openssl::SHA256>(); });
}
