#include "runtime/qt/DialogPresenter.h"

#include "runtime/qt/ImageLibrary.h"
#include "runtime/qt/QtDisplay.h"
#include "runtime/qt/WindowView.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/MenuText.h"
#include "runtime/ui/UserInput.h"
#include "runtime/ui/Window.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

namespace host::qt {

namespace {

struct ButtonPair {
    unsigned host;
    QMessageBox::StandardButton qt;
};

const ButtonPair buttonPairs[] = {
    {ButtonOk, QMessageBox::Ok},         {ButtonYes, QMessageBox::Yes},
    {ButtonNo, QMessageBox::No},         {ButtonAbort, QMessageBox::Abort},
    {ButtonRetry, QMessageBox::Retry},   {ButtonIgnore, QMessageBox::Ignore},
    {ButtonCancel, QMessageBox::Cancel}, {ButtonHelp, QMessageBox::Help},
};

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Hand:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "All Files|*.*|GIF images|*.GIF" as Qt's name filters.
QStringList nameFilters(const std::string& masks) {
    QStringList parts = QString::fromStdString(masks).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        QStringList both;
        for (QString pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == "*.*")
                pattern = "*"; // every file, with or without an extension
            both << pattern;
            // Masks are written for a desktop that ignores letter case.
            if (pattern.toLower() != pattern)
                both << pattern.toLower();
            else if (pattern.toUpper() != pattern)
                both << pattern.toUpper();
        }
        both.removeDuplicates();
        filters << parts[i].trimmed() + " (" + both.join(' ') + ")";
    }
    return filters;
}

void addEntries(QMenu* menu, const std::vector<MenuEntry>& entries, int& number) {
    for (const MenuEntry& entry : entries) {
        QString text = QString::fromStdString(entry.text);
        switch (entry.kind) {
        case MenuEntry::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuEntry::Kind::Submenu: {
            QMenu* sub = menu->addMenu(text);
            sub->setEnabled(!entry.disabled);
            if (!entry.icon.empty())
                sub->setIcon(ImageLibrary::icon(entry.icon));
            addEntries(sub, entry.entries, number);
            break;
        }
        case MenuEntry::Kind::Item: {
            QAction* action = menu->addAction(text);
            action->setData(++number);
            action->setEnabled(!entry.disabled);
            if (entry.check != MenuCheck::None) {
                action->setCheckable(true);
                action->setChecked(entry.check == MenuCheck::Checked);
            }
            if (!entry.icon.empty())
                action->setIcon(ImageLibrary::icon(entry.icon));
            break;
        }
        }
    }
}

} // namespace

DialogPresenter::DialogPresenter(QtDisplay& display) : QObject(&display), display_(display) {}

DialogPresenter::~DialogPresenter() {
    for (auto& [id, widget] : shown_)
        delete widget.data();
}

QPrinter& DialogPresenter::printer() {
    if (!printer_)
        printer_ = std::make_unique<QPrinter>();
    return *printer_;
}

QWidget* DialogPresenter::widgetFor(int dialogId) const {
    auto it = shown_.find(dialogId);
    return it == shown_.end() ? nullptr : it->second.data();
}

void DialogPresenter::synchronize() {
    Desktop& desktop = display_.desktop();
    // Dialogs answered (or finished) leave the screen.
    for (auto it = shown_.begin(); it != shown_.end();) {
        DialogRequest* request = desktop.dialog(it->first);
        if (!request || request->answered) {
            if (QWidget* widget = it->second.data()) {
                widget->hide();
                widget->deleteLater();
            }
            it = shown_.erase(it);
        } else {
            ++it;
        }
    }
    for (DialogRequest* request : desktop.pendingDialogs()) {
        if (shown_.count(request->id))
            continue;
        shown_[request->id] = show(*request);
    }
}

QWidget* DialogPresenter::parentFor(const DialogRequest& request) const {
    Desktop& desktop = display_.desktop();
    Window* window = desktop.topWindowOf(request.thread);
    if (!window)
        window = desktop.window(request.window);
    WindowView* view = window ? display_.view(*window) : nullptr;
    if (view)
        return view->outer()->window();
    return display_.frameWidget();
}

QWidget* DialogPresenter::show(const DialogRequest& request) {
    QWidget* parent = parentFor(request);
    switch (request.kind) {
    case DialogRequest::Kind::Message:
        return showMessage(request, parent);
    case DialogRequest::Kind::Popup:
        return showPopup(request, parent);
    case DialogRequest::Kind::File:
        return showFileDialog(request, parent);
    case DialogRequest::Kind::PrinterSetup:
        return showPrinterSetup(request, parent);
    }
    return nullptr;
}

void DialogPresenter::answer(int dialogId, const std::function<void(DialogRequest&)>& how) {
    DialogRequest* request = display_.desktop().dialog(dialogId);
    if (!request || request->answered)
        return;
    how(*request);
    display_.requestRun();
}

