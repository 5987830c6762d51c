#include <zorvan/testing/runner.hpp>

namespace zorvan::testing {

namespace {

// One pattern element: '*', or one character to match ('?' matches any).
struct PatternElement {
    bool star = false;
    bool any = false;
    char literal = 0;
};

std::vector<PatternElement> compile(std::string_view pattern) {
    std::vector<PatternElement> elements;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size()) {
            elements.push_back({.literal = pattern[++i]});
        } else if (c == '*') {
            elements.push_back({.star = true});
        } else if (c == '?') {
            elements.push_back({.any = true});
        } else {
            elements.push_back({.literal = c});
        }
    }
    return elements;
}

} // namespace

bool globMatch(std::string_view pattern, std::string_view text) {
    const std::vector<PatternElement> elements = compile(pattern);
    // Greedy matching with one backtrack point: the last star seen.
    std::size_t p = 0;
    std::size_t t = 0;
    std::optional<std::size_t> starAt;
    std::size_t textAtStar = 0;
    while (t < text.size()) {
        if (p < elements.size() && elements[p].star) {
            starAt = p++;
            textAtStar = t;
        } else if (p < elements.size() && (elements[p].any || elements[p].literal == text[t])) {
            ++p;
            ++t;
        } else if (starAt) {
            p = *starAt + 1;
            t = ++textAtStar;
        } else {
            return false;
        }
    }
    while (p < elements.size() && elements[p].star) {
        ++p;
    }
    return p == elements.size();
}

std::string globLiteralPrefix(std::string_view pattern) {
    std::string prefix;
    for (const PatternElement& element : compile(pattern)) {
        if (element.star || element.any) {
            break;
        }
        prefix += element.literal;
    }
    return prefix;
}

std::string escapeGlob(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '*' || c == '?' || c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

} // namespace zorvan::testing
