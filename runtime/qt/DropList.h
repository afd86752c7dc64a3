#pragma once

#include <QComboBox>

namespace host::qt {

// A drop-down list to choose from: its items are the runtime control's rows; opening
// the list is reported (the runtime's DroppingDown) before it drops.
class DropList : public QComboBox {
    Q_OBJECT
public:
    explicit DropList(QWidget* parent = nullptr);

    // Shows these items and this choice (1-based, 0 = none) without reporting anything.
    void setItems(const QStringList& items, int selected, int dropCount);
    void showPopup() override;

signals:
    void droppingDown();
};

} // namespace host::qt
