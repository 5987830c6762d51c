#pragma once
// Test::Wycheproof: the suites of Wycheproof's test vectors (testvectors_v1), installed under
// Test/WYCHEPROOF: AES-GCM, AES-CCM, ChaCha20-Poly1305 and XChaCha20-Poly1305 over the AEAD view,
// AES-CMAC over the MAC view, AES-XTS over the XTS view, HMAC over SHA-1, SHA-2, SHA-512/t and
// SHA-3 over the hash view, and padded CBC (PKCS#5) over AES and Camellia over the cipher view.
// Each test of a file becomes a leaf named after its tcId ("tc17"): a valid test must give its
// known answer, an invalid one must be refused, and an acceptable one is judged by the Acceptable
// policy. A test whose parameters the type does not take (a nonce or tag length, a key size) is
// left to another type and counted with its reason; a damaged test fails, naming the file and tcId.

#include <Test/Crypto/AeadView.hpp>
#include <Test/Crypto/CipherView.hpp>
#include <Test/Crypto/HashView.hpp>
#include <Test/Crypto/MacView.hpp>
#include <Test/Crypto/XtsView.hpp>
#include <Test/DataSource.hpp>
#include <Test/WycheproofPolicy.hpp>

#include <zorvan/aead.hpp>
#include <zorvan/block_cipher.hpp>
#include <zorvan/cmac.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/mac.hpp>
#include <zorvan/testing/test.hpp>
#include <zorvan/xts.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::Wycheproof {

/// katDirectory: the folder the Wycheproof suites read (the files gzip-compressed).
inline constexpr const char* katDirectory = "Test/WYCHEPROOF";

/// FileAt: the file a suite reads: its folder under the data source's root and its name (a
/// ".gz" one is expanded). An empty name is the installed file of the suite's algorithm, and
/// "name" also reads "name.gz".
struct FileAt {
    /// directory: the folder, under the data source's root.
    std::string_view directory = katDirectory;
    /// name: the file's name; empty for the installed file of the suite's algorithm.
    std::string_view name;
};

/// aeadTests: the Wycheproof tests of the algorithm table's AEAD row algorithm ("AES-GCM",
/// "AES-CCM", "ChaCha20-Poly1305", "XChaCha20-Poly1305") for the type in view, whose key size
/// they have: a valid test's seal must give its ct and tag and open its msg; an invalid test's
/// open must refuse and write nothing into the caller's buffer; an acceptable one follows
/// acceptable (under either, an open that succeeds must give the msg). Throws
/// std::invalid_argument for an algorithm without a Wycheproof file, and
/// Test::KatFiles::KatDirectoryError when the folder cannot be listed or the file read. Each
/// builder here reads file, by default the installed one.
std::vector<zorvan::testing::Test> aeadTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                             std::string_view algorithm,
                                             Acceptable acceptable = Acceptable::either,
                                             const DataSource& source = {},
                                             const FileAt& file = {});

/// cmacTests: Wycheproof's AES-CMAC tests for the MAC in view: a valid test's tag must be the
/// MAC's and verifyTag must accept it; an invalid test's tag must not verify, and its key, when
/// of no AES size, must be refused by buildKey. Tests of another AES key size are left to it.
/// Throws as aeadTests does.
std::vector<zorvan::testing::Test> cmacTests(const std::shared_ptr<const Crypto::MacView>& mac,
                                             Acceptable acceptable = Acceptable::either,
                                             const DataSource& source = {},
                                             const FileAt& file = {});

/// xtsTests: Wycheproof's AES-XTS tests for XTS over the cipher in view: the msg must encrypt
/// to the ct under the tweak (the iv, zero octets added on the right up to 16) and the ct
/// decrypt to the msg. Throws as aeadTests does.
std::vector<zorvan::testing::Test> xtsTests(const std::shared_ptr<const Crypto::XtsView>& xts,
                                            const DataSource& source = {}, const FileAt& file = {});

/// hmacTests: Wycheproof's HMAC tests over the hash in view, of the algorithm table's row
/// algorithm ("SHA256", "SHA512-224", "SHA3-384"): a valid test's tag must be the HMAC's first
/// octets (its group's tagSize may truncate it) and hmacVerify must accept it; an invalid test's
/// tag must not verify. Throws as aeadTests does.
std::vector<zorvan::testing::Test> hmacTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                             std::string_view algorithm,
                                             Acceptable acceptable = Acceptable::either,
                                             const DataSource& source = {},
                                             const FileAt& file = {});

/// cbcPaddedTests: Wycheproof's padded CBC tests of the algorithm table's row algorithm ("AES",
/// "Camellia") for the cipher in view, whose key size they have: a valid test's msg must
/// cbcPadded to its ct and its ct unCbcPadded to its msg; an invalid test's ct (its padding
/// wrong) must be refused by unCbcPadded. Throws as aeadTests does.
std::vector<zorvan::testing::Test>
cbcPaddedTests(const std::shared_ptr<const Crypto::CipherView>& cipher, std::string_view algorithm,
               Acceptable acceptable = Acceptable::either, const DataSource& source = {},
               const FileAt& file = {});

/// makeWycheproofAeadTests, makeWycheproofCMACTests, makeWycheproofXTSTests,
/// makeWycheproofHMACTests, makeWycheproofCBCTests: the builders above for the type A, M (or
/// CMAC over the block cipher K), XTS over K, HMAC over the digest type D and padded CBC over K;
/// the witness only selects the type.
template <zorvan::Aead A>
std::vector<zorvan::testing::Test>
makeWycheproofAeadTests(std::string_view algorithm, Acceptable acceptable = Acceptable::either,
                        const DataSource& source = {}) {
    return aeadTests(Crypto::aeadView<A>(), algorithm, acceptable, source);
}
template <zorvan::Aead A>
std::vector<zorvan::testing::Test>
makeWycheproofAeadTests(const A& /*witness*/, std::string_view algorithm,
                        Acceptable acceptable = Acceptable::either, const DataSource& source = {}) {
    return makeWycheproofAeadTests<A>(algorithm, acceptable, source);
}
template <zorvan::Mac M>
std::vector<zorvan::testing::Test>
makeWycheproofCMACTests(Acceptable acceptable = Acceptable::either, const DataSource& source = {}) {
    return cmacTests(Crypto::macView<M>(), acceptable, source);
}
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test>
makeWycheproofCMACTests(Acceptable acceptable = Acceptable::either, const DataSource& source = {}) {
    return makeWycheproofCMACTests<zorvan::Cmac<K>>(acceptable, source);
}
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeWycheproofXTSTests(const DataSource& source = {}) {
    return xtsTests(Crypto::xtsView<K>(), source);
}
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeWycheproofXTSTests(const K& /*witness*/,
                                                          const DataSource& source = {}) {
    return makeWycheproofXTSTests<K>(source);
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test>
makeWycheproofHMACTests(std::string_view algorithm, Acceptable acceptable = Acceptable::either,
                        const DataSource& source = {}) {
    return hmacTests(Crypto::hashView<D>(), algorithm, acceptable, source);
}

template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test>
makeWycheproofCBCTests(std::string_view algorithm, Acceptable acceptable = Acceptable::either,
                       const DataSource& source = {}) {
    return cbcPaddedTests(Crypto::cipherView<K>(), algorithm, acceptable, source);
}

} // namespace Test::Wycheproof
