#pragma once
// Test::AcvpSuite: what the suites built from ACVP sets share: a set read from its folder with
// every test accounted for, and each readable test handed on with its leaf name, place, origin
// and the numbers its group and test state.

#include <Test/AcvpFiles.hpp>
#include <Test/DataSource.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/testing/origin.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace Test::AcvpSuite {

/// AcvpCase: one readable test of a set in directory, as a suite binds it.
struct AcvpCase {
    std::string_view directory;
    const ReadRecord<AcvpFiles::Test>& record;

    /// test: the test read. Never fails.
    [[nodiscard]] const AcvpFiles::Test& test() const noexcept { return *record.vector; }
    /// place: where the test stands, as the ledger and failing leaves name it. Never fails.
    [[nodiscard]] RecordLedger::RecordPlace place() const noexcept {
        return {directory, record.fileName, record.line, record.test};
    }
    /// origin: the test's origin, its group's and its own fields, for a failure to show.
    [[nodiscard]] zorvan::testing::VectorOrigin origin() const {
        return AcvpFiles::origin(directory, record);
    }
    /// name: the leaf's name, the set's algorithm, group and test: "ACVP-AES-CBC/tg3/tc41".
    [[nodiscard]] std::string name() const;
    /// groupInteger, promptInteger: the group's or the prompt test's member name when it is an
    /// integer; nothing otherwise. Never fail.
    [[nodiscard]] std::optional<std::int64_t> groupInteger(std::string_view name) const noexcept;
    [[nodiscard]] std::optional<std::int64_t> promptInteger(std::string_view name) const noexcept;
};

/// Bind: what a suite does with one readable test: add its test, or account for it otherwise.
using Bind = std::function<void(RecordTests&, const AcvpCase&)>;

/// addSet: the set in directory read and its tests, in the prompt's order, handed to bind
/// between RecordTests::beginFolder and endFolder; damaged tests fail, as does every test of a
/// set that declares an algorithm other than algorithm ("ACVP-AES-CBC"). A set whose groups hold
/// no keyLen of keyBits, the type's, gives a skipped leaf "<algorithm>/KeyLength<bits>" saying
/// which it holds: a sample set may cover one key size alone. Throws what AcvpFiles::readFolder
/// and bind throw.
void addSet(RecordTests& records, const DataSource& source, std::string_view directory,
            std::string_view algorithm, std::size_t keyBits, const Bind& bind);

/// groupDamage: why the test's group is none a suite of kind ("AEAD") runs: a testType not among
/// testTypes, or a direction that is neither of directions; "" otherwise. Never fails beyond
/// allocation.
std::string groupDamage(const AcvpFiles::Test& test,
                        std::initializer_list<std::string_view> testTypes, std::string_view kind,
                        std::array<std::string_view, 2> directions);

/// needField: "missing field: <field>" added to damage when present is false. Never fails beyond
/// allocation.
void needField(std::string& damage, bool present, std::string_view field);

/// bitsAsOctets: a length in bits stated by field name as octets, or why it is none
/// ("a payloadLen of no whole number of octets", the same for every such length so that the
/// ledger counts them together) in why. Never fails beyond allocation.
std::optional<std::size_t> bitsAsOctets(std::string_view name, std::int64_t bits, std::string& why);

} // namespace Test::AcvpSuite
