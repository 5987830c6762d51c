#pragma once
// Test::Camellia: the Camellia known-answer suite (RFC 3713): NTT's ECB tables and the CBC,
// CFB-128 and OFB vectors installed under Test/KAT_CAMELLIA, each checked encrypting and
// decrypting, one unit test per record whose key fits the cipher, then the block-cipher
// property groups. The files are read as the AES suite reads its own.

#include <Test/Crypto.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::Camellia {

/// katDirectory: the folder of the data directory the suite reads.
inline constexpr const char* katDirectory = "Test/KAT_CAMELLIA";

/// camelliaTests: for the cipher in view, one unit test per record of Test/KAT_CAMELLIA whose
/// key the type takes, named after its file and COUNT ("ECBNtt192-e.rsp-7"), so that a
/// Camellia-192 key type gets the 192-bit records; then the two block-cipher property groups.
/// Records are accounted for, and errors thrown, as Test::AES::aesTests does.
std::vector<zorvan::testing::Test>
camelliaTests(const std::shared_ptr<const Crypto::CipherView>& cipher,
              const DataSource& source = {});

/// makeCamelliaTests: camelliaTests for key type K (the witness only selects it).
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeCamelliaTests(const DataSource& source = {}) {
    return camelliaTests(Crypto::cipherView<K>(), source);
}

/// makeCamelliaTests: the same for the key type of the witness, which only selects it.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeCamelliaTests(const K& /*witness*/,
                                                     const DataSource& source = {}) {
    return makeCamelliaTests<K>(source);
}

} // namespace Test::Camellia
