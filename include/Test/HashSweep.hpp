#pragma once
// Test::HashSweep: hash digests of every message length from 0 to two blocks plus two octets
// (Test/KAT_HASH_SWEEP), where padding faults at particular lengths show, and on request one
// message longer than 2^32 bits (Test/KAT_HASH_LONG), where a 32-bit length counter shows.
// The messages follow a fixed pattern, octet i being i mod 251, so the files hold only
// lengths and digests.

#include <Test/Crypto/HashView.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
#include <string_view>
#include <vector>

namespace Test::HashSweep {

/// LongMessage: whether a sweep builder adds the long-message test, which hashes 512 MiB.
enum class LongMessage { skip, include };

/// sweepTests: for the digest type in view, one unit test per record of "<label>Sweep.rsp" in
/// Test/KAT_HASH_SWEEP ("SHA256" as label), named "Sweep<label>-<Len>bits", each hashing the
/// pattern of Len bits contiguously and in chunks; with LongMessage::include, then one per
/// record of "<label>Long.rsp" in Test/KAT_HASH_LONG, which feeds the type's Context so that the
/// message is never held whole. A record with a missing or unknown field, a file that differs
/// from the data's manifest and a file that gives no test become failing leaves. Throws
/// Test::KatFiles::KatDirectoryError when a folder cannot be listed or a file is missing or
/// cannot be read.
std::vector<zorvan::testing::Test> sweepTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                              std::string_view label, LongMessage longMessage,
                                              const DataSource& source = {});

/// makeMD5SweepTests, makeSHA1SweepTests ... makeSHA512SweepTests: sweepTests of the hash's
/// label for the digest type D (the witness only selects it). Throw as sweepTests does.
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMD5SweepTests(LongMessage longMessage = LongMessage::skip,
                                                     const DataSource& source = {}) {
    return sweepTests(Crypto::messageView<D>(), "MD5", longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1SweepTests(LongMessage longMessage = LongMessage::skip,
                                                      const DataSource& source = {}) {
    return sweepTests(Crypto::messageView<D>(), "SHA1", longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224SweepTests(LongMessage longMessage = LongMessage::skip,
                                                        const DataSource& source = {}) {
    return sweepTests(Crypto::messageView<D>(), "SHA224", longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256SweepTests(LongMessage longMessage = LongMessage::skip,
                                                        const DataSource& source = {}) {
    return sweepTests(Crypto::messageView<D>(), "SHA256", longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384SweepTests(LongMessage longMessage = LongMessage::skip,
                                                        const DataSource& source = {}) {
    return sweepTests(Crypto::messageView<D>(), "SHA384", longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512SweepTests(LongMessage longMessage = LongMessage::skip,
                                                        const DataSource& source = {}) {
    return sweepTests(Crypto::messageView<D>(), "SHA512", longMessage, source);
}

template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeMD5SweepTests(const D& /*witness*/,
                                                     LongMessage longMessage = LongMessage::skip,
                                                     const DataSource& source = {}) {
    return makeMD5SweepTests<D>(longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA1SweepTests(const D& /*witness*/,
                                                      LongMessage longMessage = LongMessage::skip,
                                                      const DataSource& source = {}) {
    return makeSHA1SweepTests<D>(longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA224SweepTests(const D& /*witness*/,
                                                        LongMessage longMessage = LongMessage::skip,
                                                        const DataSource& source = {}) {
    return makeSHA224SweepTests<D>(longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA256SweepTests(const D& /*witness*/,
                                                        LongMessage longMessage = LongMessage::skip,
                                                        const DataSource& source = {}) {
    return makeSHA256SweepTests<D>(longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA384SweepTests(const D& /*witness*/,
                                                        LongMessage longMessage = LongMessage::skip,
                                                        const DataSource& source = {}) {
    return makeSHA384SweepTests<D>(longMessage, source);
}
template <zorvan::Hash D>
std::vector<zorvan::testing::Test> makeSHA512SweepTests(const D& /*witness*/,
                                                        LongMessage longMessage = LongMessage::skip,
                                                        const DataSource& source = {}) {
    return makeSHA512SweepTests<D>(longMessage, source);
}

} // namespace Test::HashSweep
