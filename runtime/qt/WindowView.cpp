#include "runtime/qt/WindowView.h"

#include "runtime/pictures/Picture.h"
#include "runtime/qt/ControlView.h"
#include "runtime/qt/FontResolver.h"
#include "runtime/qt/ImageLibrary.h"
#include "runtime/qt/KeyTranslator.h"
#include "runtime/qt/ListView.h"
#include "runtime/qt/QtDisplay.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/MenuText.h"
#include "runtime/ui/Window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWindowStateChangeEvent>

#include <functional>

namespace host::qt {

namespace {

// Window units around auto-placed controls and between their lines.
constexpr int margin = 4;
constexpr int lineGap = 3;
constexpr int promptColumn = 56;

bool isTypedInto(ControlKind kind) {
    return kind == ControlKind::Entry || kind == ControlKind::Spin || kind == ControlKind::Combo ||
           kind == ControlKind::Text || kind == ControlKind::DropList;
}

bool isNavigationKey(int code) {
    switch (code) {
    case KeyCode::Up:
    case KeyCode::Down:
    case KeyCode::PgUp:
    case KeyCode::PgDn:
    case KeyCode::Home:
    case KeyCode::End:
    case KeyCode::CtrlHome:
    case KeyCode::CtrlEnd:
    case KeyCode::CtrlPgUp:
    case KeyCode::CtrlPgDn:
        return true;
    default:
        return false;
    }
}

} // namespace

WindowView::WindowView(QtDisplay& display, Window& window, QMdiArea* frameArea)
    : display_(display), window_(&window), id_(window.id()), frameArea_(frameArea) {
    font_ = FontResolver::windowFont(window.definition().font);
    units_ = Units(font_);
    build();
}

WindowView::~WindowView() {
    // The runtime's window may be gone already: nothing looks at it from here on.
    closing_ = true;
    controls_.clear();
    if (sub_)
        delete sub_.data();
    else if (main_)
        delete main_.data();
}

bool WindowView::isSynchronizing() const {
    return synchronizing_ || display_.isPassive();
}

UserInput WindowView::input() const {
    return UserInput(display_.desktop());
}

void WindowView::inputDone() {
    display_.requestRun();
}

QWidget* WindowView::outer() const {
    if (sub_)
        return sub_;
    return main_;
}

ControlView* WindowView::controlView(int number) const {
    auto it = controls_.find(number);
    return it == controls_.end() ? nullptr : it->second.get();
}

QWidget* WindowView::widget(int number) const {
    ControlView* view = controlView(number);
    return view ? view->widget() : nullptr;
}

QLabel* WindowView::statusZone(int zone) const {
    if (zone < 1 || zone > static_cast<int>(zones_.size()))
        return nullptr;
    return zones_[static_cast<std::size_t>(zone - 1)];
}

QStringList WindowView::tabTitles(int sheet) const {
    QStringList titles;
    for (const Control* c : std::as_const(*window_).controls())
        if (c->parent() == sheet && c->kind() == ControlKind::Tab)
            titles << QString::fromStdString(c->text());
    return titles;
}

void WindowView::build() {
    const WindowDefinition& definition = window_->definition();
    // A window of its own stays over the frame: the frame's main window is its parent.
    bool child = frameArea_ && definition.mdiChild;
    QWidget* owner = child || definition.frame ? nullptr : display_.frameWidget();
    main_ = new QMainWindow(owner, child ? Qt::Widget : Qt::Window);
    main_->setFont(font_);
    main_->setAttribute(Qt::WA_DeleteOnClose, false);
    main_->installEventFilter(this);
    if (definition.frame) {
        area_ = new QMdiArea(main_);
        area_->setViewMode(QMdiArea::SubWindowView);
        area_->setBackground(QApplication::palette().brush(QPalette::Dark));
        main_->setCentralWidget(area_);
        surface_ = new QWidget(main_);
        surface_->hide();
    } else {
        surface_ = new QWidget(main_);
        main_->setCentralWidget(surface_);
    }
    surface_->setFont(font_);
    surface_->installEventFilter(this);
    if (!definition.icon.empty())
        main_->setWindowIcon(ImageLibrary::icon(definition.icon));
    if (!definition.statusZones.empty()) {
        QStatusBar* bar = main_->statusBar();
        bar->setSizeGripEnabled(definition.resizable);
        for (int width : definition.statusZones) {
            auto* zone = new QLabel(bar);
            zone->setFrameShape(QFrame::Panel);
            zone->setFrameShadow(QFrame::Sunken);
            zone->setTextFormat(Qt::PlainText);
            if (width < 0) {
                bar->addWidget(zone, 1);
            } else {
                zone->setFixedWidth(std::max(units_.x(width), 8));
                bar->addWidget(zone);
            }
            zones_.push_back(zone);
        }
    }
    if (frameArea_ && definition.mdiChild) {
        sub_ = frameArea_->addSubWindow(main_);
        sub_->setAttribute(Qt::WA_DeleteOnClose, false);
        sub_->installEventFilter(this);
        Qt::WindowFlags flags = Qt::SubWindow | Qt::WindowTitleHint;
        if (definition.systemMenu)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (definition.maximizeBox)
            flags |= Qt::WindowMaximizeButtonHint;
        if (definition.minimizeBox)
            flags |= Qt::WindowMinimizeButtonHint;
        sub_->setWindowFlags(flags);
        if (!definition.icon.empty()) {
            sub_->setWindowIcon(ImageLibrary::icon(definition.icon));
        } else {
            QPixmap none(16, 16);
            none.fill(Qt::transparent);
            sub_->setWindowIcon(QIcon(none));
        }
    } else if (!definition.frame) {
        // A window of its own stays over the frame (or the window it was opened from).
        main_->setWindowFlag(Qt::Dialog, true);
        if (definition.modal)
            main_->setWindowModality(Qt::ApplicationModal);
    }
    synchronizeControls();
}

QWidget* WindowView::containerFor(const Control& control) const {
    if (control.parent() == 0)
        return control.kind() == ControlKind::Menu ? static_cast<QWidget*>(main_->menuBar())
                                                   : surface_;
    const Control* parent = window_->control(control.parent());
    if (!parent)
        return surface_;
    if (parent->kind() == ControlKind::Menu) {
        ControlView* menu = controlView(parent->number());
        return menu && menu->menu() ? static_cast<QWidget*>(menu->menu()) : nullptr;
    }
    if (parent->kind() == ControlKind::Toolbar)
        return toolBar_;
    return surface_;
}

void WindowView::watch(ControlView& view) {
    for (QWidget* w : view.inputWidgets()) {
        if (!w || watched_.count(w))
            continue;
        watched_[w] = view.number();
        w->installEventFilter(this);
        connect(w, &QObject::destroyed, this, [this](QObject* gone) { watched_.erase(gone); });
    }
}

void WindowView::synchronizeControls() {
    std::vector<Control*> controls = window_->controls();
    // Controls destroyed (or made again under the same number) lose their view.
    for (auto it = controls_.begin(); it != controls_.end();) {
        auto found = std::find_if(controls.begin(), controls.end(), [&](const Control* c) {
            return c->number() == it->first && c == it->second->control();
        });
        if (found == controls.end()) {
            autoPlaced_.erase(it->first);
            it = controls_.erase(it);
        } else {
            ++it;
        }
    }
    bool added = false;
    for (Control* c : controls) {
        if (c->kind() == ControlKind::Toolbar && !toolBar_) {
            toolBar_ = main_->addToolBar(QString());
            toolBar_->setMovable(false);
            toolBar_->setIconSize(QSize(16, 16));
            toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
        }
        auto it = controls_.find(c->number());
        if (it == controls_.end()) {
            QWidget* container = containerFor(*c);
            if (!container && c->kind() != ControlKind::Toolbar)
                continue;
            auto view = std::make_unique<ControlView>(*this, *c, container);
            watch(*view);
            controls_.emplace(c->number(), std::move(view));
            added = true;
        } else if (it->second->revision() != c->revision()) {
            it->second->update(*c);
        } else {
            // Unchanged itself, but a tab, group or menu around it may have changed.
            it->second->applyState(window_->isVisible(c->number()),
                                   window_->isEnabled(c->number()));
        }
    }
    for (Control* c : controls)
        if (c->kind() == ControlKind::Toolbar && toolBar_)
            toolBar_->setVisible(window_->isVisible(c->number()));
    if (added) {
        // A prompt's mnemonic moves to the next control that takes typing.
        ControlView* prompt = nullptr;
        for (Control* c : controls) {
            ControlView* view = controlView(c->number());
            if (!view)
                continue;
            if (c->kind() == ControlKind::Prompt) {
                prompt = view;
            } else if (prompt && view->widget() &&
                       (isTypedInto(c->kind()) || c->kind() == ControlKind::List)) {
                prompt->setBuddy(view->widget());
                prompt = nullptr;
            }
        }
        autoPlaced_.clear();
    }
    placeControls();
}

QSize WindowView::defaultSize(const ControlView& view) const {
    const Control& c = *view.control();
    QFontMetrics metrics(FontResolver::resolve(c.font(), font_));
    QString caption = QString::fromStdString(MenuText::displayText(c.text()));
    int textWidth = metrics.horizontalAdvance(caption);
    int line = std::max(units_.y(10), metrics.height() + 2);
    int field = std::max(units_.y(12), metrics.height() + 8);
    auto pictureWidth = [&](int fallback) {
        auto picture = Picture::parse(c.picture());
        int chars = picture ? picture->width() : 0;
        return chars > 0 ? std::clamp(units_.x(chars * 4 + 8), units_.x(24), units_.x(240))
                         : units_.x(fallback);
    };
    switch (c.kind()) {
    case ControlKind::Label:
    case ControlKind::Prompt:
        return {textWidth + 4, line};
    case ControlKind::Display:
        return {std::max(pictureWidth(60), textWidth + 4), line};
    case ControlKind::Entry:
        return {pictureWidth(80), field};
    case ControlKind::Button: {
        int width = textWidth + 18 + (c.icon().empty() ? 0 : 22);
        return {std::max(width, units_.x(40)), std::max(units_.y(14), field + 2)};
    }
    case ControlKind::Check:
    case ControlKind::Radio:
        return {textWidth + 24, line + 2};
    case ControlKind::List:
        return {units_.x(240), units_.y(90)};
    case ControlKind::Combo:
    case ControlKind::DropList:
        return {pictureWidth(80), field + 2};
    case ControlKind::Spin:
        return {pictureWidth(50) + 20, field};
    case ControlKind::Text:
        return {units_.x(160), units_.y(40)};
    case ControlKind::Progress:
        return {units_.x(120), units_.y(8)};
    case ControlKind::Image: {
        QPixmap image = ImageLibrary::pixmap(c.image(), 24);
        return image.isNull() ? QSize(units_.x(32), units_.y(20)) : image.size();
    }
    case ControlKind::Line:
        return {units_.x(100), 2};
    case ControlKind::Box:
    case ControlKind::Ellipse:
    case ControlKind::Panel:
    case ControlKind::Region:
        return {units_.x(40), units_.y(24)};
    default:
        return {units_.x(60), line};
    }
}

QRect WindowView::placeOf(const ControlView& view) const {
    const Control& c = *view.control();
    const Rect& r = c.rect();
    auto automatic = autoPlaced_.find(c.number());
    if (r == Rect{} && automatic != autoPlaced_.end())
        return automatic->second;
    QSize size = defaultSize(view);
    return {units_.x(r.x), units_.y(r.y), r.width > 0 ? units_.x(r.width) : size.width(),
            r.height > 0 ? units_.y(r.height) : size.height()};
}

// Controls without a rectangle (windows written without positions, as tests do) flow
// down the window: a prompt and the control after it share a line, the controls of a
// group or option sit inside it, and the tabs of a sheet share the sheet's page.
void WindowView::placeControls() {
    std::vector<Control*> controls = window_->controls();
    if (autoPlaced_.empty()) {
        std::function<int(int, int, int)> flow = [&](int parent, int left, int top) {
            int y = top;
            int promptRight = -1;
            int lineBottom = top;
            for (Control* c : controls) {
                if (c->parent() != parent)
                    continue;
                ControlView* view = controlView(c->number());
                if (c->kind() == ControlKind::Tab) {
                    lineBottom = std::max(lineBottom, flow(c->number(), left, top));
                    continue;
                }
                if (!view || !view->isOnSurface())
                    continue;
                bool automatic = c->rect() == Rect{};
                QSize size = defaultSize(*view);
                if (!automatic) {
                    QRect placed = placeOf(*view);
                    lineBottom = std::max(lineBottom, placed.bottom() + 1);
                    continue;
                }
                int x = left;
                if (promptRight >= 0 && c->kind() != ControlKind::Prompt) {
                    x = std::max(promptRight + units_.x(4), left + units_.x(promptColumn));
                } else {
                    y = lineBottom + (y == top && lineBottom == top ? 0 : units_.y(lineGap));
                }
                QRect place(x, y, size.width(), size.height());
                bool container = c->kind() == ControlKind::Group ||
                                 c->kind() == ControlKind::Option ||
                                 c->kind() == ControlKind::Sheet;
                if (container) {
                    int inner = c->kind() == ControlKind::Sheet ? units_.y(16) : units_.y(12);
                    int bottom = flow(c->number(), x + units_.x(8), y + inner);
                    int right = x + units_.x(120);
                    for (Control* child : controls)
                        if (autoPlaced_.count(child->number()) &&
                            (child->parent() == c->number() ||
                             (window_->control(child->parent()) &&
                              window_->control(child->parent())->parent() == c->number())))
                            right =
                                std::max(right, autoPlaced_[child->number()].right() + units_.x(8));
                    place = QRect(x, y, right - x, bottom - y + units_.y(6));
                }
                autoPlaced_[c->number()] = place;
                promptRight = c->kind() == ControlKind::Prompt ? place.right() : -1;
                lineBottom = std::max(lineBottom, place.bottom() + 1);
            }
            return lineBottom;
        };
        flow(0, units_.x(margin), units_.y(margin));
    }
    for (auto& [number, view] : controls_) {
        if (!view->isOnSurface())
            continue;
        view->place(placeOf(*view));
    }
    placeEditors();
}

// A list's column editor lies over the selected row's cell of its column.
void WindowView::placeEditors() {
    for (Control* c : window_->controls()) {
        if (c->kind() != ControlKind::List)
            continue;
        ControlView* listView = controlView(c->number());
        if (!listView || !listView->list() || !c->format())
            continue;
        for (int column = 1; column <= c->format()->columnCount(); ++column) {
            int editor = c->columnEditor(column);
            ControlView* editorView = editor ? controlView(editor) : nullptr;
            if (!editorView || !editorView->widget())
                continue;
            QRect cell = listView->list()->cellRect(c->selectedRow(), column);
            if (cell.isEmpty())
                continue;
            // A narrow column's editor (a drop list's text beside its arrow) widens to what
            // it needs to show its value, over the next cell, rather than cutting the value.
            int needed = editorView->widget()->minimumSizeHint().width();
            if (needed > cell.width())
                cell.setWidth(needed);
            editorView->place(cell);
            editorView->widget()->raise();
        }
    }
}

QSize WindowView::clientSize() const {
    const Rect& r = window_->rect();
    QSize size(units_.x(r.width), units_.y(r.height));
    if (r.width > 0 && r.height > 0)
        return size;
    int right = 0, bottom = 0;
    for (const auto& [number, view] : controls_) {
        if (!view->isOnSurface() || !view->widget())
            continue;
        QRect placed = view->placed();
        right = std::max(right, placed.right() + 1);
        bottom = std::max(bottom, placed.bottom() + 1);
    }
    if (r.width <= 0)
        size.setWidth(std::max(right + units_.x(margin), units_.x(120)));
    if (r.height <= 0)
        size.setHeight(std::max(bottom + units_.y(margin), units_.y(40)));
    return size;
}

void WindowView::followSurfaceSize() {
    if (!window_->isOpen() || !shown_ || synchronizing_ || outer()->isMinimized())
        return;
    int width = units_.unitsX(surface_->width());
    int height = units_.unitsY(surface_->height());
    if (width == window_->rect().width && height == window_->rect().height)
        return;
    appliedOuterSize_ = outer()->size();
    if (input().resize(*window_, width, height))
        inputDone();
}

void WindowView::applyGeometry() {
    const WindowDefinition& definition = window_->definition();
    if (shown_ && outer()->isMaximized()) {
        // A maximised window keeps the size it was given; the program's size is the
        // one it will have when restored.
        return;
    }
    applyingGeometry_ = true;
    const Rect& r = window_->rect();
    if (definition.frame) {
        QSize size = r.width > 0 && r.height > 0 ? units_.size(r.width, r.height) : QSize(960, 640);
        main_->resize(size);
        if (!shown_) {
            if (QScreen* screen = QGuiApplication::primaryScreen())
                main_->move(screen->availableGeometry().center() -
                            QPoint(size.width() / 2, size.height() / 2));
        }
        applyingGeometry_ = false;
        return;
    }
    QSize client = clientSize();
    int extra = 0;
    if (main_->menuWidget() && !main_->menuBar()->actions().isEmpty())
        extra += main_->menuBar()->sizeHint().height();
    else if (main_->menuWidget())
        main_->menuWidget()->hide();
    if (toolBar_)
        extra += toolBar_->sizeHint().height();
    if (!zones_.empty())
        extra += main_->statusBar()->sizeHint().height();
    QSize outerSize(client.width(), client.height() + extra);
    surface_->setMinimumSize(definition.resizable ? QSize(0, 0) : client);
    if (sub_) {
        int frame = sub_->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub_);
        int title = sub_->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub_);
        main_->resize(outerSize);
        sub_->resize(outerSize.width() + 2 * frame, outerSize.height() + title + frame);
        sub_->move(units_.x(r.x), units_.y(r.y));
    } else {
        main_->resize(outerSize);
        if (!definition.resizable)
            main_->setFixedSize(outerSize);
        QWidget* frame = display_.frameWidget();
        QRect around = frame ? frame->geometry()
                             : (QGuiApplication::primaryScreen()
                                    ? QGuiApplication::primaryScreen()->availableGeometry()
                                    : QRect(0, 0, 1024, 768));
        QPoint at = definition.centered || (r.x == 0 && r.y == 0)
                        ? around.center() - QPoint(outerSize.width() / 2, outerSize.height() / 2)
                        : around.topLeft() + QPoint(units_.x(r.x), units_.y(r.y));
        main_->move(at);
    }
    appliedOuterSize_ = outer()->size();
    applyingGeometry_ = false;
}

