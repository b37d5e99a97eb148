#pragma once

// The mode string: the line settings of a connect as one text ("baud=9600 parity=n data=8
// stop=1 dtr=hs"), built token by token from the port boxes and the Advanced ticks, then read
// back by the program's own parser. Only the keys and values below are accepted; anything else
// makes the connect's setup fail.

#include "port/linesettings.h"

#include <QString>

#include <optional>

// What a connect reads from the window: the four box texts as typed, and the Advanced ticks.
struct ModeInputs {
    QString baud, parity, data, stop;
    bool timeoutProcessing = false, xon = false, outDsr = false, outCts = false;
    LineSettings::Dtr dtr = LineSettings::Dtr::Off;
    LineSettings::Rts rts = LineSettings::Rts::Off;
    bool dsrSensitivity = false;
};

QString buildModeString(const ModeInputs& in);

struct ModeParseResult {
    std::optional<LineSettings> settings;
    QString error; // why the text was rejected, for the message box's detail text
};

// Keys baud, parity, data, stop, to, xon, odsr, octs, dtr, rts, idsr (any letter case),
// separated by blanks. A key not given keeps the value of `base`.
ModeParseResult parseModeString(const QString& mode, const LineSettings& base = LineSettings());
