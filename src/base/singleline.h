#pragma once

// The rule of every single-line box whose text is stored (port and line settings, log folder,
// period): it never holds CR or LF, so what the box shows, what is stored and what is used are
// the same text. What is pasted or set with line breaks keeps its first line.

#include <QString>

// Removes from the first line break up to the cursor (the end of what was just inserted) or
// past the last line break, whichever is later (to the end when the cursor is not past the
// first break), and puts the cursor where the break was.
// Returns whether the text changed.
bool keepFirstLine(QString& text, int& cursor);
