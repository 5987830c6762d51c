#include "junit.hpp"

#include "console_reporter.hpp"
#include "visible_text.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace zorvan::testing::detail {

namespace {

[[noreturn]] void fail(const std::string& path, const std::string& reason) {
    throw std::runtime_error("cannot write the JUnit report to " + visibleText(path) + ": " +
                             reason);
}

// Readers take times as decimal numbers; a default stream writes small ones with an exponent.
std::string seconds(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(6) << value;
    return text.str();
}

void writeTestCase(std::ostream& xml, const JUnitCase& testCase, std::string_view notRunReason) {
    const std::optional<LeafOutcome>& outcome = testCase.outcome;
    xml << "    <testcase classname=\"" << xmlText(testCase.leaf->groupPath) << "\" name=\""
        << xmlText(testCase.leaf->name) << "\" time=\"" << seconds(outcome ? outcome->seconds : 0)
        << "\"";
    if (outcome && outcome->status == LeafStatus::passed) {
        xml << "/>\n";
        return;
    }
    const bool failed = outcome && outcome->status == LeafStatus::failed;
    const std::string message = outcome ? outcome->message : std::string(notRunReason);
    const std::string body = failed ? testCase.failureText : outcome ? outcome->report() : message;
    const char* element = failed ? "failure" : "skipped";
    xml << ">\n      <" << element << " message=\""
        << xmlText(message.substr(0, message.find('\n'))) << "\">" << xmlText(body) << "</"
        << element << ">\n    </testcase>\n";
}

} // namespace

std::string renderJUnit(std::uint64_t seed, const std::vector<JUnitCase>& cases,
                        std::string_view notRunReason) {
    RunSummary summary;
    double total = 0;
    for (const JUnitCase& testCase : cases) {
        const std::optional<LeafOutcome>& outcome = testCase.outcome;
        total += outcome ? outcome->seconds : 0;
        summary.failed += outcome && outcome->status == LeafStatus::failed ? 1U : 0U;
        summary.skipped += !outcome || outcome->status == LeafStatus::skipped ? 1U : 0U;
    }
    std::ostringstream xml;
    const auto counts = [&] {
        xml << " tests=\"" << cases.size() << "\" failures=\"" << summary.failed
            << "\" errors=\"0\" skipped=\"" << summary.skipped << "\" time=\"" << seconds(total)
            << "\">\n";
    };
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites";
    counts();
    xml << "  <testsuite name=\"zorvan\"";
    counts();
    xml << "    <properties>\n      <property name=\"seed\" value=\"" << seed
        << "\"/>\n    </properties>\n";
    for (const JUnitCase& testCase : cases) {
        writeTestCase(xml, testCase, notRunReason);
    }
    xml << "  </testsuite>\n</testsuites>\n";
    return std::move(xml).str();
}

JUnitFile::JUnitFile(std::string path)
    : path_(std::move(path)), temporaryPath_(path_ + ".partial-" + std::to_string(::getpid())) {
    struct stat status {};
    if (::stat(path_.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        fail(path_, "it is a directory");
    }
    fd_ = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        fail(path_, "cannot create " + visibleText(temporaryPath_) +
                        " beside it: " + std::strerror(errno));
    }
}

JUnitFile::~JUnitFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporaryPath_.c_str());
    }
}

void JUnitFile::commit(std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd_, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            const std::string reason =
                written < 0 ? std::strerror(errno) : "nothing could be written";
            // A run cut short ends the process without unwinding: remove the file here.
            ::close(std::exchange(fd_, -1));
            ::unlink(temporaryPath_.c_str());
            fail(path_, reason);
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporaryPath_.c_str());
        fail(path_, std::strerror(error));
    }
    if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporaryPath_.c_str());
        fail(path_, std::strerror(error));
    }
}

void JUnitReporter::runStarting(const RunStart& start) {
    all_ = &start.all;
    cases_.clear();
    for (const Leaf& leaf : start.leaves) {
        cases_.push_back({&leaf, std::nullopt, {}});
    }
}

void JUnitReporter::leafEnded(std::size_t index, const Leaf& leaf, const LeafOutcome& outcome,
                              const RunSummary&) {
    JUnitCase& testCase = cases_[index];
    testCase.outcome = outcome;
    if (outcome.status == LeafStatus::failed) {
        testCase.failureText = outcome.report() + "\n  " + rerunLine(*all_, leaf, options_);
    }
}

void JUnitReporter::runEnded(const RunEnd& end) {
    file_.commit(renderJUnit(options_.check.seed, cases_,
                             end.stopped() ? "not run: " + end.stopReason : ""));
}

} // namespace zorvan::testing::detail
