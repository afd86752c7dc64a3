#include "runtime/qt/ControlView.h"

#include "runtime/pictures/Picture.h"
#include "runtime/qt/ComboField.h"
#include "runtime/qt/DropList.h"
#include "runtime/qt/FontResolver.h"
#include "runtime/qt/ImageLibrary.h"
#include "runtime/qt/ImageView.h"
#include "runtime/qt/KeyTranslator.h"
#include "runtime/qt/ListModel.h"
#include "runtime/qt/ListView.h"
#include "runtime/qt/PagePainter.h"
#include "runtime/qt/ShapeWidget.h"
#include "runtime/qt/SpinBox.h"
#include "runtime/qt/WindowView.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/MenuText.h"
#include "runtime/ui/SpinValue.h"
#include "runtime/ui/UserInput.h"
#include "runtime/ui/Window.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace host::qt {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

bool isNumericPicture(const std::string& picture) {
    auto p = Picture::parse(picture);
    return p && p->alignment() == Picture::Alignment::Right;
}

template <class W> W* as(QWidget* widget) {
    return qobject_cast<W*>(widget);
}

void setLineText(QLineEdit* edit, const QString& value) {
    if (edit->text() == value)
        return;
    int cursor = edit->cursorPosition();
    edit->setText(value);
    edit->setCursorPosition(std::min(cursor, static_cast<int>(value.size())));
}

} // namespace

ControlView::ControlView(WindowView& owner, const Control& control, QWidget* container)
    : QObject(&owner), owner_(owner), control_(&control), number_(control.number()),
      kind_(control.kind()) {
    create(container);
    connectInput();
    update(control);
}

ControlView::~ControlView() {
    delete action_;
    if (menu_ && !widget_)
        delete menu_;
    delete widget_;
}

ListView* ControlView::list() const {
    return qobject_cast<ListView*>(widget_.data());
}

QList<QWidget*> ControlView::inputWidgets() const {
    QList<QWidget*> widgets;
    if (!widget_)
        return widgets;
    widgets << widget_;
    if (auto* spin = as<SpinBox>(widget_))
        widgets << spin->findChild<QLineEdit*>();
    if (auto* combo = as<ComboField>(widget_))
        widgets << combo->lineEdit();
    if (auto* list = as<ListView>(widget_))
        widgets << list->viewport();
    if (auto* text = as<QPlainTextEdit>(widget_))
        widgets << text->viewport();
    if (auto* tabs = as<QTabWidget>(widget_))
        widgets << tabs->tabBar();
    return widgets;
}

void ControlView::create(QWidget* container) {
    const Control& c = *control_;
    auto* menuBar = qobject_cast<QMenuBar*>(container);
    auto* parentMenu = qobject_cast<QMenu*>(container);
    auto* toolBar = qobject_cast<QToolBar*>(container);
    switch (kind_) {
    case ControlKind::Menu:
        if (menuBar)
            menu_ = menuBar->addMenu(text(c.text()));
        else if (parentMenu)
            menu_ = parentMenu->addMenu(text(c.text()));
        return; // the menu owns its action
    case ControlKind::Item:
        if (!parentMenu && !menuBar)
            return;
        if (c.isSeparator()) {
            action_ = parentMenu ? parentMenu->addSeparator() : menuBar->addSeparator();
            return;
        }
        action_ = new QAction(text(c.text()), container);
        container->addAction(action_);
        return;
    case ControlKind::Toolbar:
        return; // the window's toolbar itself
    default:
        break;
    }
    if (toolBar && kind_ == ControlKind::Button) {
        action_ = new QAction(toolBar);
        toolBar->addAction(action_);
        return;
    }
    QWidget* parent = toolBar ? static_cast<QWidget*>(toolBar) : container;
    switch (kind_) {
    case ControlKind::Label:
    case ControlKind::Prompt:
    case ControlKind::Display: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        widget_ = label;
        break;
    }
    case ControlKind::Image:
        widget_ = new ImageView(parent);
        break;
    case ControlKind::Region:
        widget_ = new ShapeWidget(ShapeWidget::Shape::Region, parent);
        break;
    case ControlKind::Line:
        widget_ = new ShapeWidget(ShapeWidget::Shape::Line, parent);
        break;
    case ControlKind::Box:
        widget_ = new ShapeWidget(ShapeWidget::Shape::Box, parent);
        break;
    case ControlKind::Ellipse:
        widget_ = new ShapeWidget(ShapeWidget::Shape::Ellipse, parent);
        break;
    case ControlKind::Panel:
        widget_ = new ShapeWidget(ShapeWidget::Shape::Panel, parent);
        break;
    case ControlKind::Entry:
        widget_ = new QLineEdit(parent);
        break;
    case ControlKind::Button: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        widget_ = button;
        break;
    }
    case ControlKind::Option:
    case ControlKind::Group:
        widget_ = new QGroupBox(parent);
        break;
    case ControlKind::Check:
        widget_ = new QCheckBox(parent);
        break;
    case ControlKind::Radio:
        widget_ = new QRadioButton(parent);
        // Radio buttons of one option are grouped by the runtime, not by Qt.
        as<QRadioButton>(widget_)->setAutoExclusive(false);
        break;
    case ControlKind::List:
        widget_ = new ListView(c, owner_.units(), parent);
        break;
    case ControlKind::Combo:
        widget_ = new ComboField(parent);
        break;
    case ControlKind::Spin:
        widget_ = new SpinBox(parent);
        break;
    case ControlKind::Text: {
        auto* edit = new QPlainTextEdit(parent);
        edit->setTabChangesFocus(true);
        widget_ = edit;
        break;
    }
    case ControlKind::Progress:
        widget_ = new QProgressBar(parent);
        as<QProgressBar>(widget_)->setTextVisible(false);
        break;
    case ControlKind::DropList:
        widget_ = new DropList(parent);
        break;
    case ControlKind::Sheet: {
        auto* tabs = new QTabWidget(parent);
        tabs->setFocusPolicy(Qt::TabFocus);
        tabs->tabBar()->setFocusPolicy(Qt::TabFocus);
        widget_ = tabs;
        break;
    }
    default:
        return; // tabs are drawn by their sheet
    }
    onSurface_ = !toolBar;
    if (toolBar)
        toolBar->addWidget(widget_);
    for (QWidget* w : inputWidgets())
        if (w->focusPolicy() != Qt::NoFocus)
            w->setFocusPolicy(Qt::TabFocus);
    widget_->show();
}

