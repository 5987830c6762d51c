#pragma once
// claim: for test programs that judge GoogleTest's results themselves: whether something holds,
// saying on standard error what did not.

#include <iostream>
#include <string>

inline bool claim(bool holds, const std::string& what) {
    if (!holds) {
        std::cerr << "not so: " << what << '\n';
    }
    return holds;
}
