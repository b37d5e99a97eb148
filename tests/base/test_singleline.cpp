#include "base/singleline.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

// Each row: the box's text right after an insert, with the cursor at the end of what was
// inserted, and what the box keeps.
TEST(SingleLine, APasteOrASetTextKeepsItsFirstLine) {
    const struct {
        QString text;
        int cursor;
        QString kept;
        int keptCursor;
    } cases[] = {
        {"path\n[Other]\nz", 14, "path", 4}, // set from code: cursor at the end
        {"/logs/\n", 7, "/logs/", 6},        // a trailing newline
        {"COM3\r\n", 6, "COM3", 4},          // CR LF
        {"XYabc\ndefZ", 9, "XYabcZ", 5},     // pasted into the middle: the rest stays
        {"a\rb\rc", 1, "a", 1},              // cursor before the break: every line goes
        {"\nleading", 8, "", 0},             // nothing before the break
        {"no break", 3, "no break", 3},
    };
    for (const auto& c : cases) {
        QString text = c.text;
        int cursor = c.cursor;
        EXPECT_EQ(keepFirstLine(text, cursor), c.text != c.kept) << c.text.toStdString();
        EXPECT_EQ(text, c.kept) << c.text.toStdString();
        EXPECT_EQ(cursor, c.keptCursor) << c.text.toStdString();
    }
}

} // namespace
