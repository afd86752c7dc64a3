#include "runtime/qt/QtDisplay.h"

#include "runtime/base/Clock.h"
#include "runtime/qt/DialogPresenter.h"
#include "runtime/qt/PagePainter.h"
#include "runtime/qt/WindowView.h"
#include "runtime/report/PrintService.h"
#include "runtime/threads/CooperativeWait.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/UserInput.h"
#include "runtime/ui/Window.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScopedValueRollback>

#include <algorithm>
#include <chrono>
#include <set>

namespace host::qt {

namespace {
constexpr int hundredthsPerDay = 8640000;

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
        return true;
    default:
        return false;
    }
}
} // namespace

QtDisplay::QtDisplay(Desktop& desktop, QObject* parent) : QObject(parent), desktop_(desktop) {
    dialogs_ = std::make_unique<DialogPresenter>(*this);
    // Reports print on the printer the set-up dialog chose, after showing that dialog.
    pageOutput_ = std::make_unique<QtPageOutput>(&dialogs_->printer());
    PrintService::install(pageOutput_.get());
    PrintService::setAskPrinter(true);
    runTimer_.setSingleShot(true);
    runTimer_.setInterval(0);
    connect(&runTimer_, &QTimer::timeout, this, &QtDisplay::runNow);
    clockTimer_.setSingleShot(true);
    connect(&clockTimer_, &QTimer::timeout, this, &QtDisplay::runNow);
    desktop_.setDisplay(this);
    qApp->installEventFilter(this);
    beepsHeard_ = desktop_.beeps();
}

QtDisplay::~QtDisplay() {
    qApp->removeEventFilter(this);
    if (PrintService::installed() == pageOutput_.get())
        PrintService::install(nullptr);
    if (desktop_.display() == this)
        desktop_.setDisplay(nullptr);
    if (busyShown_)
        QApplication::restoreOverrideCursor();
    dialogs_.reset();
    // Children before the frame that holds them.
    for (auto it = views_.rbegin(); it != views_.rend(); ++it)
        it->second.reset();
    views_.clear();
}

void QtDisplay::requestRun() {
    if (!passive_ && !runTimer_.isActive())
        runTimer_.start();
}

void QtDisplay::runNow() {
    if (running_ || passive_)
        return;
    running_ = true;
    runTimer_.stop();
    try {
        desktop_.runUntilIdle();
    } catch (...) {
        failure_ = std::current_exception();
        synchronize(desktop_);
        running_ = false;
        emit failed();
        return;
    }
    running_ = false;
    scheduleTimers();
    if (!ended_ && desktop_.scheduler().aliveCount() == 0) {
        ended_ = true;
        emit threadsEnded();
    } else if (desktop_.scheduler().aliveCount() > 0) {
        ended_ = false;
    }
}

std::exception_ptr QtDisplay::takeFailure() {
    return std::exchange(failure_, nullptr);
}

void QtDisplay::scheduleTimers() {
    int now = clockNow();
    long long soonest = -1; // milliseconds
    for (Window* w : desktop_.windows()) {
        if (w->timer() <= 0)
            continue;
        int elapsed = ((now - w->timerLastElapsed()) % hundredthsPerDay + hundredthsPerDay) %
                      hundredthsPerDay;
        long long left = std::max(w->timer() - elapsed, 0) * 10LL;
        soonest = soonest < 0 ? left : std::min(soonest, left);
    }
    // A logical thread pausing while it waits for another station goes on at its time.
    if (auto pauseEnd = CooperativeWait::nextPauseEnd()) {
        long long left =
            std::chrono::ceil<std::chrono::milliseconds>(*pauseEnd - CooperativeWait::Clock::now())
                .count();
        left = std::max(left, 0LL);
        soonest = soonest < 0 ? left : std::min(soonest, left);
    }
    if (soonest < 0) {
        clockTimer_.stop();
        return;
    }
    // At least one millisecond, so that Qt paints and takes input before the next run.
    clockTimer_.start(static_cast<int>(std::clamp<long long>(soonest, 1, 24LL * 3600 * 1000)));
}

WindowView* QtDisplay::view(int windowId) const {
    auto it = views_.find(windowId);
    return it == views_.end() ? nullptr : it->second.get();
}

WindowView* QtDisplay::view(const Window& window) const {
    return view(window.id());
}

QWidget* QtDisplay::frameWidget() const {
    Window* frame = desktop_.frame();
    WindowView* v = frame ? view(*frame) : nullptr;
    return v ? v->outer() : nullptr;
}

QMdiArea* QtDisplay::frameArea() const {
    Window* frame = desktop_.frame();
    WindowView* v = frame ? view(*frame) : nullptr;
    return v ? v->mdiArea() : nullptr;
}

