#pragma once
// IncompleteMatch: the error of a case analysis that meets a case it does not cover.

#include <stdexcept>

namespace Test {

/// IncompleteMatch: raised with a fixed text that names the unit, the source span and the
/// function whose case analysis had no case for the value met
/// ("Test/MD5:38:3-25|function fromRight", say).
class IncompleteMatch : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Test
