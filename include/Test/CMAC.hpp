#pragma once
// Test::CMAC: message authentication codes. The SP 800-38B AES-CMAC examples installed under
// Test/KAT_CMAC, and the laws every MAC keeps, with those of CMAC's subkeys for a MAC built on a
// block cipher.

#include <Test/Crypto/MacView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/cmac.hpp>
#include <zorvan/mac.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::CMAC {

/// katDirectory: the folder the known-answer suite reads.
inline constexpr const char* katDirectory = "Test/KAT_CMAC";

/// cmacTests: for the MAC in view, one unit test per record of Test/KAT_CMAC whose KEY is of the
/// type's key length, named after its file and COUNT ("nist-800-38b-aes128.txt-2"): the tag of
/// its MESSAGE, whole and in chunks, must be its OUTPUT, and verifyTag must accept it. A record
/// with a key of another AES size is left to that size; one with a missing or unknown field, a
/// key of no AES size, or a key of the type's own size that buildKey refuses fails the suite, as
/// do a file that differs from the data's manifest and a folder that gives no test. Throws
/// Test::KatFiles::KatDirectoryError when the folder cannot be listed or a file read, and
/// Test::Crypto::HexDecodingError naming the place on a KEY that is not hex.
std::vector<zorvan::testing::Test> cmacTests(const std::shared_ptr<const Crypto::MacView>& mac,
                                             const DataSource& source = {});

/// macConformanceTests: the MAC laws over the view: the tag does not depend on the chunking,
/// verifyTag accepts the tag and its truncations to 64 bits or more and refuses shorter ones,
/// changed ones and other messages' tags, and buildKey takes the claimed key length and no
/// other; for CMAC also which subkey masks which last block (K2 for the empty message and a
/// padded one, K1 for whole blocks) and that a cipher's own cmac agrees with the generic one.
/// Never fails itself.
std::vector<zorvan::testing::Test>
macConformanceTests(const std::shared_ptr<const Crypto::MacView>& mac);

/// makeAESCMACTests, makeMacConformanceTests: the builders above for the MAC type M, or for
/// CMAC over the block cipher key type K (zorvan::Cmac<K>); the witness only selects the type.
template <zorvan::Mac M>
std::vector<zorvan::testing::Test> makeAESCMACTests(const DataSource& source = {}) {
    return cmacTests(Crypto::macView<M>(), source);
}
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESCMACTests(const DataSource& source = {}) {
    return makeAESCMACTests<zorvan::Cmac<K>>(source);
}
template <class T>
std::vector<zorvan::testing::Test> makeAESCMACTests(const T& /*witness*/,
                                                    const DataSource& source = {}) {
    return makeAESCMACTests<T>(source);
}
template <zorvan::Mac M> std::vector<zorvan::testing::Test> makeMacConformanceTests() {
    return macConformanceTests(Crypto::macView<M>());
}
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeMacConformanceTests() {
    return makeMacConformanceTests<zorvan::Cmac<K>>();
}
template <class T>
std::vector<zorvan::testing::Test> makeMacConformanceTests(const T& /*witness*/) {
    return makeMacConformanceTests<T>();
}

} // namespace Test::CMAC
