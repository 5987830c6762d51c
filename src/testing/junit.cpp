#include "junit.hpp"

#include "console_reporter.hpp"
#include "descriptor_io.hpp"
#include "visible_text.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
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

std::string writeError(int error) {
    return error == 0 ? "nothing could be written" : std::strerror(error);
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

std::string renderRunFailure(std::uint64_t seed, std::string_view name, std::string_view why) {
    const Leaf leaf{"zorvan/" + std::string(name), "zorvan", std::string(name), nullptr};
    const std::string message(why);
    return renderJUnit(seed, {{&leaf, outcomeWith(LeafStatus::failed, message), message}}, "");
}

JUnitDestination::JUnitDestination(std::string path) : path_(path), shownPath_(std::move(path)) {
    if (path_.empty()) {
        fail(shownPath_, "the path is empty");
    }
    struct stat status {};
    const bool exists = ::stat(path_.c_str(), &status) == 0;
    const int statError = exists ? 0 : errno;
    struct stat link {};
    if (::lstat(path_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (!exists) {
            fail(shownPath_, "it is a symbolic link to nothing");
        }
        // Renaming over the link would put a file in its place: write where it leads.
        std::error_code error;
        if (S_ISREG(status.st_mode)) {
            path_ = std::filesystem::canonical(path_, error).string();
        }
        if (error) {
            fail(shownPath_, "cannot follow the symbolic link: " + error.message());
        }
    }
    if (!exists && statError != ENOENT) {
        fail(shownPath_, std::strerror(statError));
    }
    if (!exists || S_ISREG(status.st_mode)) {
        return;
    }
    if (S_ISDIR(status.st_mode)) {
        fail(shownPath_, "it is a directory");
    }
    if (!S_ISCHR(status.st_mode) && !S_ISFIFO(status.st_mode)) {
        fail(shownPath_, "it is neither a regular file, a character device nor a FIFO");
    }
    // Without O_NONBLOCK, opening a FIFO that nobody reads would wait for a reader for good.
    fd_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        fail(shownPath_, errno == ENXIO ? "it is a FIFO that no process reads"
                                        : std::string(std::strerror(errno)));
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    inPlace_ = true;
}

JUnitDestination::~JUnitDestination() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void JUnitDestination::standIn(std::string_view text) {
    if (inPlace_) {
        return;
    }
    try {
        replace(text);
    } catch (const std::runtime_error&) {
        ::unlink(path_.c_str());
        throw;
    }
}

void JUnitDestination::write(std::string_view text) {
    if (!inPlace_) {
        replace(text);
        return;
    }
    if (fd_ < 0) {
        return; // written once already
    }
    const bool written = writeAll(fd_, text.data(), text.size());
    const int error = errno;
    ::close(std::exchange(fd_, -1));
    if (!written) {
        fail(shownPath_, writeError(error));
    }
}

void JUnitDestination::replace(std::string_view text) const {
    const std::string temporaryPath = path_ + ".partial-" + std::to_string(::getpid());
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        fail(shownPath_,
             "cannot create " + visibleText(temporaryPath) + " beside it: " + std::strerror(errno));
    }
    std::optional<std::string> problem;
    if (!writeAll(fd, text.data(), text.size())) {
        problem = writeError(errno);
    }
    if (::close(fd) != 0 && !problem) {
        problem = std::strerror(errno);
    }
    if (!problem && ::rename(temporaryPath.c_str(), path_.c_str()) != 0) {
        problem = std::strerror(errno);
    }
    if (problem) {
        ::unlink(temporaryPath.c_str());
        fail(shownPath_, *problem);
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
    if (end.summary.nothingSelected) {
        destination_.write(renderRunFailure(options_.check.seed, "selection", end.emptySelection));
        return;
    }
    destination_.write(renderJUnit(options_.check.seed, cases_,
                                   end.stopped() ? "not run: " + end.stopReason : ""));
}

} // namespace zorvan::testing::detail
