// The registry of what a stop signal removes. A signal handler may only make
// async-signal-safe calls and read memory that is never half written: the
// paths live in fixed slots, each published by an atomic state once its
// text is complete.
#include "text/stop_cleanup_registry.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace tavorin {

namespace {

// Registrations alive at once in one process (library callers on threads,
// each with its extraction folder and its book being saved); one more gets
// no slot.
constexpr int kSlots = 64;
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

}  // namespace

StopSignalsHeld::StopSignalsHeld() {
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : kStopSignals) sigaddset(&stops, signal);
    pthread_sigmask(SIG_BLOCK, &stops, &old_);
}

StopSignalsHeld::~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

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

void RemoveStopCleanups() {
    for (Slot& slot : g_slots) {
        if (slot.state.load() != kReady) continue;
        if (slot.file[0] != '\0') unlink(slot.file);
        if (slot.folder[0] != '\0') rmdir(slot.folder);
    }
}

}  // namespace tavorin