void ControlView::pressed() {
    if (owner_.isSynchronizing())
        return;
    owner_.input().press(owner_.window(), number_);
    // A check box or radio button shows what the runtime decided, not Qt's own toggle.
    if (auto* button = qobject_cast<QAbstractButton*>(widget_.data()))
        if (button->isCheckable()) {
            QSignalBlocker block(button);
            button->setChecked(control_->isChecked());
        }
    owner_.inputDone();
}

void ControlView::connectInput() {
    WindowView* owner = &owner_;
    int number = number_;
    auto typed = [owner, number](const QString& value, int caret) {
        if (owner->isSynchronizing())
            return;
        owner->input().type(owner->window(), number, value.toStdString(), false, caret);
        owner->inputDone();
    };
    if (action_ && kind_ != ControlKind::Menu && !action_->isSeparator()) {
        connect(action_, &QAction::triggered, this, [this] {
            if (owner_.isSynchronizing())
                return;
            std::string standard = control_->standardAction();
            owner_.input().press(owner_.window(), number_);
            owner_.inputDone();
            if (!standard.empty())
                owner_.standardAction(standard);
        });
    }
    if (!widget_)
        return;
    if (auto* button = as<QAbstractButton>(widget_))
        connect(button, &QAbstractButton::clicked, this, &ControlView::pressed);
    if (auto* edit = as<QLineEdit>(widget_))
        connect(edit, &QLineEdit::textEdited, this, [typed, edit](const QString& value) {
            typed(value,
                  static_cast<int>(value.left(edit->cursorPosition()).toStdString().size()) + 1);
        });
    if (auto* text = as<QPlainTextEdit>(widget_))
        connect(text, &QPlainTextEdit::textChanged, this,
                [typed, text] { typed(text->toPlainText(), 0); });
    if (auto* spin = as<SpinBox>(widget_)) {
        connect(spin, &SpinBox::edited, this, [typed](const QString& value) { typed(value, 0); });
        connect(spin, &SpinBox::stepped, this, [owner, number](int steps) {
            if (owner->isSynchronizing())
                return;
            owner->input().spin(owner->window(), number, steps);
            owner->inputDone();
        });
    }
    if (auto* combo = as<ComboField>(widget_)) {
        connect(combo, &ComboField::edited, this,
                [typed](const QString& value) { typed(value, 0); });
        connect(combo, &ComboField::buttonPressed, this, [this] {
            if (owner_.isSynchronizing())
                return;
            owner_.input().pressDropButton(owner_.window(), number_);
            owner_.inputDone();
            if (control_->dropCount() > 0)
                showChoices();
        });
    }
    if (auto* drop = as<DropList>(widget_)) {
        connect(drop, &DropList::droppingDown, this, [owner, number] {
            if (owner->isSynchronizing())
                return;
            owner->input().pressDropButton(owner->window(), number);
            owner->inputDone();
        });
        connect(drop, &QComboBox::activated, this, [owner, number](int index) {
            if (owner->isSynchronizing())
                return;
            owner->input().chooseItem(owner->window(), number, index + 1);
            owner->inputDone();
        });
    }
    if (auto* list = as<ListView>(widget_)) {
        connect(list, &ListView::rowClicked, this, [owner, number](int row, int column, int key) {
            if (owner->isSynchronizing())
                return;
            owner->input().clickList(owner->window(), number, row, column, key);
            owner->inputDone();
        });
        connect(list, &ListView::scrolled, this, [owner, number](EventKind kind) {
            if (owner->isSynchronizing())
                return;
            owner->input().scroll(owner->window(), number, kind);
            owner->inputDone();
        });
        connect(list, &ListView::cellsMoved, owner, &WindowView::placeEditors,
                Qt::QueuedConnection);
        connect(list, &ListView::thumbDragged, this, [owner, number](int position) {
            if (owner->isSynchronizing())
                return;
            owner->input().dragThumb(owner->window(), number, position);
            owner->inputDone();
        });
    }
    if (auto* image = as<ImageView>(widget_)) {
        connect(image, &ImageView::clicked, this, [owner, number](int x, int y, int key) {
            if (owner->isSynchronizing())
                return;
            const Units& units = owner->units();
            owner->input().clickImage(owner->window(), number, units.unitsX(x), units.unitsY(y),
                                      key);
            owner->inputDone();
        });
        connect(image, &ImageView::scrolledByUser, this, [owner, number](int across, int down) {
            if (owner->isSynchronizing())
                return;
            owner->input().scrollImage(owner->window(), number, across, down);
        });
    }
    if (auto* tabs = as<QTabWidget>(widget_)) {
        connect(tabs, &QTabWidget::tabBarClicked, this, [owner, number](int index) {
            if (owner->isSynchronizing() || index < 0)
                return;
            owner->input().chooseTab(owner->window(), number, index + 1);
            owner->inputDone();
        });
    }
}

