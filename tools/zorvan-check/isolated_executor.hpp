#pragma once
// Running leaves in child processes, so that a crash or a hang fails one leaf only.

#include <zorvan/testing/runner.hpp>

#include <chrono>
#include <cstddef>

namespace zorvan::check {

/// isolatedExecutor: runs the leaves with runOne in `jobs` child processes forked from this
/// one; each child runs leaf after leaf. A leaf whose child dies fails with the signal or exit
/// status named; one that runs longer than `timeout` fails as timed out, its child killed. A
/// replacement child carries on with the other leaves. Throws std::system_error when no child
/// can be started. Call it before this process starts any thread.
zorvan::testing::Executor isolatedExecutor(std::size_t jobs, std::chrono::seconds timeout,
                                           zorvan::testing::LeafRunner runOne);

} // namespace zorvan::check
