#pragma once

// CheckerStore: the update check's own small per-user store (ShowUpdate, LastUpdateCheck,
// LastUpdateCheckCount, InstalledVersion, HowMany), kept apart from settings.ini in
// <config home>/<company>/ServiceModules/<MD5 of the caption>/Settings.ini. Every value is text;
// numbers are decimal text and read back with a default when missing or not a number. Each
// write replaces the file atomically, so it holds the last write or the one before it.

#include <QList>
#include <QPair>
#include <QString>

struct StoreResult {
    bool ok = true;
    QString error;
};

class CheckerStore {
public:
    // The folder that holds Settings.ini (injectable: tests use a temporary one).
    explicit CheckerStore(QString folder);

    // configHome + "/" + company + "/ServiceModules/" + the MD5 of `mainCaption` (its bytes as
    // ASCII) in 32 upper-case hexadecimal digits.
    static QString folderFor(const QString& configHome, const QString& company,
                             const QString& mainCaption);

    // Creates the folder when missing and reads the file (a missing file is an empty store).
    StoreResult open();

    QString filePath() const;
    QString readString(const QString& name, const QString& fallback = QString()) const;
    int readNumber(const QString& name, int fallback) const;
    // Changes memory only when the file could be replaced.
    StoreResult writeString(const QString& name, const QString& value);
    StoreResult writeNumber(const QString& name, int value);

private:
    QString m_folder;
    bool m_open = false;
    QList<QPair<QString, QString>> m_values; // in file order, so a rewrite keeps it
};
