#include "junit.hpp"

#include "visible_text.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace zorvan::testing::detail {

namespace {

[[noreturn]] void fail(const std::string& path, const std::string& reason) {
    throw std::runtime_error("cannot write the JUnit report to " + visibleText(path) + ": " +
                             reason);
}

void writeTestCase(std::ostream& xml, const Leaf& leaf, const std::optional<LeafOutcome>& outcome,
                   std::string_view notRunReason) {
    xml << "    <testcase classname=\"" << xmlText(leaf.groupPath) << "\" name=\""
        << xmlText(leaf.name) << "\" time=\"" << (outcome ? outcome->seconds : 0) << "\"";
    if (outcome && outcome->status == LeafStatus::passed) {
        xml << "/>\n";
        return;
    }
    const bool failed = outcome && outcome->status == LeafStatus::failed;
    const std::string report = outcome ? outcome->report() : std::string(notRunReason);
    const char* element = failed ? "failure" : "skipped";
    xml << ">\n      <" << element << " message=\"" << xmlText(report.substr(0, report.find('\n')))
        << "\">" << xmlText(report) << "</" << element << ">\n    </testcase>\n";
}

} // namespace

std::string renderJUnit(const std::vector<Leaf>& leaves,
                        const std::vector<std::optional<LeafOutcome>>& outcomes,
                        std::string_view notRunReason) {
    RunSummary summary;
    double total = 0;
    for (const std::optional<LeafOutcome>& outcome : outcomes) {
        total += outcome ? outcome->seconds : 0;
        summary.failed += outcome && outcome->status == LeafStatus::failed ? 1U : 0U;
        summary.skipped += !outcome || outcome->status == LeafStatus::skipped ? 1U : 0U;
    }
    std::ostringstream xml;
    const auto counts = [&] {
        xml << " tests=\"" << leaves.size() << "\" failures=\"" << summary.failed << "\" skipped=\""
            << summary.skipped << "\" time=\"" << total << "\">\n";
    };
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites";
    counts();
    xml << "  <testsuite name=\"zorvan\"";
    counts();
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        writeTestCase(xml, leaves[i], outcomes[i], notRunReason);
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
            fail(path_, written < 0 ? std::strerror(errno) : "nothing could be written");
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
    leaves_ = &start.leaves;
    outcomes_.assign(start.leaves.size(), std::nullopt);
}

void JUnitReporter::leafEnded(std::size_t index, const Leaf&, const LeafOutcome& outcome,
                              const RunSummary&) {
    outcomes_[index] = outcome;
}

void JUnitReporter::runEnded(const RunEnd& end) {
    file_.commit(
        renderJUnit(*leaves_, outcomes_, end.stopped() ? "not run: " + end.stopReason : ""));
}

} // namespace zorvan::testing::detail