void ControlView::showChoices() {
    auto* combo = as<ComboField>(widget_);
    if (!combo)
        return;
    // Shown without a nested event loop: the logical threads keep running meanwhile.
    auto* menu = new QMenu(combo);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QStringList items = rowTexts(*control_);
    for (int i = 0; i < items.size(); ++i)
        menu->addAction(items[i])->setData(i + 1);
    WindowView* owner = &owner_;
    int number = number_;
    connect(menu, &QMenu::triggered, this, [owner, number](QAction* chosen) {
        owner->input().chooseItem(owner->window(), number, chosen->data().toInt());
        owner->inputDone();
    });
    menu->popup(combo->mapToGlobal(QPoint(0, combo->height())));
}

QStringList ControlView::rowTexts(const Control& c) const {
    QStringList items;
    std::size_t rows = c.rowCount();
    for (std::size_t row = 1; row <= rows; ++row) {
        auto cells = c.formattedRow(row);
        items << (cells.empty() ? QString() : text(cells[0].text));
    }
    return items;
}

void ControlView::update(const Control& control) {
    control_ = &control;
    revision_ = control.revision();
    Window& window = owner_.window();
    bool visible = window.isVisible(number_);
    bool enabled = window.isEnabled(number_);
    if (kind_ == ControlKind::Menu && menu_) {
        menu_->setTitle(text(control.text()));
        menu_->menuAction()->setVisible(visible);
        menu_->menuAction()->setEnabled(enabled);
        menu_->menuAction()->setStatusTip(text(control.statusText()));
        return;
    }
    if (action_) {
        if (!action_->isSeparator()) {
            action_->setText(text(control.text()));
            action_->setStatusTip(text(control.statusText()));
            QString tip = text(control.tip());
            if (tip.isEmpty())
                tip = text(MenuText::displayText(control.text()));
            action_->setToolTip(tip);
            if (!control.icon().empty())
                action_->setIcon(ImageLibrary::icon(control.icon()));
            if (control.isChecked())
                action_->setCheckable(true);
            if (action_->isCheckable())
                action_->setChecked(control.isChecked());
            if (!control.keyName().empty())
                action_->setShortcut(KeyTranslator::sequence(control.keyName()));
        }
        action_->setVisible(visible);
        action_->setEnabled(enabled);
        return;
    }
    if (!widget_)
        return;
    updateWidget(control);
    applyState(visible, enabled);
    widget_->setToolTip(text(control.tip()));
    QFont font = FontResolver::resolve(control.font(), owner_.windowFont());
    if (widget_->font() != font)
        widget_->setFont(font);
    // On the toolbar a field is as wide as its rectangle says (a spin box would shrink to
    // its arrows, a combo stretch over the whole bar).
    if (!onSurface_ && control.rect().width > 0) {
        int width = owner_.units().x(control.rect().width);
        if (widget_->minimumWidth() != width || widget_->maximumWidth() != width)
            widget_->setFixedWidth(width);
    }
}