void QtDisplay::synchronizeViews() {
    std::set<int> open;
    for (Window* w : desktop_.windows())
        open.insert(w->id());
    // Closed windows go first, children (opened later) before a frame closing with them.
    std::vector<int> closed;
    for (const auto& [id, v] : views_)
        if (!open.count(id))
            closed.push_back(id);
    for (auto it = closed.rbegin(); it != closed.rend(); ++it)
        views_.erase(*it);
    for (Window* w : desktop_.windows()) {
        if (views_.count(w->id()))
            continue;
        QMdiArea* area = nullptr;
        if (w->definition().mdiChild && w->frame())
            if (WindowView* frame = view(*w->frame()))
                area = frame->mdiArea();
        auto v = std::make_unique<WindowView>(*this, *w, area);
        if (QMdiArea* own = v->mdiArea())
            connect(own, &QMdiArea::subWindowActivated, this, &QtDisplay::childActivated);
        views_.emplace(w->id(), std::move(v));
    }
    std::set<int> waiting; // threads waiting on a dialog
    for (DialogRequest* d : desktop_.pendingDialogs())
        waiting.insert(d->thread);
    for (Window* w : desktop_.windows()) {
        WindowView* v = view(*w);
        v->synchronize();
        v->setBlocked(desktop_.topWindowOf(w->thread()) != w || waiting.count(w->thread()) > 0);
    }
}

void QtDisplay::synchronizeActivation() {
    Window* active = desktop_.activeWindow();
    WindowView* v = active ? view(*active) : nullptr;
    if (!v)
        return;
    if (active->id() != appliedActive_) {
        appliedActive_ = active->id();
        if (QMdiSubWindow* sub = v->subWindow()) {
            if (QMdiArea* area = sub->mdiArea())
                area->setActiveSubWindow(sub);
        } else {
            v->outer()->raise();
            v->outer()->activateWindow();
        }
    }
    v->applyFocus();
}

void QtDisplay::childActivated(QMdiSubWindow* sub) {
    if (synchronizing_ || passive_ || !sub)
        return;
    for (const auto& [id, v] : views_) {
        if (v->subWindow() == sub) {
            if (desktop_.activeWindow() != &v->window()) {
                UserInput(desktop_).activate(v->window());
                appliedActive_ = id;
                requestRun();
            }
            return;
        }
    }
}

void QtDisplay::synchronize(Desktop& desktop) {
    (void)desktop;
    QScopedValueRollback<bool> synchronizing(synchronizing_, true);
    synchronizeViews();
    synchronizeActivation();
    if (!passive_)
        dialogs_->synchronize();
    if (desktop_.isBusy() != busyShown_) {
        busyShown_ = desktop_.isBusy();
        if (busyShown_)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
    if (desktop_.beeps() != beepsHeard_) {
        beepsHeard_ = desktop_.beeps();
        QApplication::beep();
    }
}

WindowView* QtDisplay::viewOwning(QObject* object) const {
    for (QObject* o = object; o; o = o->parent()) {
        if (!o->isWidgetType())
            continue;
        for (const auto& [id, v] : views_)
            if (v->outer() == o)
                return v.get();
        // A dialog or popup is a window of its own, even when a view is its parent.
        if (static_cast<QWidget*>(o)->isWindow())
            return nullptr;
    }
    return nullptr;
}

bool QtDisplay::eventFilter(QObject* watched, QEvent* event) {
    // A window whose thread cannot take input (it runs a window opened later, or waits
    // on a dialog) ignores the keyboard and the mouse, as the user would expect.
    if (isUserInput(event->type()) && watched->isWidgetType()) {
        WindowView* v = viewOwning(watched);
        if (v && v->isBlocked()) {
            // The frame itself stays usable when only a child window is blocked.
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QImage QtDisplay::grab(int windowId) const {
    WindowView* v = view(windowId);
    if (!v)
        return {};
    return v->outer()->grab().toImage();
}

QImage QtDisplay::grabScreen() const {
    if (QWidget* frame = frameWidget())
        return frame->grab().toImage();
    QList<QImage> images;
    int width = 0, height = 0;
    for (Window* w : desktop_.windows()) {
        QImage image = grab(w->id());
        if (image.isNull())
            continue;
        width = std::max(width, image.width());
        height += image.height() + 8;
        images << image;
    }
    QImage screen(std::max(width, 1), std::max(height, 1), QImage::Format_ARGB32);
    screen.fill(QColor(96, 96, 96));
    QPainter painter(&screen);
    int y = 0;
    for (const QImage& image : images) {
        painter.drawImage(0, y, image);
        y += image.height() + 8;
    }
    return screen;
}

} // namespace host::qt
