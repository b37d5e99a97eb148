#include "base/localeformats.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace {
locale_t asLocale(void* p) {
    return static_cast<locale_t>(p);
}

// The end of a strftime conversion's flags, width and E or O modifier, which start at `at`.
qsizetype skipFlagsAndModifier(const QByteArray& pattern, qsizetype at) {
    const auto is = [&](const char* set) {
        return at + 1 < pattern.size() && pattern[at] != '\0' &&
               std::strchr(set, pattern[at]) != nullptr;
    };
    while (is("-_0^#"))
        ++at;
    while (is("0123456789"))
        ++at;
    if (is("EO"))
        ++at;
    return at;
}

// strftime's conversions that Qt has a field for; the "-" flag asks for no leading zero.
struct QtField {
    char directive;
    const char* padded;
    const char* unpadded;
};
constexpr QtField kQtFields[] = {
    {'a', "ddd", "ddd"},
    {'A', "dddd", "dddd"},
    {'b', "MMM", "MMM"},
    {'h', "MMM", "MMM"},
    {'B', "MMMM", "MMMM"},
    {'d', "dd", "d"},
    {'e', "d", "d"},
    {'m', "MM", "M"},
    {'y', "yy", "yy"},
    {'Y', "yyyy", "yyyy"},
    {'D', "MM/dd/yy", "MM/dd/yy"},
    {'F', "yyyy-MM-dd", "yyyy-MM-dd"},
    {'H', "HH", "H"},
    {'k', "H", "H"},
    {'I', "hh", "h"},
    {'l', "h", "h"},
    {'M', "mm", "m"},
    {'S', "ss", "s"},
    {'p', "AP", "AP"},
    {'P', "ap", "ap"},
    {'T', "HH:mm:ss", "HH:mm:ss"},
    {'R', "HH:mm", "HH:mm"},
};

struct tm timeValue(const QTime& time) {
    struct tm value {};
    value.tm_hour = time.hour();
    value.tm_min = time.minute();
    value.tm_sec = time.second();
    value.tm_mday = 1;
    return value;
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
    m_name = m_valid ? localeName : QByteArray("C");
    if (m_name.isEmpty())
        m_name = setlocale(LC_TIME, nullptr);
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
    return format(m_timeFormat.constData(), timeValue(time));
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

QByteArray LocaleFormats::expanded(const QByteArray& pattern, int depth) const {
    QByteArray out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out += pattern[i];
            continue;
        }
        const qsizetype at = skipFlagsAndModifier(pattern, i + 1);
        const char directive = pattern[at];
        const auto composite = [&](nl_item item) {
            // A locale whose composite names itself would never end.
            if (depth < 2)
                out += expanded(nl_langinfo_l(item, asLocale(m_locale)), depth + 1);
        };
        switch (directive) {
        case 'c':
            composite(D_T_FMT);
            break;
        case 'r':
            composite(T_FMT_AMPM);
            break;
        case 'x':
            composite(D_FMT);
            break;
        case 'X':
            composite(T_FMT);
            break;
        case 'Z':
        case 'z': {
            // The zone is not a value of the entry: shown as the text longTime() writes.
            const char zone[] = {'%', directive, '\0'};
            out += format(zone, timeValue(QTime(0, 0))).toUtf8().replace('%', "%%");
            break;
        }
        default:
            out += pattern.mid(i, at - i + 1);
        }
        i = at;
    }
    return out;
}

QString LocaleFormats::dateDisplayFormat() const {
    return qtDisplayFormat(expanded(m_dateFormat, 0));
}

QString LocaleFormats::timeDisplayFormat() const {
    return qtDisplayFormat(expanded(m_timeFormat, 0));
}

template <typename Value, typename Written>
QLocale LocaleFormats::displayLocale(const QString& displayFormat, const QList<Value>& probes,
                                     Written written) const {
    // Qt reads "de_DE.UTF-8@euro" as de_DE, and "C.UTF-8", "POSIX" or an unknown name as C.
    const QLocale own(QString::fromLatin1(m_name));
    const auto writesAsWe = [&](const QLocale& locale) {
        return std::all_of(probes.cbegin(), probes.cend(), [&](const Value& probe) {
            return locale.toString(probe, displayFormat) == written(probe);
        });
    };
    if (writesAsWe(own) || !writesAsWe(QLocale::c()))
        return own;
    return QLocale::c();
}

QLocale LocaleFormats::dateDisplayLocale() const {
    // Every month and weekday name, on days of two digits (a space-padded day never matches).
    QList<QDate> probes;
    for (int month = 1; month <= 12; ++month)
        probes.append(QDate(2026, month, month + 10));
    return displayLocale(dateDisplayFormat(), probes,
                         [this](const QDate& date) { return shortDate(date); });
}

QLocale LocaleFormats::timeDisplayLocale() const {
    // Morning and evening, on hours of two digits.
    const QList<QTime> probes = {QTime(10, 5, 7), QTime(22, 5, 7)};
    return displayLocale(timeDisplayFormat(), probes,
                         [this](const QTime& time) { return longTime(time); });
}

QString qtDisplayFormat(const QByteArray& strftimePattern) {
    const QByteArray& pattern = strftimePattern;
    QString out;
    QByteArray literal; // UTF-8, whose bytes of a longer character are never '%'
    const auto flushLiteral = [&] {
        const QString text = QString::fromUtf8(literal);
        literal.clear();
        // Letters would read as fields; quotes start quoted text.
        const bool plain = std::none_of(text.cbegin(), text.cend(),
                                        [](QChar c) { return c.isLetter() || c == u'\''; });
        if (plain)
            out += text;
        else
            out += u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            literal += pattern[i];
            continue;
        }
        const qsizetype at = skipFlagsAndModifier(pattern, i + 1);
        const bool unpadded = pattern.mid(i + 1, at - i - 1).contains('-');
        const char directive = pattern[at];
        i = at;
        if (directive == '%') {
            literal += '%';
        } else if (directive == 'n' || directive == 't') {
            literal += ' ';
        } else {
            // Any other conversion (day of the year, week number, ...) has no field: left out.
            for (const QtField& field : kQtFields) {
                if (field.directive == directive) {
                    flushLiteral();
                    out += QLatin1String(unpadded ? field.unpadded : field.padded);
                    break;
                }
            }
        }
    }
    flushLiteral();
    return out;
}

QString listSeparatorFor(const QString& decimalSeparator) {
    return decimalSeparator == QLatin1String(",") ? QStringLiteral(";") : QStringLiteral(",");
}
