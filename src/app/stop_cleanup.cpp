// The stop-signal clean-up of temporary folders. A signal handler may only
// make async-signal-safe calls and read memory that is never half written:
// the paths live in fixed slots, each published by an atomic state once its
// text is complete, and the handler only calls unlink, rmdir, signal and raise.
#include "app/stop_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "app/batch_stop.h"

namespace tavorin {

namespace {

// Conversions in flight at once in one process (library callers on threads);
// one more gets no slot.
constexpr int kSlots = 32;
constexpr size_t kPathBytes = 4096;

enum SlotState : int { kFree, kWriting, kReady };

struct Slot {
    std::atomic<int> state{kFree};
    char folder[kPathBytes];
    char file[kPathBytes];
};

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the states");

// Process-wide by necessity: a signal handler has no other way to its data.
Slot g_slots[kSlots];

void RemoveAndDie(int signal) {
    for (Slot& slot : g_slots) {
        if (slot.state.load() != kReady) continue;
        unlink(slot.file);
        rmdir(slot.folder);
    }
    ::signal(signal, SIG_DFL);
    raise(signal);  // delivered when the handler returns: the process ends as killed by it
}

}  // namespace

void InstallStopCleanup() {
    struct sigaction action {};
    action.sa_handler = RemoveAndDie;
    sigemptyset(&action.sa_mask);
    for (const int signal : kStopSignals) sigaddset(&action.sa_mask, signal);  // one handler at a time
    for (const int signal : kStopSignals) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
    }
}

int AddStopCleanup(const std::string& folder, const std::string& file) {
    if (folder.size() >= kPathBytes || file.size() >= kPathBytes) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kWriting)) continue;
        std::memcpy(g_slots[i].folder, folder.c_str(), folder.size() + 1);
        std::memcpy(g_slots[i].file, file.c_str(), file.size() + 1);
        g_slots[i].state.store(kReady);
        return i;
    }
    return -1;
}

void DropStopCleanup(int slot) {
    if (slot >= 0 && slot < kSlots) g_slots[slot].state.store(kFree);
}

}  // namespace tavorin
