#pragma once
// Test::ChaCha20Poly1305: ChaCha20-Poly1305 (RFC 8439) and XChaCha20-Poly1305 against known
// answers. ChaCha20-Poly1305: the vectors of Test/KAT_CHACHA20_POLY1305, BoringSSL's file
// (RFC 8439 section 2.8.2, tag padding cases, the largest nonce, and lengths across Poly1305's
// blocks) and OpenSSL's (RFC 8439 appendix A.5, and a wrong tag that must be refused).
// XChaCha20-Poly1305: the vector of draft-irtf-cfrg-xchacha appendix A.3.1 under
// Test/KAT_XCHACHA20_POLY1305. Each builder ends with the AEAD laws.

#include <Test/Crypto/AeadView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/aead.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::ChaCha20Poly1305 {

inline constexpr const char* katDirectory = "Test/KAT_CHACHA20_POLY1305";
inline constexpr const char* xKatDirectory = "Test/KAT_XCHACHA20_POLY1305";

/// chachaKnownAnswers, xchachaKnownAnswers: for the type in view, one unit test per record of
/// the folder, named after its file and its number there ("boringssl.txt-1"): a record seals to its
/// ciphertext and tag and opens again, or, marked Result = CIPHERFINAL_ERROR, must be refused
/// without a plaintext octet written. Values in double quotes are ASCII text. A record with a
/// nonce or tag length the type does not take is left to another type; one with a missing or
/// unknown field, or a key that is not 32 octets, fails the suite, as do a file that differs
/// from the data's manifest and a folder that gives no test. Throws
/// Test::KatFiles::KatDirectoryError when the folder cannot be listed or a file read.
std::vector<zorvan::testing::Test>
chachaKnownAnswers(const std::shared_ptr<const Crypto::AeadView>& aead,
                   const DataSource& source = {});
std::vector<zorvan::testing::Test>
xchachaKnownAnswers(const std::shared_ptr<const Crypto::AeadView>& aead,
                    const DataSource& source = {});

/// chachaTests, xchachaTests: the known answers, then the AEAD laws (Test::AeadConformance).
std::vector<zorvan::testing::Test> chachaTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                               const DataSource& source = {});
std::vector<zorvan::testing::Test> xchachaTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                                const DataSource& source = {});

/// makeChaCha20Poly1305Tests, makeXChaCha20Poly1305Tests: chachaTests and xchachaTests for the
/// AEAD key type A.
template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeChaCha20Poly1305Tests(const DataSource& source = {}) {
    return chachaTests(Crypto::aeadView<A>(), source);
}

template <zorvan::Aead A>
std::vector<zorvan::testing::Test> makeXChaCha20Poly1305Tests(const DataSource& source = {}) {
    return xchachaTests(Crypto::aeadView<A>(), source);
}

} // namespace Test::ChaCha20Poly1305
