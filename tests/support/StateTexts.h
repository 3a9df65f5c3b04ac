#pragma once
// What the user must read in each state of the dialog: both status lines, and the button's
// captions. Written here, not taken from the program, so that a wrong text in the program fails.
struct StateTexts {
    const char* firstLine;
    const char* secondLine;
};

namespace shown {
constexpr StateTexts NotDetected = {"VLC was not detected on your system.", "Install VLC then try again."};
constexpr StateTexts Ready = {"VLC was detected on your system.", "Ready to install the extension."};
constexpr StateTexts Warning = {"Extension was already installed previously.", "Replace it ?"};
constexpr StateTexts Installed = {"Extension correctly installed. Please restart VLC.",
                                  "You can now rotate videos via View > Turnix..."};
constexpr StateTexts Failed = {"There was a problem installing the extension !",
                               "You can try again or contact the author."};
constexpr StateTexts CannotLoad = {"Extension installed, but VLC cannot load it.",
                                   "See Windows' language for non-Unicode programs."};

constexpr char InstallCaption[] = "INSTALL TURNIX EXTENSION";
constexpr char ForceCaption[] = "FORCE-INSTALL EXTENSION (OVERWRITE)";
constexpr char AuthorUrl[] = "http://talvern.example";  // as the scripts' descriptors name it
}  // namespace shown
