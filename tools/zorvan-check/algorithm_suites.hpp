#pragma once
// The suites each algorithm gets in zorvan-check. A backend lists its algorithms once, as
// md5<openssl::MD5>, aes<openssl::AES128>, ... (see catalogue.hpp); a suite's name, its
// builder and its kind (which fixes its place in the run) are decided here, once for all
// backends.

#include "catalogue.hpp"

#include <Test/AES.hpp>
#include <Test/AESCTR.hpp>
#include <Test/Camellia.hpp>
#include <Test/Conformance.hpp>
#include <Test/HMAC.hpp>
#include <Test/HMACMD5.hpp>
#include <Test/HashSweep.hpp>
#include <Test/MD5.hpp>
#include <Test/MonteCarlo.hpp>
#include <Test/RFCHMAC.hpp>
#include <Test/SHA.hpp>
#include <Test/SHA3.hpp>
#include <Test/SHA512t.hpp>
#include <Test/TwoFish.hpp>

#include <iterator>
#include <string>
#include <vector>

namespace zorvan::check::algorithms {

namespace laws = ::Test::Conformance;
using Monte = ::Test::MonteCarlo::Algorithm;

/// Builder: a builder of the library instantiated for one type.
using Builder = std::vector<zorvan::testing::Test> (*)();
/// SweepBuilder: the same for a length sweep, which ends with the long message if asked.
using SweepBuilder = std::vector<zorvan::testing::Test> (*)(LongMessage);

/// suite: the suite of that kind and name that builder makes.
inline AlgorithmSuite suite(SuiteKind kind, std::string name, Builder builder) {
    return {kind, std::move(name), [builder](LongMessage) { return builder(); }};
}

/// sweep: Sweep-<name>, the length sweep that builder makes.
inline AlgorithmSuite sweep(const std::string& name, SweepBuilder builder) {
    return {SuiteKind::lengthSweep, "Sweep-" + name, builder};
}

/// join: the suites of first, then those of second.
inline std::vector<AlgorithmSuite> join(std::vector<AlgorithmSuite> first,
                                        std::vector<AlgorithmSuite> second) {
    first.insert(first.end(), std::make_move_iterator(second.begin()),
                 std::make_move_iterator(second.end()));
    return first;
}

/// monteCarlo: Monte-<name>, the NIST Monte Carlo checkpoints of the digest type D.
template <class D> AlgorithmSuite monteCarlo(const std::string& name, Monte algorithm) {
    return {SuiteKind::monteCarlo, "Monte-" + name, [algorithm](LongMessage) {
                return ::Test::MonteCarlo::makeMonteCarloTests<D>(algorithm);
            }};
}

/// hashLaws: Laws-<name> and Laws-HMAC-<name>, the conformance laws of the digest type D.
template <class D> std::vector<AlgorithmSuite> hashLaws(const std::string& name) {
    return {suite(SuiteKind::hashLaws, "Laws-" + name, laws::makeHashConformanceTests<D>),
            suite(SuiteKind::hashLaws, "Laws-HMAC-" + name, laws::makeHMACConformanceTests<D>)};
}

/// SHA2Builders: the builders of one of SHA-1 to SHA-512, and its Monte Carlo file.
struct SHA2Builders {
    Builder knownAnswers;
    Builder hmac;
    Builder rfcHMAC;
    SweepBuilder sweep;
    Monte monteCarlo;
};

/// sha2: the suites of one of SHA-1 to SHA-512: its NIST files, HMAC over it (NIST's and the
/// RFCs'), its length sweep, its Monte Carlo checkpoints and its laws.
template <class D>
std::vector<AlgorithmSuite> sha2(const std::string& name, const SHA2Builders& builders) {
    return join({suite(SuiteKind::hashKnownAnswers, name, builders.knownAnswers),
                 suite(SuiteKind::hmacKnownAnswers, "HMAC-" + name, builders.hmac),
                 suite(SuiteKind::rfcHMAC, "HMAC-" + name + "-RFC", builders.rfcHMAC),
                 sweep(name, builders.sweep), monteCarlo<D>(name, builders.monteCarlo)},
                hashLaws<D>(name));
}

/// checkedHash: the suites of a hash with its own files and Monte Carlo checkpoints only.
template <class D>
std::vector<AlgorithmSuite> checkedHash(SuiteKind kind, const std::string& name,
                                        Builder knownAnswers, Monte algorithm) {
    return {suite(kind, name, knownAnswers), monteCarlo<D>(name, algorithm)};
}

// The algorithms a backend's table names, instantiated with the backend's type.

template <class D> std::vector<AlgorithmSuite> md5() {
    return join({suite(SuiteKind::hashKnownAnswers, "MD5", ::Test::MD5::makeMD5Tests<D>),
                 sweep("MD5", ::Test::HashSweep::makeMD5SweepTests<D>),
                 suite(SuiteKind::hmacMD5, "HMAC-MD5", ::Test::HMACMD5::makeMD5HMACTests<D>)},
                hashLaws<D>("MD5"));
}

namespace sha = ::Test::SHA;
namespace hmac = ::Test::HMAC;
namespace rfc = ::Test::RFCHMAC;
namespace sweeps = ::Test::HashSweep;

template <class D> std::vector<AlgorithmSuite> sha1() {
    return sha2<D>("SHA1",
                   {sha::makeSHA1Tests<D>, hmac::makeSHA1HMACTests<D>, rfc::makeSHA1RFCHMACTests<D>,
                    sweeps::makeSHA1SweepTests<D>, Monte::sha1});
}
template <class D> std::vector<AlgorithmSuite> sha224() {
    return sha2<D>("SHA224", {sha::makeSHA224Tests<D>, hmac::makeSHA224HMACTests<D>,
                              rfc::makeSHA224RFCHMACTests<D>, sweeps::makeSHA224SweepTests<D>,
                              Monte::sha224});
}
template <class D> std::vector<AlgorithmSuite> sha256() {
    return sha2<D>("SHA256", {sha::makeSHA256Tests<D>, hmac::makeSHA256HMACTests<D>,
                              rfc::makeSHA256RFCHMACTests<D>, sweeps::makeSHA256SweepTests<D>,
                              Monte::sha256});
}
template <class D> std::vector<AlgorithmSuite> sha384() {
    return sha2<D>("SHA384", {sha::makeSHA384Tests<D>, hmac::makeSHA384HMACTests<D>,
                              rfc::makeSHA384RFCHMACTests<D>, sweeps::makeSHA384SweepTests<D>,
                              Monte::sha384});
}
template <class D> std::vector<AlgorithmSuite> sha512() {
    return sha2<D>("SHA512", {sha::makeSHA512Tests<D>, hmac::makeSHA512HMACTests<D>,
                              rfc::makeSHA512RFCHMACTests<D>, sweeps::makeSHA512SweepTests<D>,
                              Monte::sha512});
}

template <class D> std::vector<AlgorithmSuite> sha512_224() {
    return checkedHash<D>(SuiteKind::sha512t, "SHA512-224", ::Test::SHA512t::makeSHA512_224Tests<D>,
                          Monte::sha512_224);
}
template <class D> std::vector<AlgorithmSuite> sha512_256() {
    return checkedHash<D>(SuiteKind::sha512t, "SHA512-256", ::Test::SHA512t::makeSHA512_256Tests<D>,
                          Monte::sha512_256);
}
template <class D> std::vector<AlgorithmSuite> sha3_224() {
    return checkedHash<D>(SuiteKind::sha3, "SHA3-224", ::Test::SHA3::makeSHA3_224Tests<D>,
                          Monte::sha3_224);
}
template <class D> std::vector<AlgorithmSuite> sha3_256() {
    return checkedHash<D>(SuiteKind::sha3, "SHA3-256", ::Test::SHA3::makeSHA3_256Tests<D>,
                          Monte::sha3_256);
}
template <class D> std::vector<AlgorithmSuite> sha3_384() {
    return checkedHash<D>(SuiteKind::sha3, "SHA3-384", ::Test::SHA3::makeSHA3_384Tests<D>,
                          Monte::sha3_384);
}
template <class D> std::vector<AlgorithmSuite> sha3_512() {
    return checkedHash<D>(SuiteKind::sha3, "SHA3-512", ::Test::SHA3::makeSHA3_512Tests<D>,
                          Monte::sha3_512);
}

/// aes: the suites of AES with K's key size: its NIST files, its CTR vectors, its laws.
template <class K> std::vector<AlgorithmSuite> aes() {
    const std::string name = "AES" + std::to_string(K::keyLength());
    return {suite(SuiteKind::cipherKnownAnswers, name, ::Test::AES::makeAESTests<K>),
            suite(SuiteKind::aesCTR, name + "-CTR", ::Test::AESCTR::makeAESCTRTests<K>),
            suite(SuiteKind::cipherLaws, "Laws-" + name, laws::makeBlockCipherConformanceTests<K>)};
}

template <class K> std::vector<AlgorithmSuite> twofish() {
    return {suite(SuiteKind::cipherKnownAnswers, "Twofish", ::Test::TwoFish::makeTwoFishTests<K>),
            suite(SuiteKind::cipherLaws, "Laws-Twofish", laws::makeBlockCipherConformanceTests<K>)};
}

/// camellia: the Camellia suite with K's key size.
template <class K> std::vector<AlgorithmSuite> camellia() {
    return {suite(SuiteKind::camellia, "Camellia" + std::to_string(K::keyLength()),
                  ::Test::Camellia::makeCamelliaTests<K>)};
}

} // namespace zorvan::check::algorithms
