#pragma once
// A key size a library does not offer is a gap of that library, not a fault of its cipher:
// the tests that need such a key are skipped and counted, not failed.

#include <zorvan/backends/cipher_key.hpp>
#include <zorvan/testing/assertion.hpp>

#include <cstddef>

namespace zorvan::backends {

namespace detail {

// The traits of a backend cipher whose select throws for the gap's key size, so the gap is
// decided once, when the key is built, and the key runs the backend's modes and IV type
// unchanged (a wrapper would convert the IV on every CBC step of a Monte Carlo test).
template <class Traits, class Gap> struct GapTraits : Traits {
    static auto select(std::size_t keyOctets) {
        if (keyOctets == Gap::keyOctets) {
            throw zorvan::testing::TestSkipped(Gap::reason);
        }
        return Traits::select(keyOctets);
    }
};

template <class Key, class Gap> struct KeySizeGap;
template <class Traits, class Gap> struct KeySizeGap<CipherKey<Traits>, Gap> {
    using type = CipherKey<GapTraits<Traits, Gap>>;
};

} // namespace detail

/// WithKeySizeGap<K, Gap>: the backend cipher K (a CipherKey), except that buildKey
/// of a key of Gap::keyOctets octets throws TestSkipped with Gap::reason instead of refusing
/// the key. Its modes are K's.
template <class K, class Gap> using WithKeySizeGap = typename detail::KeySizeGap<K, Gap>::type;

} // namespace zorvan::backends
