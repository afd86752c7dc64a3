#pragma once

#include "runtime/ui/Display.h"

#include <QImage>
#include <QObject>
#include <QTimer>

#include <exception>
#include <map>
#include <memory>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace host {
class PageOutput;
class Window;
} // namespace host

namespace host::qt {

class DialogPresenter;
class WindowView;

// The Qt display backend. It shows the desktop's windows with Qt Widgets and feeds what
// the user does back through UserInput, and it runs the logical threads from Qt's event
// loop: after every piece of user input (and when a window timer is due, or a logical
// thread's cooperative pause ends) it lets the desktop run its threads until they all
// wait again, and then brings the screen in line with the model (synchronize). Control
// goes back to Qt after each run, so that it paints and takes input between them. Qt is
// touched only on the main thread, while every logical thread is parked.
//
// The display installs itself as the desktop's display; a QApplication must exist.
class QtDisplay : public QObject, public Display {
    Q_OBJECT
public:
    explicit QtDisplay(Desktop& desktop, QObject* parent = nullptr);
    ~QtDisplay() override;

    Desktop& desktop() const { return desktop_; }

    void synchronize(Desktop& desktop) override;

    // Lets the logical threads run as soon as Qt's event loop comes back (input handlers
    // call this, so that the program reacts after the event that caused the input).
    void requestRun();
    // Lets them run now (and synchronizes). Does nothing when called while running.
    void runNow();
    bool isRunPending() const { return runTimer_.isActive(); }

    // A passive display only draws the model: it feeds nothing back (what Qt does to
    // its widgets as they are shown, activations and focus changes included, does not
    // reach UserInput), never runs the logical threads and shows no dialogs. ScreenShot
    // draws another display's desktop with one, leaving that desktop as it was.
    void setPassive(bool passive) { passive_ = passive; }
    bool isPassive() const { return passive_; }
    // The exception that ended a logical thread during the last run, taken once.
    std::exception_ptr takeFailure();

    // The view of an open window (by Window::id()), or null.
    WindowView* view(int windowId) const;
    WindowView* view(const Window& window) const;
    // The application frame's main window and child-window area (null without a frame).
    QWidget* frameWidget() const;
    QMdiArea* frameArea() const;
    DialogPresenter& dialogs() const { return *dialogs_; }
    // The view whose window holds a widget (null for dialogs and popups).
    WindowView* viewOwning(QObject* object) const;

    // What a window looks like now (the frame with its children, or one window).
    QImage grab(int windowId) const;
    // The whole screen as the user sees it: the frame, or every open top-level window.
    QImage grabScreen() const;

signals:
    // No logical thread is left: the program has ended.
    void threadsEnded();
    // A logical thread ended with an exception (see takeFailure).
    void failed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void synchronizeViews();
    void synchronizeActivation();
    void scheduleTimers();
    // The user made a child window of the frame the active one.
    void childActivated(QMdiSubWindow* sub);

    Desktop& desktop_;
    std::map<int, std::unique_ptr<WindowView>> views_;
    std::unique_ptr<DialogPresenter> dialogs_;
    std::unique_ptr<PageOutput> pageOutput_;
    QTimer runTimer_;
    QTimer clockTimer_;
    bool running_ = false;
    bool passive_ = false;
    bool synchronizing_ = false;
    bool busyShown_ = false;
    int beepsHeard_ = 0;
    int appliedActive_ = 0;
    bool ended_ = false;
    std::exception_ptr failure_;
};

} // namespace host::qt
