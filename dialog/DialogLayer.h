#pragma once
// A thin toolkit over Win32: a dialog from an in-memory template, child controls by
// kind, and a modal run with our own message loop and one callback for the logic.
// No operation reports an error; a failed step simply leaves its effect out.
#include <windows.h>

// Nonzero: the callback handled the message and the layer's default is skipped.
// noexcept: it is called from inside the platform's dialog procedure.
using DialogCallback = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

enum class ControlKind : int { Button = 1, Label = 5, Image = 10 };

constexpr int PixelUnits = 2;                                  // units flag of NewDialog
constexpr int CenterPosition = static_cast<int>(0x80000000u);  // x or y: centre the dialog
constexpr int DialogItself = static_cast<int>(0x80000000u);    // EnableControl: the dialog window

// Returns the hidden dialog, or nullptr if the window cannot be created.
// With PixelUnits, width and height are those of the client area.
HWND NewDialog(const char* caption, HWND parent, int x, int y, int width, int height, DWORD style,
               DWORD exStyle, int units);
// Sets the big (32 x 32) and small (16 x 16) caption icons from an icon group of the program.
// Does nothing for a handle NewDialog did not make or when the 32 x 32 load fails.
void SetDialogIcon(HWND dialog, const char* iconName);
// For Image, text names a bitmap or icon resource of the program ("" leaves it empty).
// Creates nothing for a handle NewDialog did not make or for a kind other than the three.
void AddControl(HWND dialog, ControlKind kind, int id, const char* text, int x, int y, int width, int height,
                DWORD style, DWORD exStyle);
// Both act on whatever GetDlgItem finds; an unknown id does nothing.
void SetControlText(HWND dialog, int id, const char* text);
void EnableControl(HWND dialog, int id, bool enable);
// Shows icon (null: none) in an image control that AddControl made. The layer owns it from then
// on: destroys it when this call replaces it and when the dialog goes, or at once when the id
// names no such control. Images placed by a raw STM_SETIMAGE stay their owner's.
void SetControlIcon(HWND dialog, int id, HICON icon);
// Shows the dialog and runs its messages until the window is gone; returns the end value
// (0 after the close command). The callback first gets WM_INITDIALOG and WM_SIZE directly.
INT_PTR RunModal(HWND dialog, DialogCallback callback);
// Sends WM_CLOSE, records the end value for RunModal and destroys the dialog.
void CloseDialog(HWND dialog, INT_PTR endValue);
