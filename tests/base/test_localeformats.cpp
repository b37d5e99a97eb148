#include "base/localeformats.h"
#include "support/locales.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(LocaleFormats, DatesTimesAndSeparatorsFollowTheLocale) {
    if (!ensureLocales({"en_US.UTF-8", "de_DE.UTF-8"}))
        GTEST_SKIP() << "the test locales cannot be made here";
    struct Case {
        QByteArray locale;
        QString date, time, separator;
    };
    const Case cases[] = {
        {"C", "03/01/25", "14:05:00", ","},
        {"en_US.UTF-8", "03/01/2025", "02:05:00 PM", ","},
        {"de_DE.UTF-8", "01.03.2025", "14:05:00", ";"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.toStdString());
        const LocaleFormats formats(c.locale);
        ASSERT_TRUE(formats.isValid());
        EXPECT_EQ(formats.shortDate(QDate(2025, 3, 1)), c.date);
        EXPECT_EQ(formats.longTime(QTime(14, 5, 0)), c.time);
        EXPECT_EQ(formats.listSeparator(), c.separator);
        // Every text written reads back as the same value, and nothing else reads at all.
        for (const QDate& d : {QDate(2025, 3, 1), QDate(2024, 2, 29), QDate(2026, 12, 31)})
            EXPECT_EQ(formats.readDate(formats.shortDate(d)), d);
        for (const QTime& t : {QTime(0, 0, 0), QTime(12, 0, 1), QTime(23, 59, 59)})
            EXPECT_EQ(formats.readTime(formats.longTime(t)), t);
        for (const char* junk : {"", "junk", "2025-03-01", "01.03.2025 x", "31/31/31"})
            EXPECT_FALSE(formats.readDate(QString::fromLatin1(junk))) << junk;
        EXPECT_FALSE(formats.readTime("14:05"));
        EXPECT_FALSE(formats.readTime(""));
    }
    EXPECT_FALSE(LocaleFormats("de_DE.UTF-8").readDate("03/01/2025")) << "another locale's date";
    EXPECT_FALSE(LocaleFormats("xx_NOWHERE").isValid());
}

TEST(LocaleFormats, StrftimePatternsBecomeQtDisplayFormats) {
    struct Case {
        QByteArray pattern;
        QString qt;
    };
    const Case cases[] = {
        {"%m/%d/%y", "MM/dd/yy"},
        {"%d.%m.%Y", "dd.MM.yyyy"},
        {"%I:%M:%S %p", "hh:mm:ss AP"}, // 12-hour only beside its AM/PM field
        {"%l:%M %P", "h:mm ap"},
        {"%T", "HH:mm:ss"},
        {"%e %b %Y", "d MMM yyyy"},
        {"%A, %B %d", "dddd, MMMM dd"},
        {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", // 年 月 日 are text, not fields
         QStringLiteral("yyyy'\u5E74'MM'\u6708'dd'\u65E5'")},
        {"%H h %M", "HH' h 'mm"}, // a letter of the text would be read as the hour
        {"it's %H", "'it''s 'HH"},
        {"%Oy.%Od.%Ey", "yy.dd.yy"},                // alternative digits and eras: the plain field
        {"%-d/%-m/%y %-I:%M %p", "d/M/yy h:mm AP"}, // "-": no leading zero
        {"%_H:%0M %^b %10Y", "HH:mm MMM yyyy"},     // other flags and widths: the plain field
        {"%j/%H%%", "/HH%"},                        // no field for the day of the year
        {"%H:%M%n%t%", "HH:mm  %"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qtDisplayFormat(c.pattern), c.qt) << c.pattern.constData();
}

} // namespace
