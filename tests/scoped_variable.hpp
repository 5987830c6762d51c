#pragma once
// ScopedVariable: sets or unsets one environment variable for a test and puts the old value
// back when it goes.

#include <cstdlib>
#include <optional>
#include <string>

class ScopedVariable {
public:
    explicit ScopedVariable(const char* name) : name_(name) {
        if (const char* value = std::getenv(name)) {
            saved_ = value;
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;
    ~ScopedVariable() {
        if (saved_) {
            ::setenv(name_, saved_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

    void set(const std::string& value) { ::setenv(name_, value.c_str(), 1); }
    void unset() { ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> saved_;
};
