#pragma once
// A VLC that no installer recorded (unpacked from its archive) still reads the user's extensions
// folder; once it has run for this user, its settings folder shows it.

// True if "<roaming>vlc", the folder that holds VLC's extensions folder, holds a file named
// "vlcrc" (written at VLC's first start) or "vlc-qt-interface.ini" (its window state). A folder
// of either name is no evidence. Only looks: nothing is made, opened or changed. False without a
// roaming folder, or for a path the file steps refuse as too long.
bool VlcSettingsFound() noexcept;
