#include "QtTestSession.h"

#include "runtime/qt/ControlView.h"
#include "runtime/qt/DialogPresenter.h"
#include "runtime/qt/WindowView.h"
#include "runtime/ui/WindowDefinitionParser.h"

#include <QApplication>

#include <cstdio>

#include <gtest/gtest.h>

namespace host::qt::test {

namespace {
// The offscreen platform says which window-system requests it ignores; nothing here
// depends on them.
void quietOffscreenNotes(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (text.startsWith("This plugin does not support") || text.contains("XDG_RUNTIME_DIR"))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}
} // namespace

void ensureApplication() {
    if (QApplication::instance())
        return;
    qInstallMessageHandler(quietOffscreenNotes);
    static int argc = 1;
    static char name[] = "runtime_qt_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv); // lives as long as the test program
}

QtTestSession::QtTestSession() {
    ensureApplication();
    desktop_.install();
    display_ = std::make_unique<QtDisplay>(desktop_);
}

QtTestSession::~QtTestSession() {
    desktop_.scheduler().cancelAll();
    display_.reset();
    QApplication::processEvents();
}

int QtTestSession::start(std::function<void()> procedure) {
    int thread = desktop_.startThread(std::move(procedure));
    display_->requestRun();
    settle();
    return thread;
}

void QtTestSession::settle() {
    for (int round = 0; round < 50; ++round) {
        QApplication::processEvents();
        if (!display_->isRunPending())
            break;
        display_->runNow();
    }
    QApplication::processEvents();
}

QWidget* QtTestSession::widget(int number, Window* window) const {
    Window* w = window ? window : desktop_.activeWindow();
    WindowView* view = w ? display_->view(*w) : nullptr;
    return view ? view->widget(number) : nullptr;
}

QWidget* QtTestSession::pendingDialogWidget() const {
    auto pending = desktop_.pendingDialogs();
    return pending.empty() ? nullptr : display_->dialogs().widgetFor(pending.front()->id);
}

std::shared_ptr<const WindowDefinition> define(const char* text) {
    auto result = WindowDefinitionParser::parse(text, "test");
    EXPECT_TRUE(result.ok()) << result.message();
    if (!result.ok() || result.windows.empty())
        return nullptr;
    return std::make_shared<const WindowDefinition>(result.windows[0]);
}

} // namespace host::qt::test
