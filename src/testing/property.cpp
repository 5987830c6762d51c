#include <zorvan/testing/property.hpp>

#include <zorvan/testing/assertion.hpp>

#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

namespace zorvan::testing {

// SplitMix64: small, fast, and every seed gives a full-period stream.
std::uint64_t Gen::next() noexcept {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint64_t Gen::uniform(std::uint64_t bound) noexcept {
    if (bound == std::numeric_limits<std::uint64_t>::max()) {
        return next();
    }
    // Rejection keeps the draw unbiased for bounds that do not divide 2^64.
    const std::uint64_t range = bound + 1;
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() -
                                std::numeric_limits<std::uint64_t>::max() % range;
    std::uint64_t draw = next();
    while (draw >= limit) {
        draw = next();
    }
    return draw % range;
}

void Gen::fill(std::span<std::uint8_t> octets) noexcept {
    std::size_t offset = 0;
    for (; offset + sizeof(std::uint64_t) <= octets.size(); offset += sizeof(std::uint64_t)) {
        const std::uint64_t word = next();
        std::memcpy(octets.data() + offset, &word, sizeof word);
    }
    if (offset < octets.size()) {
        const std::uint64_t word = next();
        std::memcpy(octets.data() + offset, &word, octets.size() - offset);
    }
}

Gen Gen::split() noexcept {
    return Gen(next(), size_);
}

std::vector<std::uint64_t> smallerCounts(std::uint64_t n, std::uint64_t least) {
    std::vector<std::uint64_t> counts;
    if (n <= least) {
        return counts;
    }
    counts.push_back(least);
    for (std::uint64_t gap = (n - least) / 2; gap > 0; gap /= 2) {
        if (n - gap != counts.back()) {
            counts.push_back(n - gap);
        }
    }
    return counts;
}

namespace detail {

namespace {

// The causes an exception carries (std::throw_with_nested), one "  because: " line each.
std::string describeCauses(const std::exception& error) {
    try {
        std::rethrow_if_nested(error);
    } catch (const std::exception& cause) {
        return std::string("\n  because: ") + cause.what() + describeCauses(cause);
    } catch (...) {
        return "\n  because: an exception of an unknown type";
    }
    return "";
}

} // namespace

CaughtFailure catchCurrentFailure() {
    try {
        throw;
    } catch (const AssertionFailure& failure) {
        return {failure.check(), {}};
    } catch (const std::exception& error) {
        return {std::nullopt, std::string("error: ") + error.what() + describeCauses(error)};
    } catch (...) {
        return {std::nullopt, "error: an exception of an unknown type"};
    }
}

void requireArgumentNames(std::size_t parameters, std::size_t names) {
    if (names != 0 && names != parameters) {
        throw std::invalid_argument("a law of " + std::to_string(parameters) +
                                    " parameters was given " + std::to_string(names) +
                                    " argument names");
    }
}

} // namespace detail
} // namespace zorvan::testing
