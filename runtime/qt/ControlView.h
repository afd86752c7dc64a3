#pragma once

#include "runtime/ui/ControlKind.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include <QWidget>
#include <map>

#include <string>

namespace host {
class Control;
}

namespace host::qt {

class ListView;
class WindowView;

// What one runtime control looks like on the screen: the Qt widget (or menu, menu
// action, toolbar action) made for its kind, kept in line with the control by update()
// and reporting what the user does with it through the window's UserInput.
//
// `container` is where it goes: the window's surface for ordinary controls, the menu
// bar or the parent menu for menus and items, the toolbar for what the toolbar holds.
class ControlView : public QObject {
    Q_OBJECT
public:
    ControlView(WindowView& owner, const Control& control, QWidget* container);
    ~ControlView() override;

    int number() const { return number_; }
    ControlKind kind() const { return kind_; }
    const Control* control() const { return control_; }
    unsigned revision() const { return revision_; }

    // The widget on the window (null for menus, menu items and toolbar buttons).
    QWidget* widget() const { return widget_; }
    // The menu of a menu control, the action of a menu item or toolbar button.
    QMenu* menu() const { return menu_; }
    QAction* action() const { return action_; }
    ListView* list() const;
    // The widgets that take keys and clicks for this control (its inner line edit ...).
    QList<QWidget*> inputWidgets() const;
    // True for controls placed by their rectangle on the window's surface.
    bool isOnSurface() const { return onSurface_; }

    // Shows the control as the runtime has it now (the control object may be new when
    // it was destroyed and created again under the same number).
    void update(const Control& control);
    // Shows or hides, enables or disables (a tab, group or menu around it may decide).
    void applyState(bool visible, bool enabled);
    // Places the widget (pixels of the surface); lists also place their scroll bar.
    void place(const QRect& rect);
    QRect placed() const { return placed_; }
    // The control a prompt stands before (its mnemonic moves there).
    void setBuddy(QWidget* buddy);
    // Gives the control's widget the keyboard focus.
    void takeFocus();

private:
    void create(QWidget* container);
    void connectInput();
    void updateWidget(const Control& control);
    void applyImage(const Control& control);
    QStringList rowTexts(const Control& control) const;
    void showChoices();
    void pressed();

    WindowView& owner_;
    const Control* control_;
    int number_;
    ControlKind kind_;
    unsigned revision_ = 0;
    unsigned caretMark_ = 0;
    bool onSurface_ = false;
    QPointer<QWidget> widget_;
    QPointer<QMenu> menu_;
    QPointer<QAction> action_;
    QRect placed_;
    std::map<int, std::string> shownIcons_;
    std::string shownImage_;
    QSize shownImageSize_;
};

} // namespace host::qt
