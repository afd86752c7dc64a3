#include "runtime/qt/SpinBox.h"

#include <QLineEdit>

namespace host::qt {

SpinBox::SpinBox(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    connect(lineEdit(), &QLineEdit::textEdited, this, &SpinBox::edited);
}

void SpinBox::stepBy(int steps) {
    emit stepped(steps);
}

void SpinBox::setText(const QString& text) {
    if (lineEdit()->text() == text)
        return;
    int cursor = lineEdit()->cursorPosition();
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
}

QString SpinBox::text() const {
    return lineEdit()->text();
}

void SpinBox::setStepsEnabled(bool up, bool down) {
    if (up == up_ && down == down_)
        return;
    up_ = up;
    down_ = down;
    update(); // the arrows are drawn from stepEnabled()
}

QAbstractSpinBox::StepEnabled SpinBox::stepEnabled() const {
    StepEnabled steps = StepNone;
    if (isReadOnly())
        return steps;
    if (up_)
        steps |= StepUpEnabled;
    if (down_)
        steps |= StepDownEnabled;
    return steps;
}

} // namespace host::qt
