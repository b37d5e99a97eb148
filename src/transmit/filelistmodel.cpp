#include "transmit/filelistmodel.h"

int FileListModel::rowCount(const QModelIndex& parent) const {
    // A list view addresses rows with int; a larger file cannot be loaded anyway.
    return parent.isValid() ? 0 : int(std::min<qsizetype>(m_lines.size(), INT_MAX));
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_lines.at(index.row());
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::EditRole)
        return false;
    m_lines.replace(index.row(), value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool FileListModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_lines.remove(row, count);
    endRemoveRows();
    return true;
}

void FileListModel::setLines(FileLines lines) {
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}