void WindowView::synchronizeWindow() {
    const Rect& r = window_->rect();
    if (!(r == appliedRect_)) {
        appliedRect_ = r;
        applyGeometry();
    }
    if (window_->title() != appliedTitle_) {
        appliedTitle_ = window_->title();
        QString title = QString::fromStdString(appliedTitle_);
        main_->setWindowTitle(title);
        if (sub_)
            sub_->setWindowTitle(title);
    }
    QWidget* outerWidget = outer();
    if (!shown_) {
        applyingGeometry_ = true;
        outerWidget->show();
        appliedMaximized_ = window_->isMaximized();
        if (appliedMaximized_)
            outerWidget->showMaximized();
        appliedOuterSize_ = outerWidget->size();
        applyingGeometry_ = false;
        shown_ = true;
        // Maximised as it opens: the size it fills is told once the display is done, as
        // for a window maximised later.
        if (appliedMaximized_)
            QTimer::singleShot(0, this, [this] { followSurfaceSize(); });
    }
    if (window_->isMaximized() != appliedMaximized_) {
        appliedMaximized_ = window_->isMaximized();
        appliedMaximized_ ? outerWidget->showMaximized() : outerWidget->showNormal();
        QTimer::singleShot(0, this, [this] { followSurfaceSize(); });
    }
    if (window_->isIconized() != appliedIconized_) {
        appliedIconized_ = window_->isIconized();
        appliedIconized_ ? outerWidget->showMinimized() : outerWidget->showNormal();
    }
    if (window_->isHidden() != appliedHidden_) {
        appliedHidden_ = window_->isHidden();
        outerWidget->setVisible(!appliedHidden_);
    }
}

