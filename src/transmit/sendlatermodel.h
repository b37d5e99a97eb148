#pragma once

// SendLaterModel: the schedule as a three-column table (Command, Date, Time) for the Send Later
// window's list; read-only in the view, changed only through the window's commands.

#include "transmit/sendlaterfile.h"

#include <QAbstractTableModel>

class SendLaterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QList<SendLaterEntry>& entries() const { return m_entries; }
    void setEntries(QList<SendLaterEntry> entries);
    void append(const SendLaterEntry& entry);
    void replace(int row, const SendLaterEntry& entry);
    // Removes the given rows (any order, duplicates allowed).
    void removeRowsAt(QList<int> rows);

private:
    QList<SendLaterEntry> m_entries;
};
