#pragma once
// An XOF a library does not have is a gap of that library, not a fault: the tests that need it
// are skipped and counted, not failed.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/assertion.hpp>

#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvan::backends {

/// MissingXof<Gap>: an XOF a library does not have, satisfying zorvan::Xof: making a Context
/// throws TestSkipped with Gap::reason, so every test that needs one is skipped and counted,
/// never passed. Gap::blockBits is the rate the XOF would have.
template <class Gap> struct MissingXof {
    /// blockLength: Gap::blockBits, the rate in bits.
    static std::size_t blockLength() { return Gap::blockBits; }

    /// Context: never made: constructing one throws zorvan::testing::TestSkipped with
    /// Gap::reason.
    class Context {
    public:
        Context() { throw zorvan::testing::TestSkipped(Gap::reason); }
        /// absorb: does nothing; no Context is ever made.
        void absorb(std::span<const std::uint8_t> /*octets*/) {}
        /// squeeze: gives nothing; no Context is ever made.
        Bytes squeeze(std::size_t /*length*/) { return {}; }
    };
};

} // namespace zorvan::backends
