#pragma once
// Test::TwoFish: the Twofish suite, one unit test per usable record of the designers' vector
// files in Test/KAT_TWOFISH, then the two block-cipher property groups.

#include <Test/Crypto.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::TwoFish {

/// The error of a file whose stem is none of the suite's and which holds a record.
inline constexpr const char* unknownStemError =
    "Test/TwoFish:(40,1)-(76,64)|function buildTestFunc";
/// The error of a test whose key the implementation's buildKey refuses.
inline constexpr const char* refusedKeyError = "Maybe.fromJust: Nothing";

/// twoFishTests: the Twofish suite for the cipher's view: a unit test per record of
/// Test/KAT_TWOFISH, named after its file's kind and its I, then the two block-cipher property
/// groups. A record with a missing or unknown field, an IV of no Twofish block size or one the
/// type refuses, a file that differs from the data's manifest and a folder that gives no test
/// become failing leaves. Building throws Test::KatFiles::KatDirectoryError when the folder
/// cannot be listed or a file read, Test::IncompleteMatch with unknownStemError for a file of
/// no known kind that holds a record, and Test::Crypto::HexDecodingError naming the place for
/// an IV that is not hex. When a test runs, a key of no Twofish size fails it, a key that the
/// cipher refuses fails it with refusedKeyError (nesting the refused length), malformed hex
/// with HexDecodingError, and a wrong result through assertKnownAnswer with the test name as
/// message.
std::vector<zorvan::testing::Test>
twoFishTests(const std::shared_ptr<const Crypto::CipherView>& cipher,
             const DataSource& source = {});

/// makeTwoFishTests: twoFishTests for key type K (the witness only selects it).
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeTwoFishTests(const DataSource& source = {}) {
    return twoFishTests(Crypto::cipherView<K>(), source);
}

/// makeTwoFishTests: the same for the key type of the witness, which only selects it.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeTwoFishTests(const K& /*witness*/,
                                                    const DataSource& source = {}) {
    return makeTwoFishTests<K>(source);
}

} // namespace Test::TwoFish
