#include "runtime/qt/DropList.h"

#include <QSignalBlocker>

namespace host::qt {

DropList::DropList(QWidget* parent) : QComboBox(parent) {
    setFocusPolicy(Qt::TabFocus);
}

void DropList::setItems(const QStringList& items, int selected, int dropCount) {
    QSignalBlocker block(this);
    QStringList current;
    for (int i = 0; i < count(); ++i)
        current << itemText(i);
    if (current != items) {
        clear();
        addItems(items);
    }
    setCurrentIndex(selected - 1);
    setMaxVisibleItems(std::max(dropCount, 1));
}

void DropList::showPopup() {
    emit droppingDown();
    if (maxVisibleItems() > 0 && count() > 0)
        QComboBox::showPopup();
}

} // namespace host::qt
