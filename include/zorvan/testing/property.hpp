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
    explicit Gen(std::uint64_t seed, std::size_t size = 0) noexcept : state_(seed), size_(size) {}

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

/// Arbitrary<T>: arbitrary(Gen&) draws a T; shrink(value) proposes smaller values.
template <class T>
struct Arbitrary;

template <std::unsigned_integral T>
struct Arbitrary<T> {
    static T arbitrary(Gen& gen) { return static_cast<T>(gen.uniform(std::numeric_limits<T>::max())); }
    static std::vector<T> shrink(const T&) { return {}; }
};

/// Verdict of one generated case.
enum class Verdict { holds, falsified, discarded };

/// Result: what a law returns when a case may be discarded (see implies).
class Result {
public:
    Result(bool holds) noexcept : verdict_(holds ? Verdict::holds : Verdict::falsified) {} // NOLINT
    static Result discard() noexcept { return Result(Verdict::discarded); }
    [[nodiscard]] Verdict verdict() const noexcept { return verdict_; }

private:
    explicit Result(Verdict verdict) noexcept : verdict_(verdict) {}
    Verdict verdict_;
};

/// implies: precondition ==> law. A false precondition discards the case; the law (a bool, a
/// Result, or a callable giving either) is evaluated only when the precondition holds.
template <class Law>
Result implies(bool precondition, Law&& law) {
    if (!precondition) {
        return Result::discard();
    }
    if constexpr (std::is_invocable_v<Law>) {
        return Result(std::invoke(std::forward<Law>(law)));
    } else {
        return Result(std::forward<Law>(law));
    }
}

/// CaseOutcome: one generated case: its verdict, the printed arguments of a case that did not
/// hold, and the error it raised, if any.
struct CaseOutcome {
    Verdict verdict = Verdict::holds;
    std::vector<std::string> arguments;
    std::string error;
};

/// Property: a law over generated arguments; runCase draws one case from gen and checks it.
class Property {
public:
    explicit Property(std::function<CaseOutcome(Gen&)> runCase) : runCase_(std::move(runCase)) {}
    CaseOutcome runCase(Gen& gen) const { return runCase_(gen); }

private:
    std::function<CaseOutcome(Gen&)> runCase_;
};

namespace detail {

template <class F>
struct LawSignature : LawSignature<decltype(&F::operator())> {};
template <class R, class... Args>
struct LawSignature<R (*)(Args...)> {
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

template <class Tuple>
std::vector<std::string> describeArguments(const Tuple& arguments) {
    return std::apply([](const auto&... each) { return std::vector<std::string>{describe(each)...}; },
                      arguments);
}

/// describeCurrentException: the report of the exception being handled: an assertion's own
/// report, or "error: " and the message of any other, then a "  because: " line for each cause
/// it nests (std::throw_with_nested).
std::string describeCurrentException();

} // namespace detail

/// makeProperty: a property from a callable whose parameters are drawn with Arbitrary and
/// which returns bool or Result. An exception thrown by the law fails the case with its message.
template <class Law>
Property makeProperty(Law law) {
    using Arguments = typename detail::LawSignature<std::decay_t<Law>>::Arguments;
    return Property([law = std::move(law)](Gen& gen) {
        const Arguments arguments =
            detail::drawArguments<Arguments>(gen, std::make_index_sequence<std::tuple_size_v<Arguments>>{});
        CaseOutcome outcome;
        try {
            outcome.verdict = Result(std::apply(law, arguments)).verdict();
        } catch (const TestSkipped&) {
            throw;
        } catch (...) {
            outcome.verdict = Verdict::falsified;
            outcome.error = detail::describeCurrentException();
        }
        if (outcome.verdict == Verdict::falsified) {
            outcome.arguments = detail::describeArguments(arguments);
        }
        return outcome;
    });
}

} // namespace zorvan::testing