void WindowView::synchronizeStatus() {
    for (std::size_t i = 0; i < zones_.size(); ++i) {
        QString text = QString::fromStdString(window_->statusText(static_cast<int>(i) + 1));
        if (zones_[i]->text() != text)
            zones_[i]->setText(text);
    }
}

void WindowView::synchronize() {
    synchronizing_ = true;
    if (window_->revision() != revision_) {
        revision_ = window_->revision();
        synchronizeControls();
        synchronizeWindow();
        synchronizeStatus();
    } else {
        // Lists show their queues, which change without the window knowing.
        for (auto& [number, view] : controls_)
            if (view->list())
                view->update(*view->control());
    }
    synchronizing_ = false;
}

void WindowView::setBlocked(bool blocked) {
    blocked_ = blocked;
}

void WindowView::applyFocus() {
    int focus = window_->focus();
    ControlView* view = controlView(focus);
    if (focus == appliedFocus_ && view && view->widget() && view->widget()->hasFocus())
        return;
    appliedFocus_ = focus;
    synchronizing_ = true;
    if (view)
        view->takeFocus();
    else
        surface_->setFocus(Qt::OtherFocusReason);
    synchronizing_ = false;
}

void WindowView::standardAction(const std::string& action) {
    QMdiArea* area = display_.frameArea();
    if (action == "tile" && area)
        area->tileSubWindows();
    else if (action == "cascade" && area)
        area->cascadeSubWindows();
    else if (action == "arrange" && area)
        area->tileSubWindows();
    else if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
        if (action == "cut")
            edit->cut();
        else if (action == "copy")
            edit->copy();
        else if (action == "paste")
            edit->paste();
    }
}

