#pragma once

// ReadView: how the read pane shows received bytes: as the characters themselves (ASCII) or
// as the digits of each byte followed by a space (HEX, DEC, OCT, BIN).
enum class ReadView { Ascii, Hex, Dec, Oct, Bin };
