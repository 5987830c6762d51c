#pragma once
// Test::AcvpShake: NIST's ACVP vector sets of SHAKE128 and SHAKE256 (installed under
// Test/ACVP/<set>), one leaf per test: functional and variable-output tests (AFT, VOT) and the
// Monte Carlo chain whose output length varies from step to step (MCT), over the XOF view.

#include <Test/Crypto/XofView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/testing/test.hpp>
#include <zorvan/xof.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::AcvpShake {

/// shakeSetTests: the ACVP SHAKE set in the source's relativeDirectory
/// ("Test/ACVP/SHAKE-128-1.0") for the XOF type in view, as one group named after the set
/// ("ACVP-SHAKE-128") holding a group "tg<tgId>" per test group holding a leaf "tc<tcId>" per
/// test. An AFT or VOT leaf absorbs msg (its len bits) in one piece and in chunks, squeezes
/// outLen bits and compares them with md (of a partial last octet, its low bits, as SHAKE
/// writes bit strings); an MCT leaf runs the chain between the group's minOutLen and maxOutLen
/// and compares each of resultsArray's checkpoints. A message that is not whole octets skips
/// its leaf ("bit-length message: the type hashes octets"). A failure names the file, tgId
/// and tcId, with the computed and known outputs; damaged tests, files that differ from the
/// data's manifest and an unknown testType fail their own leaves. Throws
/// Test::KatFiles::KatDirectoryError when the folder cannot be listed or a file cannot be read.
std::vector<zorvan::testing::Test> shakeSetTests(const std::shared_ptr<const Crypto::XofView>& xof,
                                                 std::string_view relativeDirectory,
                                                 const DataSource& source = {});

/// makeAcvpShakeTests: shakeSetTests for the XOF type X. Throws as shakeSetTests does.
template <zorvan::Xof X>
std::vector<zorvan::testing::Test> makeAcvpShakeTests(std::string_view relativeDirectory,
                                                      const DataSource& source = {}) {
    return shakeSetTests(Crypto::xofView<X>(), relativeDirectory, source);
}

} // namespace Test::AcvpShake
