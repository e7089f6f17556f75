#include "app/line_model.h"

namespace dorvanix {

int LineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant LineModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= lines_.size()) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return lines_[index.row()];
}

void LineModel::setLines(const QStringList& lines) {
    beginResetModel();
    lines_ = lines;
    endResetModel();
}

void LineModel::append(const QStringList& lines) {
    if (lines.isEmpty()) return;
    const int first = static_cast<int>(lines_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(lines.size()) - 1);
    lines_.append(lines);
    endInsertRows();
}

void LineModel::remove(int row) {
    if (row < 0 || row >= lines_.size()) return;
    beginRemoveRows(QModelIndex(), row, row);
    lines_.removeAt(row);
    endRemoveRows();
}

}  // namespace dorvanix
