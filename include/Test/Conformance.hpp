#pragma once
// Test::Conformance: laws every hash, HMAC and block cipher must keep whatever its internals,
// each leaf named after the fault it catches (a counter that does not carry, a context that
// loses an octet, a mode that accepts a partial block). The laws run over the type-erased view
// of the user's type and are compiled once in the library; the builders here only make the view.

#include <Test/Crypto/CipherView.hpp>
#include <Test/Crypto/HashView.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <vector>

namespace Test::Conformance {

/// hashConformanceTests: the hash laws over a view: chunking (every two- and three-way split
/// of messages around the block boundaries, random chunkings with empty updates, one octet at
/// a time), the context (finalize restarts it, it can be reused, a copy is independent) and
/// digest values (== is octet equality, get reads encode back). Never throws; a law broken
/// or an exception from the implementation fails its leaf.
std::vector<zorvan::testing::Test>
hashConformanceTests(const std::shared_ptr<const Crypto::HashView>& hash);
/// hmacConformanceTests: the HMAC laws over a view: keys of 0, 1, B-1, B, B+1 and 2B+1 octets
/// (B the block length) agree chunked and contiguous and follow FIPS 198's key rules, and the
/// type's own hmac and hmacStrict, if any, agree with FIPS 198 over its context. Never throws.
std::vector<zorvan::testing::Test>
hmacConformanceTests(const std::shared_ptr<const Crypto::HashView>& hash);
/// blockCipherConformanceTests: the block-cipher laws over a view: the stream modes on every
/// length up to four blocks and one octet, prefixes and chunking; ECB and CBC refusing a
/// partial block; each mode equal to the generic mode over the key's block functions (also at
/// counter carry points); continuation from the returned IV. Throws std::invalid_argument
/// when the blocks are shorter than one octet.
std::vector<zorvan::testing::Test>
blockCipherConformanceTests(const std::shared_ptr<const Crypto::CipherView>& cipher);

/// makeHashConformanceTests: the hash laws (see hashConformanceTests) for digest type D; the
/// witness only selects it. Never throws.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeHashConformanceTests() {
    return hashConformanceTests(Crypto::hashView<D>());
}
/// makeHashConformanceTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeHashConformanceTests(const D& /*witness*/) {
    return makeHashConformanceTests<D>();
}

/// makeHMACConformanceTests: the HMAC laws (see hmacConformanceTests) for digest type D; the
/// witness only selects it. Never throws.
template <zorvan::Hash D> std::vector<zorvan::testing::Test> makeHMACConformanceTests() {
    return hmacConformanceTests(Crypto::hashView<D>());
}
/// makeHMACConformanceTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeHMACConformanceTests(const D& /*witness*/) {
    return makeHMACConformanceTests<D>();
}

/// makeBlockCipherConformanceTests: the block-cipher laws (see blockCipherConformanceTests)
/// for key type K; the witness only selects it. Throws std::invalid_argument when K's blocks
/// are shorter than one octet.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeBlockCipherConformanceTests() {
    return blockCipherConformanceTests(Crypto::cipherView<K>());
}
/// makeBlockCipherConformanceTests: the same for the key type of the witness, which only selects
/// it.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeBlockCipherConformanceTests(const K& /*witness*/) {
    return makeBlockCipherConformanceTests<K>();
}

} // namespace Test::Conformance
