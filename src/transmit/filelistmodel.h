#pragma once

// FileListModel: the file list of the main window: one row per line of the loaded file, each
// editable in place (the edited text is what is sent). Holds the rows compactly (FileLines),
// so a list of millions of rows loads fast and stays small.

#include "transmit/filelines.h"

#include <QAbstractListModel>

class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    QString rowText(int row) const { return m_lines.at(row); }
    void setLines(FileLines lines);
    void clear() { setLines(FileLines()); }
    // Every row's text at once (tests, small lists).
    QStringList stringList() const { return m_lines.toStringList(); }
    void setStringList(const QStringList& rows) { setLines(FileLines::fromStrings(rows)); }

private:
    FileLines m_lines;
};
