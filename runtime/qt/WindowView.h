#pragma once

#include "runtime/qt/Units.h"
#include "runtime/ui/Rect.h"
#include "runtime/ui/UserInput.h"

#include <QFont>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMdiArea;
class QToolBar;
class QWidget;

namespace host {
class Window;
}

namespace host::qt {

class ControlView;
class QtDisplay;

// One open runtime window on the screen: the application frame (a main window holding
// the menu bar, the toolbar, the child-window area and the status bar), a child window
// inside the frame, or a window of its own. Its controls sit on a surface at the
// places their rectangles give (window units turned into pixels in the window's font).
//
// synchronize() brings it in line with the runtime's window, redrawing only what
// changed (revisions); what the user does goes back through UserInput, after which
// the display lets the logical threads run.
class WindowView : public QObject {
    Q_OBJECT
public:
    // `frameArea` is the frame's child-window area, for windows that open in the frame.
    WindowView(QtDisplay& display, Window& window, QMdiArea* frameArea);
    ~WindowView() override;

    int id() const { return id_; }
    Window& window() const { return *window_; }
    UserInput input() const;
    // After user input: lets the logical threads react.
    void inputDone();
    // True while the view brings its widgets in line with the model, and always on a
    // passive display: what the widgets report then is not the user's doing.
    bool isSynchronizing() const;

    const Units& units() const { return units_; }
    const QFont& windowFont() const { return font_; }
    // The outermost widget: the child window in the frame's area, or the main window.
    QWidget* outer() const;
    QMainWindow* mainWindow() const { return main_; }
    QMdiSubWindow* subWindow() const { return sub_; }
    // The frame's child-window area (null unless this is the frame).
    QMdiArea* mdiArea() const { return area_; }
    QWidget* surface() const { return surface_; }
    QToolBar* toolBar() const { return toolBar_; }
    ControlView* controlView(int number) const;
    QWidget* widget(int number) const;
    QLabel* statusZone(int zone) const;
    // The titles of a sheet's tabs, in order.
    QStringList tabTitles(int sheet) const;

    void synchronize();
    // Input is refused while the window's thread cannot take it (it runs a window opened
    // later, or waits on a dialog).
    void setBlocked(bool blocked);
    bool isBlocked() const { return blocked_; }
    // Gives the keyboard focus to the runtime's focused control.
    void applyFocus();
    // Lays column editors over their cells (again when a list scrolls or lays out).
    void placeEditors();
    // A standard menu action the display does itself (window arrangement, clipboard).
    void standardAction(const std::string& action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void synchronizeControls();
    void synchronizeWindow();
    void synchronizeStatus();
    void placeControls();
    QRect placeOf(const ControlView& view) const;
    QSize defaultSize(const ControlView& view) const;
    QWidget* containerFor(const Control& control) const;
    void watch(ControlView& view);
    // A key for the window: what the runtime must see (alerted keys, Tab, Enter, Esc,
    // moves in lists and spin boxes) goes to it; the rest is left to the widget.
    bool handleKey(QKeyEvent* event);
    QSize clientSize() const;
    void applyGeometry();
    // Reports the surface's size when it differs from the window's, after the program
    // maximised or restored the window (a maximised one fills the screen or the frame's
    // area, whatever size the program gave it).
    void followSurfaceSize();

    QtDisplay& display_;
    Window* window_;
    int id_;
    unsigned revision_ = 0;
    bool synchronizing_ = false;
    bool closing_ = false;
    bool blocked_ = false;
    bool applyingGeometry_ = false;
    QSize appliedOuterSize_;
    Units units_;
    QFont font_;
    QMdiArea* frameArea_;
    QPointer<QMainWindow> main_;
    QPointer<QMdiSubWindow> sub_;
    QMdiArea* area_ = nullptr;
    QWidget* surface_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    std::vector<QLabel*> zones_;
    std::map<int, std::unique_ptr<ControlView>> controls_;
    std::map<QObject*, int> watched_; // widget -> control number
    std::map<int, QRect> autoPlaced_; // controls placed by the display (no rectangle)
    // What was last applied from the model (applied again only when the model changes).
    Rect appliedRect_{-1, -1, -1, -1};
    std::string appliedTitle_;
    int appliedFocus_ = -1;
    bool appliedMaximized_ = false;
    bool appliedIconized_ = false;
    bool appliedHidden_ = false;
    bool shown_ = false;
};

} // namespace host::qt
