#pragma once
// A progress line on a terminal that the report's own lines write over cleanly.

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

} // namespace zorvan::check
