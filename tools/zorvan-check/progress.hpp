#pragma once
// A progress line on a terminal that the report's own lines write over cleanly.

#include <zorvan/testing/runner.hpp>

#include <ostream>
#include <streambuf>
#include <string>

namespace zorvan::check {

/// ProgressLine: a stream buffer over a terminal's stream. show draws a transient status
/// line; whatever is written through the buffer first clears that line, so the report and
/// the progress never mix.
class ProgressLine : public std::streambuf {
public:
    ProgressLine(std::ostream& terminal, bool enabled) : terminal_(terminal), enabled_(enabled) {}

    void show(const std::string& status) {
        if (enabled_) {
            terminal_ << "\r\033[K" << status << std::flush;
            visible_ = true;
        }
    }
    void clear() {
        if (visible_) {
            terminal_ << "\r\033[K" << std::flush;
            visible_ = false;
        }
    }

protected:
    int_type overflow(int_type c) override {
        clear();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            terminal_.put(traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        clear();
        terminal_.write(text, count);
        return count;
    }
    int sync() override {
        terminal_.flush();
        return 0;
    }

private:
    std::ostream& terminal_;
    bool enabled_;
    bool visible_ = false;
};

/// ProgressReporter: shows on a progress line, as each leaf ends, its suite, how many of the
/// run's suites have been reached, and how many leaves have ended and failed; clears the line
/// when the run ends.
class ProgressReporter : public zorvan::testing::RunListener {
public:
    ProgressReporter(ProgressLine& line, std::size_t suites) : line_(line), suites_(suites) {}

    void groupStarting(const zorvan::testing::RunStart&) override { ++reached_; }
    void leafEnded(std::size_t, const zorvan::testing::Leaf& leaf,
                   const zorvan::testing::LeafOutcome&,
                   const zorvan::testing::RunSummary& soFar) override {
        const std::size_t ended = soFar.passed + soFar.failed + soFar.skipped;
        const std::string suite = leaf.path.substr(0, leaf.path.find('/', leaf.path.find('/') + 1));
        line_.show("[" + suite + "] suite " + std::to_string(reached_) + " of " +
                   std::to_string(suites_) + ", " + std::to_string(ended) + " leaves ended, " +
                   std::to_string(soFar.failed) + " failed");
    }
    void runEnded(const zorvan::testing::RunEnd&) override { line_.clear(); }

private:
    ProgressLine& line_;
    std::size_t suites_;
    std::size_t reached_ = 0;
};

} // namespace zorvan::check
