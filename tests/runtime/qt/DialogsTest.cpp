// Dialogs raised by logical threads: shown without stopping the other windows, and
// answered back through the runtime.
#include "QtTestSession.h"

#include "runtime/base/MessageBox.h"
#include "runtime/qt/DialogPresenter.h"
#include "runtime/qt/WindowView.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using host::Window;
using host::qt::test::define;
using host::qt::test::QtTestSession;

const char* const plainWindow = R"(
window W "Plain"
  button 1 "&Go"
end)";

// Runs `ask` on a logical thread that has a window open, and keeps the window open.
void startAsking(QtTestSession& session, std::function<void()> ask) {
    auto definition = define(plainWindow);
    session.start([definition, ask] {
        Window w(definition);
        w.open();
        ask();
        while (w.nextEvent())
            w.endCycle(host::CycleEnd::DefaultAction);
    });
}

TEST(Dialogs, TheFileDialogShowsTheMasksAndAnswersTheChosenFile) {
    QtTestSession session;
    QTemporaryDir dir;
    QString picture = dir.filePath("shelf.gif");
    QFile(picture).open(QIODevice::WriteOnly);
    std::vector<std::pair<bool, std::string>> answers;
    startAsking(session, [&] {
        for (int i = 0; i < 2; ++i) {
            host::FileDialogRequest request{"Choose an image", "keep.gif",
                                            "All Files|*.*|GIF images|*.GIF", 16};
            bool chosen = host::fileDialog(request);
            answers.emplace_back(chosen, request.fileName);
        }
    });
    auto* dialog = qobject_cast<QFileDialog*>(session.pendingDialogWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Choose an image");
    EXPECT_EQ(dialog->nameFilters(), (QStringList{"All Files (*)", "GIF images (*.GIF *.gif)"}));
    EXPECT_FALSE(dialog->isModal()); // the other windows stay usable
    // The user types the file's name and presses Open.
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "keep.gif"); // the name the program gave
    name->setText(picture);
    QMetaObject::invokeMethod(dialog, "accept");
    session.settle();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0].first);
    EXPECT_EQ(answers[0].second, picture.toStdString());

    dialog = qobject_cast<QFileDialog*>(session.pendingDialogWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
    session.settle();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_FALSE(answers[1].first);
    EXPECT_EQ(answers[1].second, "keep.gif"); // a cancelled dialog changes nothing
    EXPECT_TRUE(session.desktop().pendingDialogs().empty());
}

TEST(Dialogs, PrinterSetupAnswersOkOrCancel) {
    QtTestSession session;
    std::vector<bool> answers;
    startAsking(session, [&] {
        answers.push_back(host::printerSetup());
        answers.push_back(host::printerSetup());
    });
    auto* dialog = qobject_cast<QPrintDialog*>(session.pendingDialogWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
    session.settle();
    dialog = qobject_cast<QPrintDialog*>(session.pendingDialogWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->accept();
    session.settle();
    EXPECT_EQ(answers, (std::vector<bool>{false, true}));
}

TEST(Dialogs, PopupMenusHaveSeparatorsDisabledAndCheckedEntriesSubmenusAndIcons) {
    QtTestSession session;
    std::unique_ptr<QMenu> menu(host::qt::DialogPresenter::buildPopup(
        "&Insert|-|~&Delete|+&Checked|-&Unchecked|More{&Sub one|&Sub two}|[1(~wizins.gif)]&Add"));
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 7);
    EXPECT_EQ(actions[0]->text(), "&Insert");
    EXPECT_EQ(actions[0]->data().toInt(), 1);
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_FALSE(actions[2]->isEnabled());
    EXPECT_EQ(actions[2]->data().toInt(), 2); // a disabled entry still counts
    EXPECT_TRUE(actions[3]->isCheckable() && actions[3]->isChecked());
    EXPECT_TRUE(actions[4]->isCheckable() && !actions[4]->isChecked());
    ASSERT_NE(actions[5]->menu(), nullptr);
    EXPECT_EQ(actions[5]->menu()->actions()[1]->data().toInt(), 6);
    EXPECT_EQ(actions[6]->data().toInt(), 7); // after the submenu's entries
    EXPECT_FALSE(actions[6]->icon().isNull());

    // Leaving a popup without a choice answers 0.
    std::vector<int> choices;
    startAsking(session, [&] { choices.push_back(host::popupMenu("&Insert|&Change")); });
    auto* shown = qobject_cast<QMenu*>(session.pendingDialogWidget());
    ASSERT_NE(shown, nullptr);
    QTest::keyClick(shown, Qt::Key_Escape);
    session.settle();
    EXPECT_EQ(choices, (std::vector<int>{0}));
}

TEST(Dialogs, MessageBoxesShowTheirLinesAndAnswerWhenClosedWithoutAButton) {
    QtTestSession session;
    std::vector<unsigned> answers;
    startAsking(session, [&] {
        answers.push_back(host::showMessage("First line|Second line", "Field Validation",
                                            host::MessageIcon::Exclamation,
                                            host::ButtonYes | host::ButtonNo, host::ButtonYes));
        answers.push_back(host::showMessage("Done.", "Note"));
    });
    auto* box = qobject_cast<QMessageBox*>(session.pendingDialogWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Field Validation");
    EXPECT_EQ(box->text(), "First line\nSecond line");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Yes));
    // The asking thread's window waits; the box itself takes input.
    Window* asking = session.activeWindow();
    EXPECT_TRUE(session.display().view(*asking)->isBlocked());
    box->close();
    session.settle();
    box = qobject_cast<QMessageBox*>(session.pendingDialogWidget());
    ASSERT_NE(box, nullptr);
    box->close();
    session.settle();
    EXPECT_EQ(answers, (std::vector<unsigned>{host::ButtonNo, host::ButtonOk}));
    EXPECT_FALSE(session.display().view(*asking)->isBlocked());
}

} // namespace
