#include "WindowRegistry.h"

namespace {
// Constant-initialised: no start-up code and no guard around first use.
WindowRegistry registry;
}  // namespace

void WindowRegistry::RemoveDialog(HWND window, DetachedRecords<DialogRecord>* dialog,
                                  DetachedRecords<ControlRecord>* controls) noexcept {
    Guard guard(lock_);
    Detach(
        dialogs_,
        [&](const DialogRecord& r) {
            return r.window == window;
        },
        dialog);
    Detach(
        controls_,
        [&](const ControlRecord& r) {
            return r.dialog == window;
        },
        controls);
}

WindowRegistry& Windows() { return registry; }
