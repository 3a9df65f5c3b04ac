#pragma once
// The dialog layer's per-thread state, kept in a thread-local slot: the defaults that
// every new dialog template takes its font from.
#include "DialogRules.h"

// Allocates the slot and this thread's state; false if either cannot be had.
bool CreateThreadState() noexcept;
// Frees this thread's state and the slot.
void DestroyThreadState() noexcept;
// The font for new dialogs: this thread's, or DefaultDialogFont() without thread state.
DialogFont CurrentDialogFont() noexcept;
