#pragma once
// KeptHandles: the library handles a key keeps between calls, shared by the key's copies.

#include <array>
#include <atomic>
#include <cstddef>
#include <utility>

namespace zorvan::backends {

/// KeptHandles<Handle, Slots>: one owning Handle (a std::unique_ptr to a library context) per
/// slot (a mode, say), opened on first use and kept, since opening and keying one per call
/// costs more than a block of the cipher. Copies of a key share one KeptHandles; a call that
/// finds the handles in use by another thread runs on a handle opened for it alone, so the
/// single-block path takes no lock and never waits.
template <class Handle, std::size_t Slots> class KeptHandles {
public:
    /// use: calls run with the kept handle of the slot (opened first by open when there is
    /// none yet), or with a handle open gives for this call when another thread holds the
    /// handles, and returns what run returns. Errors are those open and run throw; a handle
    /// whose run threw is kept, since run sets up its handle afresh on every call.
    template <class Open, class Run> decltype(auto) use(std::size_t slot, Open open, Run run) {
        if (inUse_.test_and_set(std::memory_order_acquire)) {
            const Handle own = open();
            return run(own.get());
        }
        const Release release{inUse_};
        Handle& kept = slots_[slot];
        if (!kept) {
            kept = open();
        }
        return run(kept.get());
    }

private:
    struct Release {
        std::atomic_flag& flag;
        ~Release() { flag.clear(std::memory_order_release); }
    };

    std::atomic_flag inUse_;
    std::array<Handle, Slots> slots_;
};

} // namespace zorvan::backends
