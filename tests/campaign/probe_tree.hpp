#pragma once
// The tests of the campaign's probes (campaign.py): a builder and leaves that end in every way
// the campaign tries, chosen by the environment:
//   PROBE_BUILD  what the builder does: pass (the default), empty, and the actions below
//   PROBE_LEAF   what the leaf Probe/target does: pass (the default), and the actions below
//   PROBE_MARK   a file that the builder and the target append a line to as they start
//   PROBE_SLEEP_MS  how long "sleep" sleeps (default 2000)
// Actions: pass, fail, throw, throw-unknown, skip, bytes (a failure message that is not UTF-8),
// exit0, exit3, quick_exit0, _exit0, thread-exit0, thread-quick_exit0, abort, segv, hang,
// sleep.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/assertion.hpp>
#include <zorvan/testing/test.hpp>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace probe {

inline std::string setting(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

inline void mark(const char* moment) {
    if (const char* file = std::getenv("PROBE_MARK")) {
        std::ofstream(file, std::ios::app) << moment << std::endl;
    }
}

inline void sleepMilliseconds(long milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Busy for good, as a leaf caught in an endless loop is.
inline void spinForever() {
    static std::atomic<bool> released{false};
    while (!released.load()) {
    }
}

// Ends the process from a thread of its own while the caller waits.
template <class End> void endFromAnotherThread(End end) {
    std::thread(end).detach();
    sleepMilliseconds(10'000);
}

inline void act(const std::string& action) {
    if (action == "fail") {
        zorvan::testing::assertEqual("probe", zorvan::Bytes{1}, zorvan::Bytes{2});
    } else if (action == "throw") {
        throw std::runtime_error("the probe threw");
    } else if (action == "throw-unknown") {
        throw 42;
    } else if (action == "skip") {
        throw zorvan::testing::TestSkipped("the probe skips");
    } else if (action == "bytes") {
        throw std::runtime_error(
            "bytes \xff\xfe esc \x1b[31m ctl \x01 overlong \xc0\xaf <&\"> end");
    } else if (action == "exit0") {
        std::exit(0);
    } else if (action == "exit3") {
        std::exit(3);
    } else if (action == "quick_exit0") {
        std::quick_exit(0);
    } else if (action == "_exit0") {
        ::_exit(0);
    } else if (action == "thread-exit0") {
        endFromAnotherThread([] { std::exit(0); });
    } else if (action == "thread-quick_exit0") {
        endFromAnotherThread([] { std::quick_exit(0); });
    } else if (action == "abort") {
        std::abort();
    } else if (action == "segv") {
        ::raise(SIGSEGV);
    } else if (action == "hang") {
        spinForever();
    } else if (action == "sleep") {
        sleepMilliseconds(std::stol(setting("PROBE_SLEEP_MS", "2000")));
    } else if (action != "pass") {
        throw std::invalid_argument("unknown probe action '" + action + "'");
    }
}

inline std::vector<zorvan::testing::Test> tests() {
    using zorvan::testing::testCase;
    using zorvan::testing::TestGroup;
    mark("build");
    const std::string build = setting("PROBE_BUILD", "pass");
    if (build == "empty") {
        return {};
    }
    act(build);
    return {TestGroup{"Probe",
                      {testCase("before", [] {}),
                       testCase("target",
                                [] {
                                    mark("leaf");
                                    act(setting("PROBE_LEAF", "pass"));
                                }),
                       testCase("after", [] {})}},
            TestGroup{"Bytes \xff\x1b[2J <&>", {testCase("name \xc0\xaf\x01 caf\xc3\xa9", [] {})}}};
}

} // namespace probe
