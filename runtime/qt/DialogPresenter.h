#pragma once

#include "runtime/ui/DialogRequest.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>

class QMenu;
class QPrinter;
class QWidget;

namespace host::qt {

class QtDisplay;

// Shows the dialogs that logical threads wait on: message boxes, popup menus, the file
// dialog and the printer set-up. Each is shown without blocking Qt's event loop (other
// threads' windows stay usable) and its answer goes back through UserInput, which lets
// the waiting thread go on. A dialog that is no longer pending is taken off the screen.
class DialogPresenter : public QObject {
    Q_OBJECT
public:
    explicit DialogPresenter(QtDisplay& display);
    ~DialogPresenter() override;

    void synchronize();

    // The widget shown for a pending dialog (a QMessageBox, QMenu, QFileDialog or
    // QPrintDialog), or null.
    QWidget* widgetFor(int dialogId) const;
    // The printer the set-up dialog configures (and reports print on).
    QPrinter& printer();

    // The menu a popup-menu text describes: one action per entry, numbered (data) as the
    // popup's choices count them.
    static QMenu* buildPopup(const std::string& menuText, QWidget* parent = nullptr);

private:
    QWidget* show(const DialogRequest& request);
    QWidget* showMessage(const DialogRequest& request, QWidget* parent);
    QWidget* showPopup(const DialogRequest& request, QWidget* parent);
    QWidget* showFileDialog(const DialogRequest& request, QWidget* parent);
    QWidget* showPrinterSetup(const DialogRequest& request, QWidget* parent);
    QWidget* parentFor(const DialogRequest& request) const;
    // Answers the dialog if it is still pending, then lets the threads run.
    void answer(int dialogId, const std::function<void(DialogRequest&)>& how);

    QtDisplay& display_;
    std::map<int, QPointer<QWidget>> shown_;
    std::unique_ptr<QPrinter> printer_;
};

} // namespace host::qt
