#pragma once

// LocaleFormats: the user's locale settings that files and schedules depend on: the short date
// and long time formats of LC_TIME (written with strftime, read back with strptime, the whole
// text consumed) and the list separator (";" where LC_NUMERIC's decimal separator is ",",
// else ","). Built for the process's own locale, or for a named one (tests).

#include <QDate>
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

private:
    QString format(const char* pattern, const struct tm& value) const;
    bool read(const QString& text, const char* pattern, struct tm& value) const;

    void* m_locale = nullptr; // locale_t
    bool m_valid = true;
    QByteArray m_dateFormat, m_timeFormat;
};

// ";" where the decimal separator is ",", else ",".
QString listSeparatorFor(const QString& decimalSeparator);
