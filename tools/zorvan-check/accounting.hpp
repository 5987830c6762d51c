#pragma once
// The accounting of zorvan-check: for each suite, what became of the records its files held,
// as its building noted them in a ledger.

#include <Test/RecordLedger.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvan::check {

/// accountLine: "SHA256: 129 of 129 records in 2 files became tests", then one line for each
/// reason records went to another variant or failed, with how many and where the first stands:
/// "\n  2880 refused key: 24 octets (first at Test/KAT_AES/CFB128VarKey192-e.rsp:10)",
/// "\n  1 failed: missing field: MD (first at ...)"; nothing for a suite that read no file.
/// Never fails beyond allocation.
std::optional<std::string> accountLine(std::string_view suite,
                                       const ::Test::RecordLedger::Ledger& ledger);

/// accountingReport: the lines of each suite, one per set of backends whose suites of that
/// name gave the same line ("known answers (openssl, gcrypt) SHA1: ..."), in the order the
/// lines came. lines holds (backend, line) pairs. Never fails beyond allocation.
std::string accountingReport(const std::vector<std::pair<std::string, std::string>>& lines);

} // namespace zorvan::check
