// The campaign's probe through GoogleTest (see probe_tree.hpp). PROBE_SUITE=aes registers the
// AES suite over a key type that does nothing, instead, for the cases that damage its data;
// PROBE_KEY=throw makes its buildKey throw.

#include "probe_tree.hpp"

#include <Test/AES.hpp>
#include <zorvan/testing/gtest.hpp>

#include <optional>

namespace {

// A block cipher that leaves blocks as they are and whose buildKey may throw, as a library's
// key setup that fails outright does.
struct IdleKey {
    static constexpr std::size_t blockSize() { return 128; }
    static constexpr std::size_t keyLength() { return 128; }
    static std::optional<IdleKey> buildKey(const zorvan::Bytes& key) {
        if (probe::setting("PROBE_KEY", "") == "throw") {
            throw std::runtime_error("the key schedule is not initialised");
        }
        return key.size() == keyLength() / 8 ? std::optional(IdleKey{}) : std::nullopt;
    }
    [[nodiscard]] zorvan::Bytes encryptBlock(const zorvan::Bytes& blocks) const { return blocks; }
    [[nodiscard]] zorvan::Bytes decryptBlock(const zorvan::Bytes& blocks) const { return blocks; }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (probe::setting("PROBE_SUITE", "") == "aes") {
        zorvan::testing::registerGoogleTests([] { return Test::AES::makeAESTests<IdleKey>(); });
    } else {
        zorvan::testing::registerGoogleTests(probe::tests);
    }
    return RUN_ALL_TESTS();
}
