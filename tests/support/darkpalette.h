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
    // Links and the bevel shades too, as a whole dark theme sets them; left out, they keep
    // Qt's light defaults (pure blue links, white edges).
    palette.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xff));
    palette.setColor(QPalette::LinkVisited, QColor(0xb4, 0x8c, 0xff));
    palette.setColor(QPalette::Light, QColor(0x55, 0x55, 0x55));
    palette.setColor(QPalette::Midlight, QColor(0x48, 0x48, 0x48));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x30));
    palette.setColor(QPalette::Dark, QColor(0x22, 0x22, 0x22));
    palette.setColor(QPalette::Shadow, QColor(0x10, 0x10, 0x10));
    // As a dark desktop theme does, so a disabled control looks disabled.
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    QApplication::setPalette(palette);
}
