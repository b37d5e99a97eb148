#include "app/versiondata.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>

namespace {

// The marks are split literals so that "\x7f" does not swallow the following letters.
#define BREVANE_RECORD_START                                                                       \
    "\x7f"                                                                                         \
    "BREVANE-VERSION-RECORD"                                                                       \
    "\x7f\n"
#define BREVANE_RECORD_END                                                                         \
    "\x7f"                                                                                         \
    "BREVANE-VERSION-END"                                                                          \
    "\x7f"

// The block a reader looks for. `used` keeps it even though nothing in this program reads it
// through the symbol; it lives in this file so that every binary using the reader carries it.
[[gnu::used]] const char kVersionRecord[] =
    BREVANE_RECORD_START "FixedFileVersion=2.0.0.0\n"
                         "FixedProductVersion=2.0.0.0\n"
                         "Translation=0409 04e4\n"
                         "StringFileInfo/040904e4/CompanyName=TARNICK\n"
                         "StringFileInfo/040904e4/FileDescription=Brevane\n"
                         "StringFileInfo/040904e4/FileVersion=2.0.0.0\n"
                         "StringFileInfo/040904e4/InternalName=Brevane\n"
                         "StringFileInfo/040904e4/LegalCopyright=Copyright (C) TARNICK\n"
                         "StringFileInfo/040904e4/OriginalFileName=brevane\n"
                         "StringFileInfo/040904e4/ProductName=Brevane\n"
                         "StringFileInfo/040904e4/ProductVersion=2.0.0.0\n" BREVANE_RECORD_END;

constexpr QByteArrayView kStart(BREVANE_RECORD_START);
constexpr QByteArrayView kEnd(BREVANE_RECORD_END);
constexpr qsizetype kMaxPayload = 8192;

bool parseFourNumbers(const QByteArray& text, std::array<quint16, 4>& out) {
    const QList<QByteArray> parts = text.split('.');
    if (parts.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint v = parts[i].toUInt(&ok);
        if (!ok || v > 0xFFFF)
            return false;
        out[i] = quint16(v);
    }
    return true;
}

} // namespace

QString shortVersionOf(const std::array<quint16, 4>& fileVersion) {
    return QStringLiteral("%1.%2").arg(fileVersion[0]).arg(fileVersion[1]);
}

VersionReadResult parseVersionRecord(const QByteArray& payload) {
    VersionReadResult result;
    QHash<QByteArray, QByteArray> values;
    for (const QByteArray& line : payload.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && !values.contains(line.left(eq)))
            values.insert(line.left(eq), line.mid(eq + 1));
    }
    if (!values.contains("FixedFileVersion") ||
        !parseFourNumbers(values.value("FixedFileVersion"), result.fileVersion)) {
        result.error = QStringLiteral("The version record has no valid fixed file version.");
        return result;
    }
    // The first translation entry names the string table: language and code page as
    // four lower-case hexadecimal digits each.
    const QList<QByteArray> translation = values.value("Translation").simplified().split(' ');
    bool langOk = false, cpOk = false;
    const uint lang = translation.value(0).toUInt(&langOk, 16);
    const uint codePage = translation.value(1).toUInt(&cpOk, 16);
    if (!langOk || !cpOk || lang > 0xFFFF || codePage > 0xFFFF) {
        result.error = QStringLiteral("The version record has no translation entry.");
        return result;
    }
    const QByteArray table = "StringFileInfo/" +
                             QByteArray::number(lang, 16).rightJustified(4, '0') +
                             QByteArray::number(codePage, 16).rightJustified(4, '0') + '/';
    auto field = [&](const char* name) { return QString::fromUtf8(values.value(table + name)); };
    TEXEVersionData& d = result.data;
    d.CompanyName = field("CompanyName");
    d.FileDescription = field("FileDescription");
    d.FileVersion = field("FileVersion");
    d.InternalName = field("InternalName");
    d.LegalCopyright = field("LegalCopyright");
    d.LegalTrademarks = field("LegalTrademarks");
    d.OriginalFileName = field("OriginalFileName");
    d.ProductName = field("ProductName");
    d.ProductVersion = field("ProductVersion");
    d.Comments = field("Comments");
    d.PrivateBuild = field("PrivateBuild");
    d.SpecialBuild = field("SpecialBuild");
    return result;
}

VersionReadResult ReadVersionData(const QString& fileName) {
    VersionReadResult result;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot read the version record of \"%1\": %2")
                           .arg(fileName, file.errorString());
        return result;
    }
    const qint64 size = file.size();
    const uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    QByteArray readAll;
    QByteArrayView bytes;
    if (mapped) {
        bytes = QByteArrayView(reinterpret_cast<const char*>(mapped), size);
    } else {
        readAll = file.readAll();
        bytes = readAll;
    }
    // The reader's own copy of the start mark is also in the file; only a mark followed by a
    // complete, well-formed record counts.
    for (qsizetype at = bytes.indexOf(kStart); at >= 0; at = bytes.indexOf(kStart, at + 1)) {
        const qsizetype from = at + kStart.size();
        const QByteArrayView window =
            bytes.sliced(from, std::min(kMaxPayload, bytes.size() - from));
        const qsizetype end = window.indexOf(kEnd);
        if (end < 0)
            continue;
        VersionReadResult parsed = parseVersionRecord(window.first(end).toByteArray());
        if (parsed.ok())
            return parsed;
    }
    result.error =
        QStringLiteral("\"%1\" holds no version record.").arg(QFileInfo(fileName).fileName());
    return result;
}
