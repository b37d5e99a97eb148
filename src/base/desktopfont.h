#pragma once

// The face the windows are drawn in. They were laid out for Tahoma; where Tahoma is not
// installed (most Linux desktops) they get the desktop's default sans-serif face at the same
// size, not whatever the font matcher happens to pick for an unknown name. The stand-in is
// always a face that is installed, so a font dialog opened on it can show it.
// Needs a running QGuiApplication (the font database).

#include <QFont>
#include <QString>

// `family` when it is installed, else the family the desktop's general font is drawn with.
QString installedOrDesktopFamily(const QString& family);

// Tahoma, or its stand-in, at `pointSize` points.
QFont desktopFont(int pointSize);
QString desktopFontFamily();

// The installed family that text in `font` is drawn with: its own family when installed, else
// the one the font matcher substitutes for it.
QString familyInUse(const QFont& font);
