#pragma once

#include "runtime/base/MessageBox.h"

#include <string>

namespace host {

// What a file dialog asks and answers.
struct FileDialogRequest {
    std::string title;
    std::string fileName; // shown when the dialog opens; the chosen file afterwards
    std::string masks;    // pairs of description and pattern, "|" between all of them
    int flags = 0;        // the caller's option flags, passed through to the backend
                          // (see FileDialogFlag)
};

// File dialog option flags.
enum FileDialogFlag : int {
    FileDialogSave = 1,          // a save dialog (the file need not exist)
    FileDialogKeepDirectory = 2, // do not change the current directory
    FileDialogDirectory = 4,     // choose a directory
    FileDialogLongNames = 8,
};

// A dialog that a logical thread waits on: a message box, a popup menu, a file dialog or
// the printer set-up. The desktop keeps it pending until the user answers it through
// UserInput; the thread that raised it is parked meanwhile.
struct DialogRequest {
    enum class Kind { Message, Popup, File, PrinterSetup };
    int id = 0;
    Kind kind = Kind::Message;
    int thread = 0; // the logical thread waiting on it
    int window = 0; // id of the window active when it was raised (0 = none)

    MessageBoxRequest message; // Kind::Message
    std::string menuText;      // Kind::Popup: the popup menu text
    int x = -1;                // Kind::Popup: position (-1 = the mouse position)
    int y = -1;
    FileDialogRequest file; // Kind::File

    // The answer
    bool answered = false;
    unsigned button = 0;    // Message: the button pressed
    int choice = 0;         // Popup: the chosen selectable entry, 0 = none
    bool accepted = false;  // File, PrinterSetup: OK (true) or Cancel
    std::string chosenFile; // File: the file chosen
};

} // namespace host