void ControlView::applyState(bool visible, bool enabled) {
    if (menu_ && kind_ == ControlKind::Menu) {
        menu_->menuAction()->setVisible(visible);
        menu_->menuAction()->setEnabled(enabled);
        return;
    }
    if (action_) {
        action_->setVisible(visible);
        action_->setEnabled(enabled);
        return;
    }
    if (!widget_)
        return;
    if (onSurface_) {
        auto* list = as<ListView>(widget_);
        if (list && list->isVisibleTo(list->parentWidget()) != visible)
            list->setVisibleTo(visible);
        else if (!list && widget_->isVisibleTo(widget_->parentWidget()) != visible)
            widget_->setVisible(visible);
    }
    if (widget_->isEnabled() != enabled)
        widget_->setEnabled(enabled);
}

void ControlView::applyImage(const Control& control) {
    auto* view = as<ImageView>(widget_);
    view->setScrollBars(control.hasHScroll(), control.hasVScroll());
    // The picture is drawn at the control's size unless the program gave it a size of
    // its own; a larger one scrolls inside the control.
    const Units& units = owner_.units();
    QSize box(control.drawnWidth() > 0 ? units.x(control.drawnWidth()) : placed_.width(),
              control.drawnHeight() > 0 ? units.y(control.drawnHeight()) : placed_.height());
    if (control.image() != shownImage_ || box != shownImageSize_) {
        shownImage_ = control.image();
        shownImageSize_ = box;
        // A report's page file is drawn at the size asked for, as the preview shows it.
        if (PageFile::isPageFile(control.image())) {
            if (box.width() > 0 && box.height() > 0)
                view->setPicture(PagePainter::render(control.image(), box.width(), box.height()));
            else
                view->clearPicture();
        } else {
            QPixmap image = ImageLibrary::pixmap(control.image(), 24);
            if (!image.isNull() && box.width() > 0 && box.height() > 0 &&
                (image.width() > box.width() || image.height() > box.height()))
                image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            view->setPicture(image);
        }
    }
    view->scrollTo(control.scrollX(), control.scrollY());
}

