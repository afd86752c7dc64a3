#pragma once

#include <QImage>
#include <QString>

namespace host {
class Desktop;
}

namespace host::qt {

// What a desktop shows right now, drawn by the Qt display: the frame with its child
// windows (or every open window), message boxes and popups left out. It works on any
// desktop, the headless session's included, so that a scenario run without a display
// can be looked at step by step ("screenshot FILE" in a program's scenario commands).
// Call it on the main thread while the logical threads wait; it makes an offscreen
// application object when the program has none, and leaves the desktop's own display
// in place afterwards.
class ScreenShot {
public:
    static QImage take(Desktop& desktop);
    // Writes the picture as a PNG file; false when there is nothing open or the file
    // cannot be written.
    static bool save(Desktop& desktop, const QString& path);
};

} // namespace host::qt
