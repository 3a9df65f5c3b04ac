#pragma once
// The records of the dialogs and controls the layer made, found by window handle. One lock
// guards them, held only inside these functions: records go out as copies, so it is never held
// while a callback runs. Fixed slots: nothing is allocated inside the platform's callbacks.
#include <windows.h>

#include <cstddef>
#include <utility>

#include "DialogLayer.h"

struct DialogRecord {
    HWND window = nullptr;
    int units = 0;
    int showCommand = SW_SHOW;
    HFONT font = nullptr;  // the platform's dialog font, not ours
    DialogCallback callback = nullptr;
    INT_PTR* endValue = nullptr;  // where RunModal waits for the end value
    HICON bigIcon = nullptr;      // loaded by the layer, destroyed by it
    HICON smallIcon = nullptr;
};

struct ControlRecord {
    HWND window = nullptr;
    HWND dialog = nullptr;
    HANDLE image = nullptr;  // placed by the layer, destroyed by it
    bool imageIsIcon = true;
};

constexpr int MaxDialogs = 4;
constexpr int MaxControls = 32;

// A dialog's records as RemoveDialog takes them out; unused control slots stay empty.
struct RemovedRecords {
    DialogRecord dialog;
    ControlRecord controls[MaxControls];
};

class WindowRegistry {
public:
    // false when every slot is taken.
    bool AddDialog(const DialogRecord& record) noexcept { return Add(dialogs_, record); }
    bool AddControl(const ControlRecord& record) noexcept { return Add(controls_, record); }
    bool FindDialog(HWND window, DialogRecord* out) noexcept {
        return UpdateDialog(window, [&](DialogRecord& r) {
            *out = r;
        });
    }
    // Applies change to the window's record under the lock; false if there is none.
    template <class Change>
    bool UpdateDialog(HWND window, Change change) noexcept {
        return window && Update(dialogs_, window, change);
    }
    template <class Change>
    bool UpdateControl(HWND window, Change change) noexcept {
        return window && Update(controls_, window, change);
    }
    void RemoveDialog(HWND window, RemovedRecords* out) noexcept {
        if (!window) return;
        Locked locked(lock_);
        for (DialogRecord& r : dialogs_)
            if (r.window == window) out->dialog = std::exchange(r, DialogRecord{});
        ControlRecord* next = out->controls;
        for (ControlRecord& r : controls_)
            if (r.dialog == window) *next++ = std::exchange(r, ControlRecord{});
    }

private:
    class Locked {
    public:
        explicit Locked(SRWLOCK& lock) : held_(lock) { AcquireSRWLockExclusive(&held_); }
        ~Locked() { ReleaseSRWLockExclusive(&held_); }

    private:
        SRWLOCK& held_;
    };
    // A free slot is one without a window.
    template <class Record, std::size_t N>
    bool Add(Record (&records)[N], const Record& record) noexcept {
        return Update(records, nullptr, [&](Record& free) {
            free = record;
        });
    }
    template <class Record, std::size_t N, class Change>
    bool Update(Record (&records)[N], HWND window, Change change) noexcept {
        Locked locked(lock_);
        for (Record& r : records)
            if (r.window == window) {
                change(r);
                return true;
            }
        return false;
    }

    SRWLOCK lock_ = SRWLOCK_INIT;
    DialogRecord dialogs_[MaxDialogs];
    ControlRecord controls_[MaxControls];
};
