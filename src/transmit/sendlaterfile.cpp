#include "transmit/sendlaterfile.h"

#include "transmit/textfile.h"

namespace {

QString quoted(const QString& field, QChar separator) {
    const bool needsQuotes = field.contains(separator) || field.contains(u'\r') ||
                             field.contains(u'\n') || field.startsWith(u'"');
    if (!needsQuotes)
        return field;
    QString out = field;
    out.replace(QLatin1String("\""), QLatin1String("\"\""));
    return u'"' + out + u'"';
}

bool isBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}

} // namespace

QByteArray serializeSchedule(const QList<SendLaterEntry>& entries, QChar separator) {
    QString text;
    for (const SendLaterEntry& e : entries) {
        text += quoted(e.command, separator);
        text += separator;
        text += quoted(e.date, separator);
        text += separator;
        text += quoted(e.time, separator);
        text += QLatin1String("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

ParsedSchedule parseSchedule(const QByteArray& bytes, QChar separator) {
    const DecodedText decoded = decodeTextFileChecked(bytes);
    const QString& text = decoded.text;
    const qsizetype n = text.size();
    ParsedSchedule result;
    result.lossless = decoded.lossless;

    // The last quote of the first run of an odd number of quotes from `from` on (what is left
    // once quotes pair up as doubled quotes), or n when there is none. A field that opens with
    // an odd run is such a run itself, so no two searches cover the same text.
    auto closingQuote = [&](qsizetype from) {
        for (qsizetype j = from; j < n;) {
            if (text[j] != u'"') {
                ++j;
                continue;
            }
            qsizetype k = j;
            while (k < n && text[k] == u'"')
                ++k;
            if ((k - j) % 2 != 0)
                return k - 1;
            j = k;
        }
        return n;
    };
    // The first line break from `from` on. Many fields can ask on one long line: each search
    // goes on from the last answer, so a line is scanned once.
    qsizetype breakFrom = n + 1, breakAt = n;
    auto lineBreak = [&](qsizetype from) {
        if (from >= breakFrom && from <= breakAt)
            return breakAt;
        breakFrom = from;
        breakAt = from;
        while (breakAt < n && !isBreak(text[breakAt]))
            ++breakAt;
        return breakAt;
    };
    auto skipBreak = [&](qsizetype& i) {
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
    };

    qsizetype i = 0;
    while (i < n) {
        QStringList fields;
        bool anyQuoted = false;
        bool unreadable = false;
        for (;;) {
            bool quoted = false;
            if (i < n && text[i] == u'"') {
                qsizetype run = i;
                while (run < n && text[run] == u'"')
                    ++run;
                // The opening quote and pairs after it: an even run holds its closing quote.
                const qsizetype close = (run - i) % 2 == 0 ? run - 1 : closingQuote(run);
                const qsizetype after = close + 1;
                if (close < n && (after == n || text[after] == separator || isBreak(text[after]))) {
                    QString field = text.sliced(i + 1, close - i - 1);
                    field.replace(QLatin1String("\"\""), QLatin1String("\""));
                    fields.append(field);
                    quoted = anyQuoted = true;
                    i = after;
                } else if (close >= lineBreak(i)) {
                    unreadable = true;
                    i = lineBreak(i);
                    break;
                }
                // Otherwise the quote closes on this line with more text after it: a field
                // typed without quotes, read as it stands.
            }
            if (!quoted) {
                const qsizetype from = i;
                while (i < n && text[i] != separator && !isBreak(text[i]))
                    ++i;
                fields.append(text.sliced(from, i - from));
            }
            if (i < n && text[i] == separator) {
                ++i;
                continue;
            }
            break;
        }
        skipBreak(i);
        if (unreadable) {
            ++result.unreadableLines;
            continue;
        }
        if (fields.size() == 1 && fields[0].isEmpty() && !anyQuoted)
            continue; // a blank line
        result.entries.append({fields.value(0), fields.value(1), fields.value(2)});
    }
    return result;
}