bool WindowView::handleKey(QKeyEvent* event) {
    int code = KeyTranslator::keyCode(*event);
    if (code == 0)
        return false;
    Window& w = *window_;
    const Control* focused = w.control(w.focus());
    bool alerted = (focused && focused->isAlerted(code)) || w.isAlerted(0, code);
    auto press = [&] {
        input().pressKey(w, code);
        inputDone();
        return true;
    };
    if (alerted)
        return press();
    if (code == KeyCode::Tab || code == KeyCode::ShiftTab || code == KeyCode::Esc)
        return press();
    if (code == KeyCode::Enter)
        return focused && focused->kind() == ControlKind::Text ? false : press();
    if (!focused)
        return false;
    switch (focused->kind()) {
    case ControlKind::List:
        return press(); // the runtime moves the selection (or gets scroll events)
    case ControlKind::DropList:
        if (code == KeyCode::Alt + KeyCode::Down || code == KeyCode::F1 + 3)
            return false; // Qt drops the list (reported as DroppingDown)
        return isNavigationKey(code) ? press() : false;
    case ControlKind::Spin:
        if (code == KeyCode::Up || code == KeyCode::Down) {
            input().spin(w, focused->number(), code == KeyCode::Up ? 1 : -1);
            inputDone();
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool WindowView::eventFilter(QObject* watched, QEvent* event) {
    if (closing_ || display_.isPassive())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto it = watched_.find(watched);
        if (it != watched_.end())
            return handleKey(static_cast<QKeyEvent*>(event));
        if (watched != surface_ && watched != main_ && watched != sub_)
            break;
        // A key the focused control let through climbs its parents: the window takes it
        // only when the focus is its own and no control of it had the key already.
        QWidget* focus = QApplication::focusWidget();
        if (focus && (watched_.count(focus) || display_.viewOwning(focus) != this))
            break;
        return handleKey(static_cast<QKeyEvent*>(event));
    }
    case QEvent::MouseButtonPress: {
        auto it = watched_.find(watched);
        if (it == watched_.end())
            break;
        ControlView* view = controlView(it->second);
        if (view && isTypedInto(view->kind()) && window_->focus() != it->second) {
            input().focus(*window_, it->second);
            inputDone();
        }
        break;
    }
    case QEvent::FocusIn: {
        auto* focus = static_cast<QFocusEvent*>(event);
        auto it = watched_.find(watched);
        if (it != watched_.end() && focus->reason() == Qt::ShortcutFocusReason && !synchronizing_ &&
            window_->focus() != it->second) {
            input().focus(*window_, it->second);
            inputDone();
        }
        break;
    }
    case QEvent::Close:
        if ((watched == sub_ || (watched == main_ && !sub_)) && window_->isOpen()) {
            event->ignore();
            input().close(*window_);
            inputDone();
            return true;
        }
        break;
    case QEvent::Resize:
        // The user's sizing changes the outer window away from the size last applied;
        // the surface follows through the layouts, and its size is what is reported.
        if (watched == surface_ && shown_ && !applyingGeometry_ && !synchronizing_ &&
            outer()->size() != appliedOuterSize_ && window_->definition().resizable) {
            appliedOuterSize_ = outer()->size();
            QSize size = surface_->size();
            int width = units_.unitsX(size.width());
            int height = units_.unitsY(size.height());
            if (width != window_->rect().width || height != window_->rect().height) {
                input().resize(*window_, width, height);
                inputDone();
            }
        } else if (watched == surface_ && shown_ && window_->definition().resizable &&
                   outer()->isMaximized()) {
            // Maximised by the program (or while the screen was brought in line with the
            // window): the new size is told once the display is done.
            QTimer::singleShot(0, this, [this] { followSurfaceSize(); });
        }
        break;
    case QEvent::WindowStateChange:
        if ((watched == sub_ || (watched == main_ && !sub_)) && !synchronizing_ &&
            !applyingGeometry_) {
            QWidget* w = outer();
            if (w->isMaximized() && !window_->isMaximized())
                input().maximize(*window_);
            else if (w->isMinimized() && !window_->isIconized())
                input().iconize(*window_);
            else if (!w->isMaximized() && !w->isMinimized() &&
                     (window_->isMaximized() || window_->isIconized()))
                input().restore(*window_);
            else
                break;
            appliedMaximized_ = w->isMaximized();
            appliedIconized_ = w->isMinimized();
            inputDone();
        }
        break;
    case QEvent::WindowActivate:
        if (watched == main_ && !sub_ && !window_->definition().frame && !synchronizing_ &&
            display_.desktop().activeWindow() != window_) {
            input().activate(*window_);
            inputDone();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace host::qt
