// Backend keys keep library handles that their copies share: copies of one key, and the key
// itself, used on several threads at once must give the results a lone key gives.

#include "backend_test_support.hpp"

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/block_cipher.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

namespace {

using zorvan::Bytes;
using zorvan::backend_tests::ivFrom;
using zorvan::backend_tests::keyFrom;
using zorvan::backend_tests::Random;

constexpr std::size_t threadCount = 4;
constexpr int roundsPerThread = 2000;

// One call of each kind a key's handles serve: single blocks (the Monte Carlo path), several
// blocks, both directions, an IV mode whose output hangs on the IV.
struct Case {
    Bytes iv;
    Bytes data;
    Bytes ecb;
    Bytes unEcb;
    Bytes cbc;
    Bytes unCbc;
    Bytes cbcNextIv;
};

template <class K> Case computeCase(const K& key, Bytes iv, Bytes data) {
    Case result{std::move(iv), std::move(data), {}, {}, {}, {}, {}};
    result.ecb = zorvan::ecb(key, result.data);
    result.unEcb = zorvan::unEcb(key, result.data);
    auto [cbc, next] = zorvan::cbc(key, ivFrom<K>(result.iv), result.data);
    result.cbc = std::move(cbc);
    result.cbcNextIv = next.encode();
    result.unCbc = zorvan::unCbc(key, ivFrom<K>(result.iv), result.data).first;
    return result;
}

template <class K> class SharedKeyHandles : public testing::Test {};
using Keys = testing::Types<zorvan::gcrypt::AES128, zorvan::gcrypt::Twofish,
                            zorvan::openssl::AES128, zorvan::nettle::Twofish>;
TYPED_TEST_SUITE(SharedKeyHandles, Keys);

TYPED_TEST(SharedKeyHandles, CopiesOnSeveralThreadsAgreeWithALoneKey) {
    using K = TypeParam;
    Random random(16);
    const Bytes keyOctets = random.bytes(16);
    std::vector<Case> cases;
    for (const std::size_t blocks : {std::size_t{1}, std::size_t{1}, std::size_t{3}}) {
        // Each expected result comes from a key of its own, which no other thread touches.
        const K lone = keyFrom<K>(keyOctets);
        cases.push_back(computeCase(lone, random.bytes(16), random.bytes(16 * blocks)));
    }

    const K shared = keyFrom<K>(keyOctets);
    std::atomic<int> mismatches = 0;
    // The threads start together, so that their calls overlap.
    std::latch start(threadCount);
    std::vector<std::thread> threads;
    for (std::size_t thread = 0; thread < threadCount; ++thread) {
        threads.emplace_back([&, thread] {
            const K copy = shared;
            // Half the threads use their copy, half the one key itself.
            const K& key = thread % 2 == 0 ? copy : shared;
            start.arrive_and_wait();
            for (int round = 0; round < roundsPerThread; ++round) {
                for (const Case& expected : cases) {
                    const Case actual = computeCase(key, expected.iv, expected.data);
                    if (actual.ecb != expected.ecb || actual.unEcb != expected.unEcb ||
                        actual.cbc != expected.cbc || actual.unCbc != expected.unCbc ||
                        actual.cbcNextIv != expected.cbcNextIv) {
                        ++mismatches;
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
