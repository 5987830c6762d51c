#pragma once
// ZORVAN_DECLARED_MEMBER: whether a key or digest type declares a member named like an operation
// the library calls, so that a misdeclared one is refused at compile time instead of being
// passed over for the library's generic default.

#include <concepts>
#include <cstddef>
#include <type_traits>
#include <utility>

namespace zorvan::detail {

// AnyArgument converts to any type: a call with it is viable for every member of that arity
// whose constraints hold, whatever its parameter types.
struct AnyArgument {
    template <class T> operator T&() const; // NOLINT: converting is its whole purpose
};

// What the stand-in member of the probes returns: a call that picks it found no member of T.
struct NotDeclared {};

/// reachesLoosened: whether Call::reaches<...> holds for the library's argument types (Step 0),
/// else with the Step-th of them replaced by AnyArgument, else with all of them replaced; the
/// first call that reaches a member ends the search. The order matters beyond the answer: a
/// member template with a deduced return type has its body instantiated with the types a call
/// deduces, so AnyArgument must stand only where no member takes the library's type, and must
/// never stand for a parameter a template deduces when the library's type would do.
template <class Call, std::size_t Step, class... Arguments, std::size_t... Positions>
constexpr bool reachesLoosened(std::index_sequence<Positions...> positions) {
    constexpr std::size_t allLoosened = sizeof...(Arguments) + 1;
    constexpr bool reached =
        Call::template reaches<std::conditional_t<Step == allLoosened || Positions + 1 == Step,
                                                  AnyArgument, Arguments>...>;
    if constexpr (reached || Step == allLoosened) {
        return reached;
    } else {
        return reachesLoosened<Call, Step + 1, Arguments...>(positions);
    }
}

} // namespace zorvan::detail

// ZORVAN_DECLARED_MEMBER(name) defines detail::declares_<name><T, Arguments...>(), Arguments the
// types of the arguments the library passes to the member: true when T
// declares a member `name` (a function of any signature, overloaded or a template, static or
// not, or anything else of that name) that is not excluded from T by its requires-clause.
//
// A class derived from T and from a probe with one member `name` makes `&Probe::name`
// ambiguous exactly when T has a member of that name. A member whose requires-clause excludes
// it (a backend offering a mode only where its library runs it) is not declared for T: with
// T's members and a stand-in taking anything in one overload set, a call with the library's
// argument types, or with some of them replaced by AnyArgument (so that a member with the wrong
// parameter types still counts), picks the stand-in only when no member of T takes part. A
// final T cannot be derived from; there a member counts when its name alone denotes it (one
// function, not overloaded, not a template) or when a call with the library's arguments on a
// non-const object would reach it.
#define ZORVAN_DECLARED_MEMBER(name)                                                               \
    namespace detail {                                                                             \
    struct name##Probe {                                                                           \
        void name();                                                                               \
    };                                                                                             \
    template <class T> struct name##Probed : T, name##Probe {};                                    \
    template <class T> struct name##Overloads : T {                                                \
        using T::name;                                                                             \
        static NotDeclared name(...);                                                              \
    };                                                                                             \
    template <class T> struct name##Calls {                                                        \
        template <class... Arguments>                                                              \
        static constexpr bool reaches = !requires(name##Overloads<T> & object) {                   \
            { object.name(std::declval<Arguments>()...) } -> std::same_as<NotDeclared>;            \
        };                                                                                         \
    };                                                                                             \
    template <class T, class... Arguments> constexpr bool declares_##name() {                      \
        if constexpr (std::is_final_v<T>) {                                                        \
            return requires {                                                                      \
                &T::name;                                                                          \
            }                                                                                      \
            || requires(T & object) {                                                              \
                object.name(std::declval<Arguments>()...);                                         \
            };                                                                                     \
        } else if constexpr (requires { &name##Probed<T>::name; }) {                               \
            return false;                                                                          \
        } else {                                                                                   \
            return reachesLoosened<name##Calls<T>, 0, Arguments...>(                               \
                std::index_sequence_for<Arguments...>{});                                          \
        }                                                                                          \
    }                                                                                              \
    }
