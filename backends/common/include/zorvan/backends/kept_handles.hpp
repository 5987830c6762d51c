#pragma once
// KeptHandles: the library handles a key keeps between calls, shared by the key's copies.

#include <array>
#include <atomic>
#include <cstddef>
#include <utility>

namespace zorvan::backends {

namespace detail {
// threadMark: an address of the calling thread's own, which tells the threads apart.
inline thread_local const char threadMark{};
} // namespace detail

/// KeptHandles<Handle, Slots>: one owning Handle (a std::unique_ptr to a library context) per
/// slot (a mode, say), opened on first use and kept, since opening and keying one per call
/// costs more than a block of the cipher. Copies of a key share one KeptHandles.
///
/// The first thread to use them owns a set of its own, reached without an atomic
/// read-modify-write: a Monte Carlo test runs millions of single-block calls on one thread,
/// and a locked instruction costs about a twentieth of a block there. Other threads share a
/// second set under a flag; a call that finds that set in use runs on a handle opened for it
/// alone, so no call takes a lock or waits.
template <class Handle, std::size_t Slots> class KeptHandles {
public:
    /// use: calls run with the kept handle of the slot (opened first by open when there is
    /// none yet), or with a handle open gives for this call when another thread holds the
    /// shared set, and returns what run returns. Errors are those open and run throw; a handle
    /// whose run threw is kept, since run sets up its handle afresh on every call.
    template <class Open, class Run> decltype(auto) use(std::size_t slot, Open open, Run run) {
        if (ownedByThisThread()) {
            return run(kept(owned_, slot, open));
        }
        if (sharedInUse_.test_and_set(std::memory_order_acquire)) {
            const Handle own = open();
            return run(own.get());
        }
        const Release release{sharedInUse_};
        return run(kept(shared_, slot, open));
    }

private:
    using Set = std::array<Handle, Slots>;

    struct Release {
        std::atomic_flag& flag;
        ~Release() { flag.clear(std::memory_order_release); }
    };

    template <class Open> static auto kept(Set& set, std::size_t slot, Open& open) {
        Handle& handle = set[slot];
        if (!handle) {
            handle = open();
        }
        return handle.get();
    }

    // The owner is set once, by the first call, and never changes; on the owner's own calls
    // this is a plain load. A thread started after the owner ended may get the owner's mark,
    // and with it the set, which the owner no longer touches.
    bool ownedByThisThread() noexcept {
        const char* const self = &detail::threadMark;
        const char* owner = owner_.load(std::memory_order_acquire);
        if (owner == nullptr) {
            owner_.compare_exchange_strong(owner, self, std::memory_order_acq_rel);
            return owner == nullptr;
        }
        return owner == self;
    }

    std::atomic<const char*> owner_{nullptr};
    Set owned_;
    std::atomic_flag sharedInUse_;
    Set shared_;
};

} // namespace zorvan::backends
