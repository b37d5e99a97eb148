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

QList<SendLaterEntry> parseSchedule(const QByteArray& bytes, QChar separator) {
    const QString text = decodeTextFile(bytes);
    const qsizetype n = text.size();
    QList<SendLaterEntry> entries;
    qsizetype i = 0;
    while (i < n) {
        QStringList fields;
        bool anyQuoted = false;
        for (;;) {
            QString field;
            if (i < n && text[i] == u'"') {
                anyQuoted = true;
                ++i;
                while (i < n) {
                    if (text[i] == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            field += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field += text[i++];
                }
            }
            // Unquoted text, or whatever follows a closing quote, up to the field's end.
            const qsizetype from = i;
            while (i < n && text[i] != separator && !isBreak(text[i]))
                ++i;
            field += QStringView(text).sliced(from, i - from);
            fields.append(field);
            if (i < n && text[i] == separator) {
                ++i;
                continue;
            }
            break;
        }
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
        if (fields.size() == 1 && fields[0].isEmpty() && !anyQuoted)
            continue; // a blank line
        entries.append({fields.value(0), fields.value(1), fields.value(2)});
    }
    return entries;
}
