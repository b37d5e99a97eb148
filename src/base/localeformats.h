#pragma once

// LocaleFormats: the user's locale settings that files and schedules depend on: the short date
// and long time formats of LC_TIME (written with strftime, read back with strptime, the whole
// text consumed) and the list separator (";" where LC_NUMERIC's decimal separator is ",",
// else ","). Built for the process's own locale, or for a named one (tests).
// The same formats are also given as Qt display formats, so date and time pickers show what
// the formats write.

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>

class LocaleFormats {
public:
    // `localeName` empty: the locale the process runs in.
    explicit LocaleFormats(const QByteArray& localeName = QByteArray());
    ~LocaleFormats();
    LocaleFormats(const LocaleFormats&) = delete;
    LocaleFormats& operator=(const LocaleFormats&) = delete;

    // False when a named locale is not installed; the formats then are those of "C".
    bool isValid() const { return m_valid; }

    QString shortDate(const QDate& date) const;
    QString longTime(const QTime& time) const;
    std::optional<QDate> readDate(const QString& text) const;
    std::optional<QTime> readTime(const QString& text) const;
    QString listSeparator() const;

    // The short date and long time formats as QDateTimeEdit display formats (12-hour with
    // AM/PM where the time format is), each with the locale a picker should show it in: Qt's
    // data for this locale where it writes what shortDate()/longTime() write, else "C" where
    // that does (Qt spells a few AM/PM texts and digits otherwise than the C library). A
    // time-zone name is shown as the fixed text the time format writes.
    QString dateDisplayFormat() const;
    QString timeDisplayFormat() const;
    QLocale dateDisplayLocale() const;
    QLocale timeDisplayLocale() const;

private:
    QString format(const char* pattern, const struct tm& value) const;
    bool read(const QString& text, const char* pattern, struct tm& value) const;
    // `pattern` with the locale's composite directives spelled out and the time zone as text.
    QByteArray expanded(const QByteArray& pattern, int depth) const;
    // Qt's locale of this name, or "C", whichever writes each probe as `written` does.
    template <typename Value, typename Written>
    QLocale displayLocale(const QString& displayFormat, const QList<Value>& probes,
                          Written written) const;

    void* m_locale = nullptr; // locale_t
    bool m_valid = true;
    QByteArray m_dateFormat, m_timeFormat;
    QByteArray m_name; // the LC_TIME locale's name, such as "en_US.UTF-8"
};

// ";" where the decimal separator is ",", else ",".
QString listSeparatorFor(const QString& decimalSeparator);

// A strftime pattern (UTF-8) as a Qt date-time display format: each directive Qt has a field
// for becomes that field, "%%", "%n" and "%t" become text, the E and O modifiers are ignored,
// the "-" flag drops the leading zero and other flags and widths are ignored, and any other
// directive is left out; literal text is quoted. The locale-dependent composites (%c, %r, %x,
// %X) and time zones must be expanded by the caller.
QString qtDisplayFormat(const QByteArray& strftimePattern);
