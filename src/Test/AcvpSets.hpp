#pragma once
// Test::AcvpSets: what the ACVP suites share. A set's folder becomes one group named after the
// set ("ACVP-SHA2-256") holding a group per test group ("tg3") holding a leaf per test ("tc41"),
// with every test accounted for; and a test's fields decode with errors that name the file, the
// tgId and the tcId.

#include <Test/AcvpFiles.hpp>
#include <Test/DataSource.hpp>

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/test.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Test::AcvpSets {

/// bitLengthReason: why a test whose message is not whole octets is skipped.
inline constexpr std::string_view bitLengthReason = "bit-length message: the type hashes octets";

/// SetTest: one test of a set as a suite binds it: the test read, its origin, and how failures
/// name it ("ACVP-SHA2-256 tgId=3,tcId=41").
struct SetTest {
    AcvpFiles::Test test;
    zorvan::testing::VectorOrigin origin;
    std::string name;
};

/// Check: the assertion of one test's leaf.
using Check = std::function<void()>;
/// Bind: a suite's check of one test, chosen by its group's testType.
using Bind = std::function<Check(std::shared_ptr<const SetTest>)>;

/// setName: the leaf group's name of a set: "ACVP-" then its algorithm, '/' made '-'
/// ("ACVP-SHA2-512-256"); the algorithm alone when it already starts with "ACVP-".
std::string setName(std::string_view algorithm);

/// setTests: the set in the source's relativeDirectory, as one group named by setName holding a
/// group "tg<tgId>" per test group holding a leaf "tc<tcId>" per test, whose assertion bind
/// gives; each damaged test, file that differs from the manifest, or a set that gives no test
/// becomes a failing leaf of the group naming the file, tgId and tcId. Throws what
/// AcvpFiles::readFolder throws, and what bind throws.
std::vector<zorvan::testing::Test> setTests(const DataSource& source,
                                            std::string_view relativeDirectory, const Bind& bind);

/// damaged: throws DamagedData naming the test's file, line, tgId and tcId, then why.
[[noreturn]] void damaged(const SetTest& test, const std::string& why);

/// skipped: throws zorvan::testing::TestSkipped with the reason.
[[noreturn]] void skipped(std::string_view reason);

/// integerMember: the integer member named name of an object of the test (its prompt, answer or
/// a result). Throws as damaged does when it is missing or no integer.
std::int64_t integerMember(const SetTest& test, const Json::Value& object, std::string_view name);

/// hexMember: the hex string member named name of an object of the test, decoded. Throws as
/// damaged does when it is missing, no string or no hex.
zorvan::Bytes hexMember(const SetTest& test, const Json::Value& object, std::string_view name);

/// hexText: the text of the test's field named name, decoded from hex. Throws as damaged does
/// when it is no hex.
zorvan::Bytes hexText(const SetTest& test, std::string_view name, std::string_view text);

/// unknownTestType: throws as damaged does, naming the test's testType, which the suite has no
/// check of.
[[noreturn]] void unknownTestType(const SetTest& test);

/// octetMessage: the prompt's "msg" of "len" bits. Throws TestSkipped (bitLengthReason) for a
/// length that is not whole octets, and as damaged does when msg holds another number of octets.
zorvan::Bytes octetMessage(const SetTest& test);

/// results: the items of the answer's "resultsArray" (a Monte Carlo test's checkpoints). Throws
/// as damaged does when it is missing, no array, empty, or holds other than objects.
std::vector<const Json::Value*> results(const SetTest& test);

/// assertAnswer: assertKnownAnswer under the test's name (then what, when given), with its
/// origin.
void assertAnswer(const SetTest& test, const zorvan::Bytes& computed, const zorvan::Bytes& known,
                  std::string_view what = {});

/// fitted: the octets cut or padded with zero octets to length, as the Monte Carlo chains that
/// keep their seed's length fit each message.
zorvan::Bytes fitted(const zorvan::Bytes& octets, std::size_t length);

/// BitOrder: which bits of a partial last octet lead: the high ones (SHA-1, SHA-2, HMAC) or
/// the low ones (SHA-3 and SHAKE write their bit strings little-endian).
enum class BitOrder { highFirst, lowFirst };

/// leadingBits: the first bits of octets, the unused bits of a partial last octet cleared; all
/// of them when bits reaches past their end. Never fails beyond allocation.
zorvan::Bytes leadingBits(const zorvan::Bytes& octets, std::uint64_t bits, BitOrder order);

} // namespace Test::AcvpSets
