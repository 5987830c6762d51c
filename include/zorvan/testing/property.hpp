#pragma once
// Properties: laws checked on generated arguments. Gen, Arbitrary<T>, Property, implies.

#include <zorvan/testing/assertion.hpp>
#include <zorvan/testing/describe.hpp>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace zorvan::testing {

/// Gen: the random state and the size handed to every generator. The same seed and size
/// give the same draws.
class Gen {
public:
    /// Gen: a generator whose draws follow from seed alone; size is a hint for generators that
    /// scale what they draw.
    explicit Gen(std::uint64_t seed, std::size_t size = 0) noexcept : state_(seed), size_(size) {}

    /// size: the size hint; the runner passes 0, and the library's generators ignore it.
    [[nodiscard]] std::size_t size() const noexcept { return size_; }
    /// next: 64 uniformly distributed bits.
    std::uint64_t next() noexcept;
    /// uniform: a uniform draw from 0 to bound, both included.
    std::uint64_t uniform(std::uint64_t bound) noexcept;
    /// fill: uniformly distributed octets.
    void fill(std::span<std::uint8_t> octets) noexcept;
    /// split: an independent generator of the same size, so that one draw's length never
    /// shifts the random state of the next.
    Gen split() noexcept;

private:
    std::uint64_t state_;
    std::size_t size_;
};

/// Arbitrary<T>: arbitrary(Gen&) draws a T; shrink(value) proposes smaller values, the
/// simplest first, none of them value itself; a falsified case is shrunk with them.
template <class T> struct Arbitrary;

/// smallerCounts: the counts from least up to n (excluded) that shrinking tries, least first,
/// then halfway, three quarters of the way, and so on up to n - 1, so that repeated shrinking
/// finds the smallest count that still fails in a logarithmic number of steps. None when n is
/// least or less.
std::vector<std::uint64_t> smallerCounts(std::uint64_t n, std::uint64_t least = 0);

/// Arbitrary<T> for unsigned integers: every value of T equally likely.
template <std::unsigned_integral T> struct Arbitrary<T> {
    /// arbitrary: a uniform draw from 0 to T's maximum.
    static T arbitrary(Gen& gen) {
        return static_cast<T>(gen.uniform(std::numeric_limits<T>::max()));
    }
    /// shrink: values toward 0 (see smallerCounts).
    static std::vector<T> shrink(const T& value) {
        std::vector<T> smaller;
        for (const std::uint64_t count : smallerCounts(value)) {
            smaller.push_back(static_cast<T>(count));
        }
        return smaller;
    }
};

/// Verdict: the verdict of one generated case: holds (the law held), falsified (it did not, or
/// it threw) or discarded (a precondition, see implies, ruled the case out; it counts neither
/// way).
enum class Verdict { holds, falsified, discarded };

/// Result: what a law returns when a case may be discarded (see implies).
class Result {
public:
    /// Result: holds or falsified, as the law's bool says; implicit, so that a law may return
    /// either a bool or a Result.
    Result(bool holds) noexcept : verdict_(holds ? Verdict::holds : Verdict::falsified) {} // NOLINT
    /// discard: the result of a case that does not count.
    static Result discard() noexcept { return Result(Verdict::discarded); }
    /// verdict: holds, falsified or discarded.
    [[nodiscard]] Verdict verdict() const noexcept { return verdict_; }

private:
    explicit Result(Verdict verdict) noexcept : verdict_(verdict) {}
    Verdict verdict_;
};

/// implies: precondition ==> law. A false precondition discards the case; the law (a bool, a
/// Result, or a callable giving either) is evaluated only when the precondition holds.
template <class Law> Result implies(bool precondition, Law&& law) {
    if (!precondition) {
        return Result::discard();
    }
    if constexpr (std::is_invocable_v<Law>) {
        return Result(std::invoke(std::forward<Law>(law)));
    } else {
        return Result(std::forward<Law>(law));
    }
}

