#pragma once

// The window's image collection: icons by the names the windows use ("connect", "Item6", ...),
// drawn from the SVG files compiled into the program.

#include <QIcon>
#include <QString>

QIcon brevaneIcon(const QString& name);
// An icon with its own picture for the disabled state ("wand" / "wand-gray").
QIcon brevaneIcon(const QString& name, const QString& disabledName);
