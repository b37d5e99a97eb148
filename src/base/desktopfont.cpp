#include "base/desktopfont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace {
const QString kTahoma = QStringLiteral("Tahoma");
} // namespace

QString installedOrDesktopFamily(const QString& family) {
    // An exact look-up: the font matcher answers every name with some face, and its aliases
    // would make a missing face look installed.
    if (QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        return family;
    // The desktop's font may be a generic name ("Sans Serif"); what counts is the face drawn.
    return familyInUse(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

QString desktopFontFamily() {
    return installedOrDesktopFamily(kTahoma);
}

QFont desktopFont(int pointSize) {
    return QFont(desktopFontFamily(), pointSize);
}

QString familyInUse(const QFont& font) {
    return QFontInfo(font).family();
}
