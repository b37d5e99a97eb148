#include "transmit/sendlatermodel.h"

#include <algorithm>

int SendLaterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

int SendLaterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant SendLaterModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_entries.size() || role != Qt::DisplayRole)
        return {};
    const SendLaterEntry& e = m_entries.at(index.row());
    switch (index.column()) {
    case 0:
        return e.command;
    case 1:
        return e.date;
    case 2:
        return e.time;
    }
    return {};
}

QVariant SendLaterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[] = {"Command", "Date", "Time"};
    return section >= 0 && section < 3 ? QString::fromLatin1(titles[section]) : QVariant();
}

void SendLaterModel::setEntries(QList<SendLaterEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void SendLaterModel::append(const SendLaterEntry& entry) {
    const int row = int(m_entries.size());
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append(entry);
    endInsertRows();
}

void SendLaterModel::replace(int row, const SendLaterEntry& entry) {
    if (row < 0 || row >= m_entries.size())
        return;
    m_entries[row] = entry;
    emit dataChanged(index(row, 0), index(row, 2));
}

void SendLaterModel::removeRowsAt(QList<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= m_entries.size())
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_entries.removeAt(row);
        endRemoveRows();
    }
}
