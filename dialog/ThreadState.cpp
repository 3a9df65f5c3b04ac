#include "ThreadState.h"

#include <new>

namespace {
struct ThreadState {
    DialogFont font;
};
DWORD slot = TLS_OUT_OF_INDEXES;

ThreadState* Current() {
    return slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<ThreadState*>(TlsGetValue(slot));
}
}  // namespace

bool CreateThreadState() noexcept {
    if (slot == TLS_OUT_OF_INDEXES) slot = TlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES) return false;
    if (Current()) return true;
    void* memory = HeapAlloc(GetProcessHeap(), 0, sizeof(ThreadState));
    if (!memory) return false;
    ThreadState* state = new (memory) ThreadState{DefaultDialogFont()};
    if (!TlsSetValue(slot, state)) {
        HeapFree(GetProcessHeap(), 0, state);
        return false;
    }
    return true;
}

void DestroyThreadState() noexcept {
    if (slot == TLS_OUT_OF_INDEXES) return;
    if (ThreadState* state = Current()) HeapFree(GetProcessHeap(), 0, state);
    TlsFree(slot);
    slot = TLS_OUT_OF_INDEXES;
}

DialogFont CurrentDialogFont() noexcept {
    const ThreadState* state = Current();
    return state ? state->font : DefaultDialogFont();
}
