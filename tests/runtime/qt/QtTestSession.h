#pragma once

#include "runtime/qt/QtDisplay.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinition.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace host::qt::test {

// The application object every test shares (made on first use, offscreen).
void ensureApplication();

// A program running on the Qt display, driven through Qt's own widgets and events as a
// user would drive it. settle() lets Qt and the logical threads run until both are idle.
class QtTestSession {
public:
    QtTestSession();
    ~QtTestSession();

    Desktop& desktop() { return desktop_; }
    QtDisplay& display() { return *display_; }

    int start(std::function<void()> procedure);
    void settle();

    Window* activeWindow() const { return desktop_.activeWindow(); }
    // The Qt widget showing control `number` of a window (the active one by default).
    QWidget* widget(int number, Window* window = nullptr) const;
    template <class W> W* widgetAs(int number, Window* window = nullptr) const {
        return qobject_cast<W*>(widget(number, window));
    }
    // The widget shown for the oldest pending dialog, or null.
    QWidget* pendingDialogWidget() const;

private:
    Desktop desktop_;
    std::unique_ptr<QtDisplay> display_;
};

std::shared_ptr<const WindowDefinition> define(const char* text);

} // namespace host::qt::test
