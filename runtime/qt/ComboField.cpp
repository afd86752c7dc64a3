#include "runtime/qt/ComboField.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace host::qt {

ComboField::ComboField(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    edit_ = new QLineEdit(this);
    button_ = new QToolButton(this);
    button_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(edit_, 1);
    layout->addWidget(button_);
    setFocusProxy(edit_);
    setFocusPolicy(Qt::TabFocus);
    edit_->setFocusPolicy(Qt::TabFocus);
    setEllipsis(true);
    connect(edit_, &QLineEdit::textEdited, this, &ComboField::edited);
    connect(button_, &QToolButton::clicked, this, &ComboField::buttonPressed);
}

void ComboField::setText(const QString& text) {
    if (edit_->text() == text)
        return;
    int cursor = edit_->cursorPosition();
    edit_->setText(text);
    edit_->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
}

void ComboField::setEllipsis(bool ellipsis) {
    if (ellipsis) {
        button_->setArrowType(Qt::NoArrow);
        button_->setText(QStringLiteral("..."));
    } else {
        button_->setText(QString());
        button_->setArrowType(Qt::DownArrow);
    }
}

void ComboField::setReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
}

} // namespace host::qt