QWidget* DialogPresenter::showMessage(const DialogRequest& request, QWidget* parent) {
    const MessageBoxRequest& m = request.message;
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setWindowModality(Qt::NonModal);
    box->setWindowTitle(QString::fromStdString(m.title));
    box->setText(QString::fromStdString(m.text).replace('|', '\n'));
    box->setIcon(iconOf(m.icon));
    unsigned buttons = m.buttons ? m.buttons : ButtonOk;
    for (const auto& pair : buttonPairs) {
        if (!(buttons & pair.host))
            continue;
        QPushButton* button = box->addButton(pair.qt);
        if (pair.host == m.defaultButton)
            box->setDefaultButton(button);
    }
    int id = request.id;
    connect(box, &QMessageBox::buttonClicked, this, [this, box, id](QAbstractButton* clicked) {
        QMessageBox::StandardButton which = box->standardButton(clicked);
        for (const auto& pair : buttonPairs)
            if (pair.qt == which)
                answer(id, [&](DialogRequest& r) {
                    UserInput(display_.desktop()).answerMessage(r, pair.host);
                });
    });
    // Closed without a button (the close box, or Esc with no cancel button): the box's
    // cancelling button, else its default.
    connect(box, &QDialog::finished, this, [this, id, buttons, m] {
        unsigned fallback = buttons & ButtonCancel ? ButtonCancel
                            : buttons & ButtonNo   ? ButtonNo
                                                   : m.defaultButton;
        answer(id, [&](DialogRequest& r) {
            UserInput input(display_.desktop());
            if (!input.answerMessage(r, fallback))
                input.answerMessage(r, buttons & -buttons); // the first button it shows
        });
    });
    box->show();
    return box;
}

QMenu* DialogPresenter::buildPopup(const std::string& menuText, QWidget* parent) {
    auto* menu = new QMenu(parent);
    MenuText text = MenuText::parse(menuText);
    int number = 0;
    addEntries(menu, text.entries(), number);
    return menu;
}

QWidget* DialogPresenter::showPopup(const DialogRequest& request, QWidget* parent) {
    QMenu* menu = buildPopup(request.menuText, parent);
    int id = request.id;
    connect(menu, &QMenu::triggered, this, [this, id](QAction* action) {
        int choice = action->data().toInt();
        answer(id, [&](DialogRequest& r) { UserInput(display_.desktop()).answerPopup(r, choice); });
    });
    // Closing the menu without a choice answers 0, after a chosen entry had its turn.
    connect(menu, &QMenu::aboutToHide, this, [this, id] {
        QTimer::singleShot(0, this, [this, id] {
            answer(id, [&](DialogRequest& r) { UserInput(display_.desktop()).answerPopup(r, 0); });
        });
    });
    QPoint at = QCursor::pos();
    if (request.x >= 0 && request.y >= 0) {
        Window* window = display_.desktop().window(request.window);
        if (WindowView* view = window ? display_.view(*window) : nullptr)
            at = view->surface()->mapToGlobal(
                QPoint(view->units().x(request.x), view->units().y(request.y)));
    }
    menu->popup(at);
    return menu;
}

QWidget* DialogPresenter::showFileDialog(const DialogRequest& request, QWidget* parent) {
    const FileDialogRequest& f = request.file;
    auto* dialog = new QFileDialog(parent, QString::fromStdString(f.title));
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setWindowModality(Qt::NonModal);
    QStringList filters = nameFilters(f.masks);
    if (!filters.isEmpty())
        dialog->setNameFilters(filters);
    if (f.flags & FileDialogSave) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
    } else if (f.flags & FileDialogDirectory) {
        dialog->setFileMode(QFileDialog::Directory);
    } else {
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    if (!f.fileName.empty())
        dialog->selectFile(QString::fromStdString(f.fileName));
    int id = request.id;
    connect(dialog, &QFileDialog::finished, this, [this, dialog, id](int result) {
        std::optional<std::string> file;
        if (result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
            file = QDir::toNativeSeparators(dialog->selectedFiles().constFirst()).toStdString();
        answer(id,
               [&](DialogRequest& r) { UserInput(display_.desktop()).answerFileDialog(r, file); });
    });
    dialog->show();
    return dialog;
}

QWidget* DialogPresenter::showPrinterSetup(const DialogRequest& request, QWidget* parent) {
    auto* dialog = new QPrintDialog(&printer(), parent);
    dialog->setWindowModality(Qt::NonModal);
    dialog->setOption(QAbstractPrintDialog::PrintToFile, true);
    int id = request.id;
    connect(dialog, &QDialog::finished, this, [this, id](int result) {
        answer(id, [&](DialogRequest& r) {
            UserInput(display_.desktop()).answerPrinterSetup(r, result == QDialog::Accepted);
        });
    });
    dialog->show();
    return dialog;
}

} // namespace host::qt
