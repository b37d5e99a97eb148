#pragma once

// The pictures of the language window: a flag for each language it knows by name, a neutral
// globe (`xx`) for any other name and for languages without a flag of their own, and the
// button and menu icons. Flags come from the country flags compiled into the program at
// 16 x 11 pixels; the same name always gives the same QIcon (equal cache keys).

#include <QIcon>
#include <QSize>
#include <QString>

// The size the flags are drawn at.
inline constexpr QSize kFlagSize{16, 11};

// The icon name of a list entry: the flag table's row whose text equals `entry` exactly
// (letter case counts), else "xx".
QString flagIconName(const QString& entry);

// Every icon name that flagIconName() can give, in the table's order ("xx" last).
QStringList flagIconNames();

// The picture named `name` ("de", "english", "xx", "tick_button", "copy", ...); a name the
// window does not know gives the neutral globe.
QIcon languageIcon(const QString& name);
