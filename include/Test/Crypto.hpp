#pragma once
// Test::Crypto: random byte strings and the generic property groups for hashes and block
// ciphers.

#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <vector>

namespace Test::Crypto {

/// arbitraryBytes: 1 to 4097 octets, the length uniform and independent of the size.
zorvan::Bytes arbitraryBytes(zorvan::testing::Gen& gen);
/// arbitraryLazyBytes: 0 to 10 chunks, each as arbitraryBytes draws them.
zorvan::LazyBytes arbitraryLazyBytes(zorvan::testing::Gen& gen);

namespace names {
inline constexpr const char* hashGroup = "Cryptographic Digest Property Tests";
inline constexpr const char* lazyStrictEqual = "LazyStrictEqual";
inline constexpr const char* digestLength = "DigestLen";
inline constexpr const char* getPutHash = "GetPutHash";
inline constexpr const char* blockLengthAligned = "BlockLengthIsByteAligned";
inline constexpr const char* outputLengthAligned = "OutputLengthIsByteAligned";
} // namespace names

/// makeHashPropTests: the group of five hash properties for the digest type D (the witness
/// only selects it): chunked and contiguous hashing agree, the digest serialises to
/// outputLength/8 octets and reads back, and both stated lengths are whole octets.
template <zorvan::Hash D>
zorvan::testing::Test makeHashPropTests(const D& /*witness*/ = D{}) {
    using zorvan::Bytes;
    using zorvan::LazyBytes;
    using zorvan::testing::testProperty;
    const auto byteAligned = [](std::size_t bits) { return [bits] { return bits % 8 == 0; }; };
    return zorvan::testing::TestGroup{
        names::hashGroup,
        {
            testProperty(names::lazyStrictEqual,
                         [](const LazyBytes& message) {
                             return zorvan::hash<D>(message) ==
                                    zorvan::hashStrict<D>(message.toStrict());
                         }),
            testProperty(names::digestLength,
                         [](const LazyBytes& message) {
                             const std::size_t octets = D::outputLength() / 8;
                             return zorvan::hash<D>(message).encode().size() == octets &&
                                    zorvan::hashStrict<D>(message.toStrict()).encode().size() ==
                                        octets;
                         }),
            testProperty(names::getPutHash,
                         [](const LazyBytes& message) {
                             const D digest = zorvan::hashStrict<D>(message.toStrict());
                             const std::optional<D> readBack = D::get(digest.encode());
                             return readBack.has_value() && *readBack == digest;
                         }),
            testProperty(names::blockLengthAligned, byteAligned(D::blockLength())),
            testProperty(names::outputLengthAligned, byteAligned(D::outputLength())),
        }};
}

} // namespace Test::Crypto

namespace zorvan::testing {

template <>
struct Arbitrary<Bytes> {
    static Bytes arbitrary(Gen& gen) { return ::Test::Crypto::arbitraryBytes(gen); }
    static std::vector<Bytes> shrink(const Bytes&) { return {}; }
};

template <>
struct Arbitrary<LazyBytes> {
    static LazyBytes arbitrary(Gen& gen) { return ::Test::Crypto::arbitraryLazyBytes(gen); }
    static std::vector<LazyBytes> shrink(const LazyBytes&) { return {}; }
};

} // namespace zorvan::testing
