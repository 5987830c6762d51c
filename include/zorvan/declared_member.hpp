#pragma once
// ZORVAN_DECLARED_MEMBER: whether a key or digest type declares a member named like an operation
// the library calls, so that a misdeclared one is refused at compile time instead of being
// passed over for the library's generic default.

#include <concepts>
#include <type_traits>
#include <utility>

namespace zorvan::detail {

// AnyArgument converts to any type: a call with it is viable for every member of that arity
// whose constraints hold, whatever its parameter types.
struct AnyArgument {
    template <class T> operator T&() const; // NOLINT: converting is its whole purpose
};

// AnyArgumentFor<T>: AnyArgument in place of the argument type T.
template <class T> struct AnyArgumentFor { using type = AnyArgument; };

// What the stand-in member of the probes returns: a call that picks it found no member of T.
struct NotDeclared {};

} // namespace zorvan::detail

// ZORVAN_DECLARED_MEMBER(name) defines detail::declares_<name><T, Arguments...>(), Arguments the
// types of the arguments the library passes to the member: true when T
// declares a member `name` (a function of any signature, overloaded or a template, static or
// not, or anything else of that name) that is not excluded from T by its requires-clause.
//
// A class derived from T and from a probe with one member `name` makes `&Probe::name`
// ambiguous exactly when T has a member of that name. A member whose requires-clause excludes
// it (a backend offering a mode only where its library runs it) is not declared for T: with
// T's members and a stand-in taking anything in one overload set, a call with arguments of
// every type still picks the stand-in. A final T cannot be derived from; there a member counts
// when its name alone denotes it (one function, not overloaded, not a template) or when a call
// with the library's arguments on a non-const object would reach it.
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
            return !requires(name##Overloads<T> & object) {                                        \
                {                                                                                  \
                    object.name(std::declval<typename AnyArgumentFor<Arguments>::type>()...)       \
                    } -> std::same_as<NotDeclared>;                                                \
            };                                                                                     \
        }                                                                                          \
    }                                                                                              \
    }
