#pragma once
// Test::Camellia: the Camellia known-answer suite (RFC 3713): NTT's ECB tables and the CBC,
// CFB-128 and OFB vectors installed under Test/KAT_CAMELLIA, each checked encrypting and
// decrypting, one unit test per record whose key fits the cipher, then the block-cipher
// property groups. The files are read as the AES suite reads its own.

#include <Test/AES.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::Camellia {

/// katDirectory: the folder of the data directory the suite reads.
inline constexpr const char* katDirectory = "Test/KAT_CAMELLIA";

/// readKnownAnswers: Test::AES::knownAnswers of every regular file of Test/KAT_CAMELLIA, in
/// listing order. Throws Test::KatFiles::KatDirectoryError when the folder cannot be listed or
/// a file cannot be read, and Test::Crypto::HexDecodingError on a KEY or IV that is not hex.
std::vector<AES::KnownAnswer> readKnownAnswers();

/// camelliaTests: AES::knownAnswerTests of readKnownAnswers for the cipher's view. Throws as
/// both do.
std::vector<zorvan::testing::Test>
camelliaTests(const std::shared_ptr<const Crypto::CipherView>& cipher);

/// makeCamelliaTests: for key type K (the witness only selects it), one unit test per record
/// of Test/KAT_CAMELLIA whose key and IV K accepts, named after its file and COUNT
/// ("ECBNtt192-e.rsp-7"), so that a Camellia-192 key type gets the 192-bit records only; then
/// the two block-cipher property groups. Throws as readKnownAnswers does, and
/// std::invalid_argument when K's blocks are shorter than one octet.
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeCamelliaTests() {
    return camelliaTests(Crypto::cipherView<K>());
}

template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeCamelliaTests(const K& /*witness*/) {
    return makeCamelliaTests<K>();
}

} // namespace Test::Camellia
