#pragma once

// The program's version record and its reader.
// Every executable that links this file carries one marked data block with the twelve text
// fields, the fixed file version and one translation entry. ReadVersionData() finds that block
// in any file on disk, the way a version resource is read from an executable, and fails with
// a clear reason for a file that has none.

#include <QString>

#include <array>

struct TEXEVersionData {
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString OriginalFileName;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString PrivateBuild;
    QString SpecialBuild;
};

struct VersionReadResult {
    TEXEVersionData data;
    std::array<quint16, 4> fileVersion{}; // major, minor, release, build
    QString error;                        // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Reads the version record of the program file at `fileName`. A field the record lacks stays
// empty; a file without a record (or that cannot be read) fails with a reason in `error`.
VersionReadResult ReadVersionData(const QString& fileName);

// Parses the text of a record (the part between its start and end marks); exposed for tests.
VersionReadResult parseVersionRecord(const QByteArray& payload);

// "%d.%d" of the major and minor file version.
QString shortVersionOf(const std::array<quint16, 4>& fileVersion);
