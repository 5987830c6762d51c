#pragma once
// Test::AES: the AES known-answer suite. Every file of the installed "Test/KAT_AES" folder is
// tested in the mode and direction its name tells ("ECBGFSbox128-e.rsp": ECB, encryption),
// one unit test per usable record, followed by the block-cipher property groups.

#include <Test/Crypto.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::AES {

/// aesTests: for the cipher in view, one unit test per record of the files of Test/KAT_AES,
/// in listing and then record order, named after its file and COUNT ("ECBGFSbox128-e.rsp-7")
/// and asserting that the file's operation turns the record's input into its answer; then the
/// two block-cipher property groups. A record whose key is of another AES size than the type's
/// (keyLength) and that the type refuses is left to the key type of that size; every other
/// record that cannot be a test fails the suite with a leaf named "<file>:<line>": a missing or
/// unknown field, a key or IV of no AES size, a key of the type's own size or an IV it refuses,
/// a file whose name names no mode. A file that differs from the data's manifest and a folder
/// that gives no test fail likewise. Throws Test::KatFiles::KatDirectoryError when the folder
/// cannot be listed or a file cannot be read, Test::Crypto::HexDecodingError naming the place
/// and the field on a KEY or IV that is not hex (the first such record's), and
/// std::invalid_argument when the cipher's blocks are shorter than one octet.
std::vector<zorvan::testing::Test> aesTests(const std::shared_ptr<const Crypto::CipherView>& cipher,
                                            const DataSource& source = {});

/// makeAESTests: aesTests for key type K (the witness only selects it).
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESTests(const DataSource& source = {}) {
    return aesTests(Crypto::cipherView<K>(), source);
}

/// makeAESTests: the same for the key type of the witness, which only selects it.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESTests(const K& /*witness*/,
                                                const DataSource& source = {}) {
    return makeAESTests<K>(source);
}

} // namespace Test::AES
