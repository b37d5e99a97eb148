#include "base/localeformats.h"

#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace {
locale_t asLocale(void* p) {
    return static_cast<locale_t>(p);
}
} // namespace

LocaleFormats::LocaleFormats(const QByteArray& localeName) {
    locale_t loc = nullptr;
    if (localeName.isEmpty()) {
        loc = duplocale(LC_GLOBAL_LOCALE); // as set at start from the environment
    } else {
        loc = newlocale(LC_ALL_MASK, localeName.constData(), static_cast<locale_t>(nullptr));
        if (!loc) {
            m_valid = false;
            loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        }
    }
    m_locale = loc;
    m_dateFormat = nl_langinfo_l(D_FMT, loc);
    m_timeFormat = nl_langinfo_l(T_FMT, loc);
}

LocaleFormats::~LocaleFormats() {
    if (m_locale)
        freelocale(asLocale(m_locale));
}

QString LocaleFormats::format(const char* pattern, const struct tm& value) const {
    char buffer[256];
    const size_t n = strftime_l(buffer, sizeof buffer, pattern, &value, asLocale(m_locale));
    return QString::fromLocal8Bit(buffer, qsizetype(n));
}

bool LocaleFormats::read(const QString& text, const char* pattern, struct tm& value) const {
    if (text.isEmpty())
        return false;
    // strptime has no locale argument; it reads the calling thread's locale.
    const locale_t previous = uselocale(asLocale(m_locale));
    const QByteArray bytes = text.toLocal8Bit();
    const char* end = strptime(bytes.constData(), pattern, &value);
    uselocale(previous);
    return end && *end == '\0';
}

QString LocaleFormats::shortDate(const QDate& date) const {
    struct tm value {};
    value.tm_year = date.year() - 1900;
    value.tm_mon = date.month() - 1;
    value.tm_mday = date.day();
    value.tm_wday = date.dayOfWeek() % 7;
    value.tm_yday = date.dayOfYear() - 1;
    return format(m_dateFormat.constData(), value);
}

QString LocaleFormats::longTime(const QTime& time) const {
    struct tm value {};
    value.tm_hour = time.hour();
    value.tm_min = time.minute();
    value.tm_sec = time.second();
    value.tm_mday = 1;
    return format(m_timeFormat.constData(), value);
}

std::optional<QDate> LocaleFormats::readDate(const QString& text) const {
    struct tm value {};
    value.tm_mday = 1;
    if (!read(text, m_dateFormat.constData(), value))
        return std::nullopt;
    const QDate date(value.tm_year + 1900, value.tm_mon + 1, value.tm_mday);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

std::optional<QTime> LocaleFormats::readTime(const QString& text) const {
    struct tm value {};
    if (!read(text, m_timeFormat.constData(), value))
        return std::nullopt;
    const QTime time(value.tm_hour, value.tm_min, value.tm_sec);
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

QString LocaleFormats::listSeparator() const {
    return listSeparatorFor(QString::fromLocal8Bit(nl_langinfo_l(RADIXCHAR, asLocale(m_locale))));
}

QString listSeparatorFor(const QString& decimalSeparator) {
    return decimalSeparator == QLatin1String(",") ? QStringLiteral(";") : QStringLiteral(",");
}