/// CaseOutcome: one generated case: its verdict and, for a case that did not hold, its
/// arguments and what it raised: a failed check, or the text of another error.
struct CaseOutcome {
    /// verdict: whether the case held, was falsified or was discarded.
    Verdict verdict = Verdict::holds;
    /// arguments: the drawn arguments, filled in only for a case that did not hold.
    std::vector<DrawnArgument> arguments;
    /// check: the failed assertion the law raised, if any.
    std::optional<FailedCheck> check;
    /// error: the text of another error the law raised; empty when there was none.
    std::string error;
};

/// ShrunkCase: the smallest falsified case that shrinking found, and in how many steps (each
/// a smaller argument that still falsified the law).
struct ShrunkCase {
    /// outcome: the smallest falsified case's outcome.
    CaseOutcome outcome;
    /// steps: how many smaller arguments shrinking went through.
    std::size_t steps = 0;
};

/// Property: a law over generated arguments; runCase draws one case from gen and checks it.
/// shrinkCase, given gen as it stood before runCase drew a falsified case, draws that case
/// again and shrinks it while it still falsifies the law, trying at most `attempts` smaller
/// cases; nothing for a property made without a shrinker.
class Property {
public:
    /// Shrinker: shrinks the case that runCase last falsified from gen's seed, within
    /// `attempts` tries of smaller arguments.
    using Shrinker = std::function<ShrunkCase(Gen&, std::size_t attempts)>;

    /// Property: a property from the function that draws and checks one case and, optionally,
    /// the one that shrinks a falsified case (makeProperty builds both from a law).
    explicit Property(std::function<CaseOutcome(Gen&)> runCase, Shrinker shrinkCase = {})
        : runCase_(std::move(runCase)), shrinkCase_(std::move(shrinkCase)) {}
    /// runCase: draws one case from gen and checks it; throws TestSkipped when the law does.
    CaseOutcome runCase(Gen& gen) const { return runCase_(gen); }
    /// shrinkCase: the smallest falsifying case found within attempts tries, from the gen that
    /// last falsified runCase; nothing for a property that cannot shrink.
    std::optional<ShrunkCase> shrinkCase(Gen& gen, std::size_t attempts) const {
        return shrinkCase_ ? std::optional(shrinkCase_(gen, attempts)) : std::nullopt;
    }

private:
    std::function<CaseOutcome(Gen&)> runCase_;
    Shrinker shrinkCase_;
};

