#pragma once
// Test::XTS: XTS over a block cipher of 128-bit blocks. The NIST XTSVS vectors (CAVS 11.0 XTSGen,
// AES-128 and AES-256) installed under Test/KAT_XTS (tweaks as 16 octets) and Test/KAT_XTS_SEQNO
// (tweaks as data unit sequence numbers), and the laws XTS keeps.

#include <Test/Crypto/XtsView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/testing/test.hpp>
#include <zorvan/xts.hpp>

#include <memory>
#include <vector>

namespace Test::XTS {

/// The folders the known-answer suite reads.
inline constexpr const char* katDirectory = "Test/KAT_XTS";
inline constexpr const char* sequenceNumberDirectory = "Test/KAT_XTS_SEQNO";

/// xtsTests: for XTS over the cipher in view, one unit test per record of the [ENCRYPT] and
/// [DECRYPT] sections of Test/KAT_XTS, then of Test/KAT_XTS_SEQNO, whose Key is two keys of the
/// cipher's key length, named after its file, its tweak field, its section and COUNT
/// ("XTSGenAES128-i-ENCRYPT-3"): the data unit must give the answer one way and come back the
/// other. The tweak is the record's i, or its DataUnitSeqNumber as 16 octets little-endian. A
/// record whose data unit is not a whole number of octets (130, 140, 200 or 250 bits, which an
/// octet interface cannot hold) is left to a bit-oriented variant, noted with that reason, as
/// is one with keys of another AES size; a missing or unknown field, a key of no AES size, a
/// tweak other than 16 octets, a DataUnitLen that disagrees with the data, a key of the type's
/// own size that buildKey refuses, or a record in no [ENCRYPT] or [DECRYPT] section fails the
/// suite, as do a file that differs from the data's manifest and a folder that gives no test.
/// For a cipher whose key length the files do not hold (NIST publishes XTS-AES-128 and
/// XTS-AES-256 only) the suite is one skipped leaf and reads no file. Throws
/// Test::KatFiles::KatDirectoryError when a folder cannot be listed or a file read, and
/// Test::Crypto::HexDecodingError naming the place on a Key or i that is not hex.
std::vector<zorvan::testing::Test> xtsTests(const std::shared_ptr<const Crypto::XtsView>& xts,
                                            const DataSource& source = {});

/// xtsConformanceTests: the XTS laws over the view: decryption undoes encryption at every length
/// from one block up, a data unit shorter than a block is refused both ways, block j of a data
/// unit is the one-block data unit under the tweak times alpha to the j (read little-endian, as
/// IEEE 1619 says), a short last block steals from the last whole block as IEEE 1619 says, and a
/// key type's own xts and unXts agree with the generic construction. Never fails itself.
std::vector<zorvan::testing::Test>
xtsConformanceTests(const std::shared_ptr<const Crypto::XtsView>& xts);

/// makeAESXTSTests, makeXtsConformanceTests: the builders above for XTS over key type K (the
/// witness only selects it). Throw as they do.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESXTSTests(const DataSource& source = {}) {
    return xtsTests(Crypto::xtsView<K>(), source);
}
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeAESXTSTests(const K& /*witness*/,
                                                   const DataSource& source = {}) {
    return makeAESXTSTests<K>(source);
}
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeXtsConformanceTests() {
    return xtsConformanceTests(Crypto::xtsView<K>());
}
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeXtsConformanceTests(const K& /*witness*/) {
    return makeXtsConformanceTests<K>();
}

} // namespace Test::XTS
