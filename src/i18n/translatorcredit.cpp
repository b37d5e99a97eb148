#include "i18n/translatorcredit.h"

#include "i18n/translationkeys.h"

#include <QStringDecoder>

namespace {

// Trims what counts as blank in the language files: spaces and control characters only, so a
// no-break space or another Unicode space in a name is kept.
QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QStringList languageFileLines(const QByteArray& bytes) {
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    // One mark is the file's; a second one is text, as in any other place of a line.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString text = utf8.decode(body);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

QString translatorCredit(const QStringList& lines) {
    const QString key = QString::fromLatin1(TranslationKeys::kTranslatedByInfo);
    const QString prefix = QLatin1Char('{') + key + QLatin1Char('}');
    for (const QString& line : lines)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return key;
}

QStringList creditLines(const QString& credit) {
    if (credit.isEmpty())
        return {};
    QStringList lines;
    for (const QString& piece : credit.split(QLatin1Char(',')))
        lines << trimBlanks(piece);
    return lines;
}