void ControlView::updateWidget(const Control& control) {
    QString caption = text(control.text());
    QString contents = text(control.contents());
    switch (kind_) {
    case ControlKind::Label:
    case ControlKind::Prompt: {
        // "&" marks the mnemonic of a prompt: underlined, and Alt with the letter moves
        // to the control the prompt stands before. Other texts show without the marks.
        auto* label = as<QLabel>(widget_);
        label->setText(label->buddy() ? caption : text(MenuText::displayText(control.text())));
        break;
    }
    case ControlKind::Display: {
        auto* label = as<QLabel>(widget_);
        label->setText(contents.isEmpty() && !control.use() ? caption : contents);
        label->setAlignment((isNumericPicture(control.picture()) ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignVCenter);
        break;
    }
    case ControlKind::Image:
        applyImage(control);
        break;
    case ControlKind::Line:
    case ControlKind::Box:
        if (auto* shape = as<ShapeWidget>(widget_))
            shape->setColours(control.colour(), control.fillColour());
        break;
    case ControlKind::Entry: {
        auto* edit = as<QLineEdit>(widget_);
        setLineText(edit, contents);
        if (control.caretMark() != caretMark_) {
            // The program placed the caret: it stands there, the text after it marked so
            // that typing on replaces it.
            caretMark_ = control.caretMark();
            int caret = std::min(control.caret() - 1, static_cast<int>(contents.size()));
            edit->setSelection(static_cast<int>(contents.size()),
                               caret - static_cast<int>(contents.size()));
        }
        edit->setReadOnly(control.isReadOnly());
        edit->setEchoMode(control.flags().password ? QLineEdit::Password : QLineEdit::Normal);
        edit->setAlignment(isNumericPicture(control.picture()) ? Qt::AlignRight : Qt::AlignLeft);
        break;
    }
    case ControlKind::Button: {
        auto* button = as<QPushButton>(widget_);
        button->setText(caption);
        button->setIcon(control.icon().empty() ? QIcon() : ImageLibrary::icon(control.icon()));
        button->setDefault(control.flags().isDefault);
        break;
    }
    case ControlKind::Option:
    case ControlKind::Group:
        as<QGroupBox>(widget_)->setTitle(caption);
        break;
    case ControlKind::Check:
    case ControlKind::Radio: {
        auto* button = as<QAbstractButton>(widget_);
        button->setText(caption);
        button->setCheckable(true);
        button->setChecked(control.isChecked());
        break;
    }
    case ControlKind::List: {
        auto* list = as<ListView>(widget_);
        if (control.listIcons() != shownIcons_) {
            shownIcons_ = control.listIcons();
            std::map<int, QIcon> icons;
            for (const auto& [number, name] : shownIcons_)
                icons[number] = ImageLibrary::icon(name);
            list->listModel().setIcons(std::move(icons));
        }
        list->synchronize(control);
        break;
    }
    case ControlKind::Combo: {
        auto* combo = as<ComboField>(widget_);
        combo->setText(contents);
        combo->setEllipsis(control.dropCount() == 0);
        combo->setReadOnly(control.isReadOnly());
        break;
    }
    case ControlKind::Spin: {
        auto* spin = as<SpinBox>(widget_);
        spin->setText(contents);
        spin->setReadOnly(control.isReadOnly());
        // At an end of the range its arrow greys; text that is no number counts from the
        // low end, so both arrows work on it.
        auto value = spinShownValue(control);
        spin->setStepsEnabled(!value || *value < control.rangeHigh(),
                              !value || *value > control.rangeLow());
        spin->setAlignment(Qt::AlignRight);
        break;
    }
    case ControlKind::Text: {
        auto* edit = as<QPlainTextEdit>(widget_);
        if (edit->toPlainText() != contents)
            edit->setPlainText(contents);
        edit->setReadOnly(control.isReadOnly());
        break;
    }
    case ControlKind::Progress: {
        auto* bar = as<QProgressBar>(widget_);
        long long low = control.rangeLow().toInteger(), high = control.rangeHigh().toInteger();
        bar->setRange(static_cast<int>(low), static_cast<int>(high));
        bar->setValue(static_cast<int>(std::clamp(control.progress(), low, std::max(low, high))));
        break;
    }
    case ControlKind::DropList:
        as<DropList>(widget_)->setItems(rowTexts(control), control.selectedRow(),
                                        control.dropCount());
        break;
    case ControlKind::Sheet: {
        auto* tabs = as<QTabWidget>(widget_);
        QStringList titles = owner_.tabTitles(number_);
        QSignalBlocker block(tabs);
        while (tabs->count() > titles.size())
            delete tabs->widget(tabs->count() - 1);
        for (int i = 0; i < titles.size(); ++i) {
            if (i >= tabs->count())
                tabs->addTab(new QWidget(tabs), titles[i]);
            else
                tabs->setTabText(i, titles[i]);
        }
        int selected = control.selectedRow();
        tabs->setCurrentIndex(selected >= 1 && selected <= titles.size() ? selected - 1 : 0);
        break;
    }
    default:
        break;
    }
}

void ControlView::place(const QRect& rect) {
    placed_ = rect;
    if (!widget_ || !onSurface_)
        return;
    if (auto* list = as<ListView>(widget_)) {
        list->place(rect);
        return;
    }
    if (widget_->geometry() != rect)
        widget_->setGeometry(rect);
    if (kind_ == ControlKind::Image)
        applyImage(*control_);
}

void ControlView::setBuddy(QWidget* buddy) {
    auto* label = as<QLabel>(widget_);
    if (!label || label->buddy() == buddy)
        return;
    label->setBuddy(buddy);
    updateWidget(*control_);
}

void ControlView::takeFocus() {
    if (auto* combo = as<ComboField>(widget_))
        combo->lineEdit()->setFocus(Qt::OtherFocusReason);
    else if (auto* tabs = as<QTabWidget>(widget_))
        tabs->tabBar()->setFocus(Qt::OtherFocusReason);
    else if (widget_)
        widget_->setFocus(Qt::OtherFocusReason);
    // Arriving in a field selects its text, so that typing replaces it.
    if (auto* edit = as<QLineEdit>(widget_))
        edit->selectAll();
    else if (auto* spin = as<SpinBox>(widget_))
        spin->selectAll();
    else if (auto* combo = as<ComboField>(widget_))
        combo->lineEdit()->selectAll();
}

} // namespace host::qt
