#include "runtime/qt/ListModel.h"

#include "runtime/ui/Control.h"

#include <QColor>

namespace host::qt {

Qt::Alignment alignmentOf(Justification justification) {
    switch (justification) {
    case Justification::Left:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case Justification::Center:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case Justification::Right:
    case Justification::Decimal:
        return Qt::AlignRight | Qt::AlignVCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

ListModel::ListModel(const Control& control, Units units, QObject* parent)
    : QAbstractTableModel(parent), control_(&control), units_(units) {
    rows_ = static_cast<int>(control.rowCount());
    columns_ = formatColumns();
    formatText_ = control.formatText();
}

void ListModel::setControl(const Control& control) {
    beginResetModel();
    control_ = &control;
    rows_ = static_cast<int>(control.rowCount());
    columns_ = formatColumns();
    formatText_ = control.formatText();
    cachedRow_ = -1;
    endResetModel();
}

void ListModel::setIcons(std::map<int, QIcon> icons) {
    icons_ = std::move(icons);
}

int ListModel::formatColumns() const {
    const ListFormat* format = control_->format();
    return format && format->columnCount() > 0 ? format->columnCount() : 1;
}

void ListModel::refresh() {
    cachedRow_ = -1;
    if (control_->formatText() != formatText_ || formatColumns() != columns_) {
        beginResetModel();
        rows_ = static_cast<int>(control_->rowCount());
        columns_ = formatColumns();
        formatText_ = control_->formatText();
        endResetModel();
        return;
    }
    int rows = static_cast<int>(control_->rowCount());
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (rows_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
    emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

const std::vector<ListCell>& ListModel::cells(int row) const {
    if (row != cachedRow_) {
        cachedRow_ = row;
        std::size_t position = static_cast<std::size_t>(row) + 1;
        const ListFormat* format = control_->format();
        if (format && control_->queue() && position <= control_->rowCount()) {
            format->formatRow(*control_->queue(), position, cache_);
            cellsFormatted_ += static_cast<long long>(cache_.size());
        } else {
            cache_ = control_->formattedRow(position);
            ++cellsFormatted_;
        }
    }
    return cache_;
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ ||
        static_cast<std::size_t>(index.row()) >= control_->rowCount())
        return {};
    int column = index.column() + 1;
    const ListFormat* format = control_->format();
    const ListColumn* columnFormat =
        format && column <= format->columnCount() ? &format->column(column) : nullptr;
    switch (role) {
    case Qt::DisplayRole: {
        const auto& row = cells(index.row());
        std::size_t at = static_cast<std::size_t>(index.column());
        return at < row.size() ? QString::fromStdString(row[at].text) : QString();
    }
    case Qt::DecorationRole: {
        if (!columnFormat || !columnFormat->icon)
            return {};
        const auto& row = cells(index.row());
        std::size_t at = static_cast<std::size_t>(index.column());
        if (at >= row.size())
            return {};
        auto icon = icons_.find(row[at].icon);
        return icon == icons_.end() ? QVariant() : QVariant(icon->second);
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columnFormat ? alignmentOf(columnFormat->justification)
                                                : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::ForegroundRole: {
        int colour = control_->columnTextColour(column);
        if (colour < 0)
            return {};
        return QColor((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    }
    case IndentRole:
        return columnFormat ? units_.x(columnFormat->indent) : 0;
    case SelectedRole:
        return control_->selectedRow() == index.row() + 1;
    case DecimalRole:
        return columnFormat && columnFormat->justification == Justification::Decimal;
    case LinesRole:
        return columnFormat
                   ? (columnFormat->rightBorder ? 1 : 0) | (columnFormat->underline ? 2 : 0)
                   : 0;
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    const ListFormat* format = control_->format();
    if (!format || section < 0 || section >= format->columnCount())
        return {};
    const ListColumn& column = format->column(section + 1);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(column.header);
    case Qt::TextAlignmentRole: {
        Justification j = column.headerJustification;
        if (column.justification == Justification::Decimal && j == Justification::Decimal)
            j = column.usualHeaderJustification();
        return QVariant::fromValue(alignmentOf(j));
    }
    case IndentRole:
        return units_.x(column.headerIndent);
    default:
        return {};
    }
}

} // namespace host::qt
