#pragma once

#include <QAbstractSpinBox>

namespace host::qt {

// A spin box whose value lives in the runtime: the arrows (and the wheel) report steps and
// typing reports the text; the box shows whatever the runtime's control holds, and greys
// the arrow whose end of the range the value has reached.
class SpinBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit SpinBox(QWidget* parent = nullptr);

    void stepBy(int steps) override;
    void setText(const QString& text);
    QString text() const;
    void setStepsEnabled(bool up, bool down);

signals:
    void stepped(int steps);
    void edited(const QString& text);

protected:
    StepEnabled stepEnabled() const override;

private:
    bool up_ = true;
    bool down_ = true;
};

} // namespace host::qt
