#pragma once

#include <QAbstractSpinBox>

namespace host::qt {

// A spin box whose value lives in the runtime: the arrows report steps and typing
// reports the text; the box shows whatever the runtime's control holds.
class SpinBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit SpinBox(QWidget* parent = nullptr);

    void stepBy(int steps) override;
    void setText(const QString& text);
    QString text() const;

signals:
    void stepped(int steps);
    void edited(const QString& text);

protected:
    StepEnabled stepEnabled() const override;
};

} // namespace host::qt
