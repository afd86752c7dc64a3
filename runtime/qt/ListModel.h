#pragma once

#include "runtime/qt/Units.h"
#include "runtime/ui/ListFormat.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <map>
#include <vector>

namespace host {
class Control;
}

namespace host::qt {

// How a list cell or header of this justification is aligned on the screen.
Qt::Alignment alignmentOf(Justification justification);

// A list box's rows for Qt's views: a table over the control's queue (or its fixed
// choices) and parsed format. Nothing is copied: a cell is formatted through its
// column's picture when the view paints it, so only the visible rows cost anything and
// a list over a queue of a million rows scrolls as fast as one over ten.
class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Extra roles the cell painter reads.
    enum Role {
        IndentRole = Qt::UserRole + 1, // the column's indent in pixels
        SelectedRole,                  // the row is the list's selected row
        LinesRole,                     // bit 0: line on the right edge, bit 1: underline
        DecimalRole, // a decimal column: the point sits the indent from the right edge
    };

    ListModel(const Control& control, Units units, QObject* parent = nullptr);

    // The control the rows come from (a control re-created under the same number).
    void setControl(const Control& control);
    const Control& control() const { return *control_; }
    void setUnits(Units units) { units_ = units; }
    // The list's icon table: icon number to image.
    void setIcons(std::map<int, QIcon> icons);

    // Brings the rows in line with the queue: rows added or removed at the end are
    // announced, the format's columns are re-read when they changed, and the shown
    // rows are repainted.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Number of cell formats done since the model was made (what painting cost).
    long long cellsFormatted() const { return cellsFormatted_; }

private:
    const std::vector<ListCell>& cells(int row) const;
    int formatColumns() const;

    const Control* control_;
    Units units_;
    std::map<int, QIcon> icons_;
    int rows_ = 0;
    int columns_ = 0;
    std::string formatText_;
    mutable int cachedRow_ = -1;
    mutable std::vector<ListCell> cache_;
    mutable long long cellsFormatted_ = 0;
};

} // namespace host::qt
