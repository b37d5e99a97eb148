#pragma once

// Colour values as the settings file keeps them: 0x00BBGGRR for a plain colour (red in the low
// byte), 0xFF000000 + index for a system colour, and the table of 186 colour names. The writer
// gives the first name of the table that has the value, else "$" and eight upper-case hex
// digits; the reader takes any name (any letter case), a decimal or "$" hexadecimal 32-bit
// number, "#RRGGBB" or "#RGB".

#include <QString>

#include <optional>
#include <span>

struct NamedColor {
    const char* name;
    quint32 value;
};

std::span<const NamedColor> namedColors();

QString ColorToString(quint32 color);
std::optional<quint32> StringToColor(const QString& text);

// clWindow and clWindowText: the pane's colours when none are stored, the palette's base and
// text colours.
constexpr quint32 kWindowColor = 0xFF000005;
constexpr quint32 kWindowTextColor = 0xFF000008;

// A system colour (0xFF000000 + index) and its index 0..30.
bool isSystemColor(quint32 color);
int systemColorIndex(quint32 color);

// The plain colour of red, green and blue, and back.
quint32 colorFromRgb(int red, int green, int blue);
int redOf(quint32 color);
int greenOf(quint32 color);
int blueOf(quint32 color);
