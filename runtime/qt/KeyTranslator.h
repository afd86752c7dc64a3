#pragma once

#include <QKeyEvent>
#include <QKeySequence>

#include <string_view>

namespace host::qt {

// Qt's keys as the runtime's key codes (KeyCode), and back for menu accelerators.
class KeyTranslator {
public:
    // The runtime key code of a key press; 0 for keys the runtime has no code for
    // (modifier keys alone, keys of other layouts).
    static int keyCode(int qtKey, Qt::KeyboardModifiers modifiers);
    static int keyCode(const QKeyEvent& event) { return keyCode(event.key(), event.modifiers()); }
    // The Qt key sequence of a key name of the definitions ("Ctrl+P", "Alt+X", "F1").
    static QKeySequence sequence(std::string_view keyName);
};

} // namespace host::qt