// The reference leaves this namespace out: it holds no public name, and doxygen misreads its
// recursive templates.
/// \cond detail
namespace detail {

template <class F> struct LawSignature : LawSignature<decltype(&F::operator())> {};
template <class R, class... Args> struct LawSignature<R (*)(Args...)> {
    using Arguments = std::tuple<std::decay_t<Args>...>;
};
template <class C, class R, class... Args>
struct LawSignature<R (C::*)(Args...) const> : LawSignature<R (*)(Args...)> {};
template <class C, class R, class... Args>
struct LawSignature<R (C::*)(Args...)> : LawSignature<R (*)(Args...)> {};

template <class Tuple, std::size_t... Index>
Tuple drawArguments(Gen& gen, std::index_sequence<Index...>) {
    // Braced initialisation draws the arguments left to right; each from its own split.
    return Tuple{[&] {
        Gen part = gen.split();
        return Arbitrary<std::tuple_element_t<Index, Tuple>>::arbitrary(part);
    }()...};
}

// Arguments the law gave no names are named by their position: "argument 1", ...
template <class Tuple>
std::vector<DrawnArgument> describeArguments(const Tuple& arguments,
                                             const std::vector<std::string>& names) {
    std::vector<std::string> values = std::apply(
        [](const auto&... each) { return std::vector<std::string>{describe(each)...}; }, arguments);
    std::vector<DrawnArgument> drawn;
    for (std::size_t i = 0; i < values.size(); ++i) {
        drawn.push_back({i < names.size() ? names[i] : "argument " + std::to_string(i + 1),
                         std::move(values[i])});
    }
    return drawn;
}

// Replaces argument Index of current by the first of its shrink candidates that still fails,
// if any within the attempts left.
template <std::size_t Index, class Tuple, class Fails>
bool shrinkArgument(Tuple& current, const Fails& fails, std::size_t& attemptsLeft) {
    using Argument = std::tuple_element_t<Index, Tuple>;
    for (Argument& candidate : Arbitrary<Argument>::shrink(std::get<Index>(current))) {
        if (attemptsLeft == 0) {
            return false;
        }
        --attemptsLeft;
        Tuple trial = current;
        std::get<Index>(trial) = std::move(candidate);
        if (fails(trial)) {
            current = std::move(trial);
            return true;
        }
    }
    return false;
}

// One step of greedy shrinking: the first argument, from the left, that has a smaller value
// that still fails takes it.
template <class Tuple, class Fails>
bool shrinkStep(Tuple& current, const Fails& fails, std::size_t& attemptsLeft) {
    return [&]<std::size_t... Index>(std::index_sequence<Index...>) {
        return (shrinkArgument<Index>(current, fails, attemptsLeft) || ...);
    }
    (std::make_index_sequence<std::tuple_size_v<Tuple>>{});
}

/// CaughtFailure: the exception being handled, as data: an assertion's failed check, or
/// "error: " and the message of any other error, then a "  because: " line for each cause it
/// nests (std::throw_with_nested).
struct CaughtFailure {
    std::optional<FailedCheck> check;
    std::string error;
};
/// catchCurrentFailure: the CaughtFailure of the exception being handled; call it only
/// inside a catch block. Never fails beyond allocation.
CaughtFailure catchCurrentFailure();

/// requireArgumentNames: throws std::invalid_argument when a law of `parameters` parameters
/// is given a number of names other than none or one each.
void requireArgumentNames(std::size_t parameters, std::size_t names);

} // namespace detail
/// \endcond

/// makeProperty: a property from a callable whose parameters are drawn with Arbitrary and
/// which returns bool or Result; argumentNames name the parameters in falsified cases (none:
/// "argument 1", ...). An exception thrown by the law fails the case with its message. Throws
/// std::invalid_argument when argumentNames is neither empty nor one name per parameter.
template <class Law> Property makeProperty(Law law, std::vector<std::string> argumentNames = {}) {
    using Arguments = typename detail::LawSignature<std::decay_t<Law>>::Arguments;
    detail::requireArgumentNames(std::tuple_size_v<Arguments>, argumentNames.size());
    const auto draw = [](Gen& gen) {
        return detail::drawArguments<Arguments>(
            gen, std::make_index_sequence<std::tuple_size_v<Arguments>>{});
    };
    const auto check = [law = std::move(law),
                        names = std::move(argumentNames)](const Arguments& arguments) {
        CaseOutcome outcome;
        try {
            outcome.verdict = Result(std::apply(law, arguments)).verdict();
        } catch (const TestSkipped&) {
            throw;
        } catch (...) {
            outcome.verdict = Verdict::falsified;
            detail::CaughtFailure caught = detail::catchCurrentFailure();
            outcome.check = std::move(caught.check);
            outcome.error = std::move(caught.error);
        }
        if (outcome.verdict == Verdict::falsified) {
            outcome.arguments = detail::describeArguments(arguments, names);
        }
        return outcome;
    };
    return Property([draw, check](Gen& gen) { return check(draw(gen)); },
                    [draw, check](Gen& gen, std::size_t attempts) {
                        Arguments current = draw(gen);
                        const auto fails = [&](const Arguments& trial) {
                            try {
                                return check(trial).verdict == Verdict::falsified;
                            } catch (const TestSkipped&) {
                                return false;
                            }
                        };
                        ShrunkCase shrunk;
                        while (detail::shrinkStep(current, fails, attempts)) {
                            ++shrunk.steps;
                        }
                        shrunk.outcome = check(current);
                        return shrunk;
                    });
}

} // namespace zorvan::testing
