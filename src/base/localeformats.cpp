#include "base/localeformats.h"

#include <algorithm>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace {
locale_t asLocale(void* p) {
    return static_cast<locale_t>(p);
}

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
        qsizetype at = i + 1;
        if ((pattern[at] == 'E' || pattern[at] == 'O') && at + 1 < pattern.size())
            ++at;
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

QLocale LocaleFormats::qtLocale() const {
    // "de_DE.UTF-8@euro" is the language and country Qt knows as "de_DE".
    QByteArray name = m_name;
    const qsizetype end = name.indexOf('.') >= 0 ? name.indexOf('.') : name.indexOf('@');
    if (end >= 0)
        name.truncate(end);
    if (name.isEmpty() || name == "C" || name == "POSIX")
        return QLocale::c();
    return QLocale(QString::fromLatin1(name));
}

QString qtDisplayFormat(const QByteArray& strftimePattern) {
    const QString pattern = QString::fromUtf8(strftimePattern);
    QString out, literal;
    const auto flushLiteral = [&] {
        // Letters would read as fields; quotes start quoted text.
        const bool plain = std::none_of(literal.cbegin(), literal.cend(),
                                        [](QChar c) { return c.isLetter() || c == u'\''; });
        if (plain)
            out += literal;
        else
            out += u'\'' + QString(literal).replace(u'\'', QStringLiteral("''")) + u'\'';
        literal.clear();
    };
    const auto field = [&](const char* qt) {
        flushLiteral();
        out += QLatin1String(qt);
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%' || i + 1 == pattern.size()) {
            literal += pattern[i];
            continue;
        }
        ++i;
        if ((pattern[i] == u'E' || pattern[i] == u'O') && i + 1 < pattern.size())
            ++i;
        switch (pattern[i].unicode()) {
        case 'a':
            field("ddd");
            break;
        case 'A':
            field("dddd");
            break;
        case 'b':
        case 'h':
            field("MMM");
            break;
        case 'B':
            field("MMMM");
            break;
        case 'd':
            field("dd");
            break;
        case 'e':
            field("d");
            break;
        case 'm':
            field("MM");
            break;
        case 'y':
            field("yy");
            break;
        case 'Y':
            field("yyyy");
            break;
        case 'D':
            field("MM/dd/yy");
            break;
        case 'F':
            field("yyyy-MM-dd");
            break;
        case 'H':
            field("HH");
            break;
        case 'k':
            field("H");
            break;
        case 'I':
            field("hh");
            break;
        case 'l':
            field("h");
            break;
        case 'M':
            field("mm");
            break;
        case 'S':
            field("ss");
            break;
        case 'p':
            field("AP");
            break;
        case 'P':
            field("ap");
            break;
        case 'T':
            field("HH:mm:ss");
            break;
        case 'R':
            field("HH:mm");
            break;
        case '%':
            literal += u'%';
            break;
        case 'n':
        case 't':
            literal += u' ';
            break;
        default:
            break; // a value Qt has no field for (day of the year, week number, ...)
        }
    }
    flushLiteral();
    return out;
}

QString listSeparatorFor(const QString& decimalSeparator) {
    return decimalSeparator == QLatin1String(",") ? QStringLiteral(";") : QStringLiteral(",");
}
