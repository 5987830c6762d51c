#pragma once
// The Mac concept (a keyed message authentication code such as CMAC) and verifyTag, the tag
// check derived from it.

#include <zorvan/bytes.hpp>
#include <zorvan/declared_member.hpp>

#include <concepts>
#include <cstddef>
#include <optional>

namespace zorvan {

/// Mac: a key type M of a message authentication code. keyLength and tagLength are in bits:
/// the key buildKey takes (one key type per key size, as for block ciphers) and the full tag;
/// buildKey gives no key when the octets are not an acceptable key; tag gives the full tag of
/// a chunked message, whatever its chunking.
///
/// The contract the library tests (see Test::CMAC): the tag does not depend on the chunking;
/// buildKey takes keys of keyLength bits and refuses every other length; verifyTag accepts the
/// tag and its truncations to 64 bits or more, and refuses any other octets.
template <class M>
concept Mac = requires(const M& key, const Bytes& bytes, const LazyBytes& message) {
    { M::keyLength() } -> std::convertible_to<std::size_t>;
    { M::tagLength() } -> std::convertible_to<std::size_t>;
    { M::buildKey(bytes) } -> std::same_as<std::optional<M>>;
    { key.tag(message) } -> std::same_as<Bytes>;
};

/// minimumTagOctets: the shortest truncated tag verifyTag accepts, 8 octets (64 bits, as
/// SP 800-38B recommends), or the full tag where that is shorter.
inline constexpr std::size_t minimumTagOctets = 8;

namespace detail {

/// tagMatches: whether tag is fullTag or a truncation of it to minimumTagOctets or more,
/// compared in a time that does not depend on where they differ. Never fails.
bool tagMatches(const Bytes& fullTag, const Bytes& tag) noexcept;

} // namespace detail

ZORVAN_DECLARED_MEMBER(verifyTag)

namespace detail {
template <class M>
constexpr bool accepts_verifyTag = requires(const M& key, const LazyBytes& message,
                                            const Bytes& tag) {
    { key.verifyTag(message, tag) } -> std::same_as<bool>;
};

/// checkVerifyTagMember: refuses to compile, naming the signature it must have, when M declares
/// a verifyTag the library cannot call.
template <class M> consteval bool checkVerifyTagMember() {
    static_assert(!declares_verifyTag<M, const LazyBytes&, const Bytes&>() || accepts_verifyTag<M>,
                  "zorvan: M::verifyTag is not callable as "
                  "bool verifyTag(const zorvan::LazyBytes&, const zorvan::Bytes&) const");
    return true;
}
} // namespace detail

/// verifyTag: whether tag authenticates the message under key: the full tag or a truncation of
/// it to minimumTagOctets or more. A shorter tag is refused whatever its octets: a check that
/// took the length to compare from the tag it is handed would accept a one-octet forgery once
/// in 256 tries, an empty one always. The key type's own member
/// `bool verifyTag(const zorvan::LazyBytes&, const zorvan::Bytes&) const` is used where it
/// declares one; a member of that name the library cannot call so is a compile-time error.
template <Mac M> bool verifyTag(const M& key, const LazyBytes& message, const Bytes& tag) {
    static_assert(detail::checkVerifyTagMember<M>());
    if constexpr (detail::accepts_verifyTag<M>) {
        return key.verifyTag(message, tag);
    } else {
        return detail::tagMatches(key.tag(message), tag);
    }
}

} // namespace zorvan
