// A dark desktop palette for the tools that show the windows under a dark theme (the
// screenshot harness, the About animation benchmark): one definition, so both look alike.
#pragma once

#include <QApplication>
#include <QColor>
#include <QPalette>

inline void useDarkPalette() {
    QApplication::setStyle(QStringLiteral("Fusion"));
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    palette.setColor(QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    palette.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    palette.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    palette.setColor(QPalette::ButtonText, QColor(0xe0, 0xe0, 0xe0));
    // As a dark desktop theme does, so a disabled control looks disabled.
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    QApplication::setPalette(palette);
}
