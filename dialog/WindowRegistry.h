#pragma once
// The process-wide records of the dialogs and controls the layer made, keyed by window
// handle. A spin lock guards each lookup, insertion and removal; records are handed out
// as copies, so the lock is never held while a callback runs. The lists live on the
// process heap and never throw: the layer runs inside Win32 callbacks.
#include <windows.h>

#include <atomic>
#include <new>

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
    ControlKind kind = ControlKind::Label;
    DWORD style = 0;
    int units = 0;
    bool imageIsIcon = true;
    HANDLE image = nullptr;  // loaded by the layer, destroyed by it
};

template <class Record>
struct RecordNode {
    RecordNode* next;
    Record record;
};

// Records taken out of the registry; frees the nodes when it goes.
template <class Record>
class DetachedRecords {
public:
    DetachedRecords() = default;
    DetachedRecords(const DetachedRecords&) = delete;
    DetachedRecords& operator=(const DetachedRecords&) = delete;
    ~DetachedRecords() {
        while (RecordNode<Record>* node = head_) {
            head_ = node->next;
            HeapFree(GetProcessHeap(), 0, node);
        }
    }
    void Push(RecordNode<Record>* node) {
        node->next = head_;
        head_ = node;
    }
    template <class Visit>
    void ForEach(Visit visit) const {
        for (const RecordNode<Record>* node = head_; node; node = node->next)
            visit(node->record);
    }

private:
    RecordNode<Record>* head_ = nullptr;
};

class WindowRegistry {
public:
    constexpr WindowRegistry() = default;
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;

    // false when the record cannot be stored (out of memory).
    bool AddDialog(const DialogRecord& record) noexcept { return Add(dialogs_, record); }
    bool AddControl(const ControlRecord& record) noexcept { return Add(controls_, record); }
    bool FindDialog(HWND window, DialogRecord* out) noexcept {
        return Update(dialogs_, window, [&](DialogRecord& r) {
            *out = r;
        });
    }
    // Applies change to the window's record; false if there is none.
    template <class Change>
    bool UpdateDialog(HWND window, Change change) noexcept {
        return Update(dialogs_, window, change);
    }
    template <class Change>
    bool UpdateControl(HWND window, Change change) noexcept {
        return Update(controls_, window, change);
    }
    // Takes out the dialog's record and those of its controls.
    void RemoveDialog(HWND window, DetachedRecords<DialogRecord>* dialog,
                      DetachedRecords<ControlRecord>* controls) noexcept;

private:
    class Guard {
    public:
        explicit Guard(std::atomic_flag& flag) : flag_(flag) {
            while (flag_.test_and_set(std::memory_order_acquire))
                Sleep(0);
        }
        ~Guard() { flag_.clear(std::memory_order_release); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        std::atomic_flag& flag_;
    };

    template <class Record>
    bool Add(RecordNode<Record>*& head, const Record& record) noexcept {
        auto* node =
            static_cast<RecordNode<Record>*>(HeapAlloc(GetProcessHeap(), 0, sizeof(RecordNode<Record>)));
        if (!node) return false;
        new (&node->record) Record(record);
        Guard guard(lock_);
        node->next = head;
        head = node;
        return true;
    }
    // The head by reference: it is read under the lock, as another thread may remove that node.
    template <class Record, class Change>
    bool Update(RecordNode<Record>*& head, HWND window, Change change) noexcept {
        Guard guard(lock_);
        for (RecordNode<Record>* node = head; node; node = node->next)
            if (node->record.window == window) {
                change(node->record);
                return true;
            }
        return false;
    }
    template <class Record, class Match>
    void Detach(RecordNode<Record>*& head, Match match, DetachedRecords<Record>* out) noexcept {
        for (RecordNode<Record>** link = &head; *link;) {
            RecordNode<Record>* node = *link;
            if (match(node->record)) {
                *link = node->next;
                out->Push(node);
            } else {
                link = &node->next;
            }
        }
    }

    std::atomic_flag lock_ = ATOMIC_FLAG_INIT;
    RecordNode<DialogRecord>* dialogs_ = nullptr;
    RecordNode<ControlRecord>* controls_ = nullptr;
};

WindowRegistry& Windows();
