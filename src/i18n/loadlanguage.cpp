#include "i18n/loadlanguage.h"

#include "base/regularfile.h"
#include "i18n/translate.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <unicode/uloc.h>

#include <cstdlib>

namespace {

constexpr quint32 kEnglishUnitedStates = 1033;
// Far above any language file; a larger one is not read.
constexpr qint64 kMaxLanguageFileBytes = qint64(16) << 20;

QStringView trimControls(QStringView s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && s[begin].unicode() <= 32)
        ++begin;
    while (end > begin && s[end - 1].unicode() <= 32)
        --end;
    return s.sliced(begin, end - begin);
}

// Lines at CR LF, a lone CR or a lone LF; empty lines are kept, a break at the very end makes
// no extra line.
QStringList lines(QStringView text) {
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        out.append(text.sliced(start, i - start).toString());
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        out.append(text.sliced(start).toString());
    return out;
}

// A language file: UTF-8, one mark skipped, broken sequences as replacement characters.
QString decodeLanguageFile(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    return utf8.decode(bytes);
}

// LanguageCodes.csv: by its byte-order mark, else Latin-1.
QString decodeTable(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeLanguageFile(bytes);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes[0] == '\xFF' ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::ConvertInitialBom);
        return utf16.decode(bytes.sliced(2));
    }
    return QString::fromLatin1(bytes);
}

// A-Z only, as the table's file names are compared.
QString asciiLower(const QString& s) {
    QString out = s;
    for (QChar& c : out)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return out;
}

bool endsWithLangTxt(const QString& name) {
    return name.endsWith(QLatin1String("lang.txt"), Qt::CaseInsensitive);
}

// The parts of a POSIX locale name: language, script (from an @latin or @cyrillic modifier),
// country. Empty language for C, POSIX or what is not a locale name.
struct LocaleParts {
    QByteArray language, script, country;
};

bool allOf(const QByteArray& s, int (*pred)(int)) {
    for (char c : s)
        if (!pred(static_cast<unsigned char>(c)))
            return false;
    return !s.isEmpty();
}

LocaleParts parseLocale(QByteArray name) {
    QByteArray modifier;
    if (const qsizetype at = name.indexOf('@'); at >= 0) {
        modifier = name.mid(at + 1).toLower();
        name.truncate(at);
    }
    if (const qsizetype dot = name.indexOf('.'); dot >= 0)
        name.truncate(dot);
    LocaleParts parts;
    const qsizetype sep = name.indexOf('_');
    parts.language = sep < 0 ? name : name.left(sep);
    parts.country = sep < 0 ? QByteArray() : name.mid(sep + 1);
    if (parts.language.size() < 2 || parts.language.size() > 3 ||
        !allOf(parts.language, std::islower) ||
        (!parts.country.isEmpty() &&
         !((parts.country.size() == 2 && allOf(parts.country, std::isupper)) ||
           (parts.country.size() == 3 && allOf(parts.country, std::isdigit)))))
        return {};
    if (modifier == "latin")
        parts.script = "Latn";
    else if (modifier == "cyrillic")
        parts.script = "Cyrl";
    return parts;
}

// The Windows identifier of a parsed locale, 0 when the table of known locales has none.
quint32 windowsLanguageId(const LocaleParts& parts) {
    if (parts.language.isEmpty())
        return 0;
    QByteArray id = parts.language;
    if (!parts.script.isEmpty())
        id += '_' + parts.script;
    if (!parts.country.isEmpty())
        id += '_' + parts.country;
    return uloc_getLCID(id.constData());
}

bool isPosixDefault(const QByteArray& name) {
    const qsizetype dot = name.indexOf('.');
    const QByteArray base = dot < 0 ? name : name.left(dot);
    return name.isEmpty() || base == "C" || base == "POSIX";
}

} // namespace

QString findLanguageFolder(const QString& programFolder) {
    const QString beside = programFolder + QStringLiteral("/Languages");
    if (QFileInfo(beside).isDir())
        return beside;
    const QString installed =
        QDir::cleanPath(programFolder + QStringLiteral("/../share/brevane/Languages"));
    return QFileInfo(installed).isDir() ? installed : beside;
}

QByteArray messagesLocale(const std::function<QByteArray(const char*)>& getenv) {
    for (const QByteArray& entry : getenv("LANGUAGE").split(':'))
        if (!entry.isEmpty())
            return entry;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const QByteArray value = getenv(name); !value.isEmpty())
            return value;
    return QByteArray();
}

QByteArray messagesLocale() {
    return messagesLocale([](const char* name) { return QByteArray(std::getenv(name)); });
}

quint32 uiLanguageIdFor(const QByteArray& posixLocale) {
    if (isPosixDefault(posixLocale))
        return kEnglishUnitedStates;
    const quint32 lcid = windowsLanguageId(parseLocale(posixLocale));
    return lcid ? lcid : kEnglishUnitedStates;
}

QString userLocaleNameFor(const QByteArray& posixLocale) {
    if (isPosixDefault(posixLocale))
        return QStringLiteral("en-US");
    const LocaleParts parts = parseLocale(posixLocale);
    if (parts.language.isEmpty() || parts.country.isEmpty())
        return QStringLiteral("xx");
    // A well-formed name that the table of known locales does not hold (no identifier, or only
    // the language's neutral one, whose sublanguage bits are zero) is as unknown as garbage.
    if (const quint32 lcid = windowsLanguageId(parts); (lcid & 0xFC00) == 0)
        return QStringLiteral("xx");
    return QString::fromLatin1(parts.language + '-' + parts.country);
}

QString UserLocaleName() {
    // Worked out once; safe to call from any thread afterwards.
    static const QString name = userLocaleNameFor(messagesLocale());
    return name;
}

QString LoadLanguage(const QString& languageFolder, const QString& requestedFile,
                     quint32 uiLanguageId) {
    LanguageState state;
    state.LanguageFolder = languageFolder;
    const auto done = [&](QString error = QString()) {
        setActiveLanguage(state);
        return error;
    };
    if (!QFileInfo(languageFolder).isDir())
        return done();

    const QDir folder(languageFolder);
    for (const QFileInfo& entry :
         folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted))
        if (endsWithLangTxt(entry.fileName()))
            state.LanguageFiles.append(entry.fileName());

    QString name = trimControls(requestedFile).toString();
    const QString table = languageFolder + QStringLiteral("/LanguageCodes.csv");
    if (name.isEmpty() && QFileInfo::exists(table)) {
        // An unreadable table is an empty one.
        const RegularFileRead read = readRegularFile(table, kMaxLanguageFileBytes);
        const QString id = QString::number(uiLanguageId);
        QString wanted;
        for (const QString& line : lines(decodeTable(read.bytes))) {
            const qsizetype comma = line.indexOf(u',');
            if (comma >= 0 && trimControls(QStringView(line).first(comma)) == id) {
                wanted = trimControls(QStringView(line).sliced(comma + 1)).toString();
                break;
            }
        }
        if (!wanted.isEmpty())
            for (const QString& file : std::as_const(state.LanguageFiles))
                if (asciiLower(file) == asciiLower(wanted)) {
                    name = file;
                    break;
                }
    }

    // Only a file of the folder itself: a stored name cannot point elsewhere.
    if (name.isEmpty() || name.contains(u'/'))
        return done();
    const QString path = languageFolder + u'/' + name;
    // Anything but a folder counts as the file; what is not a regular file fails to read below.
    if (const QFileInfo info(path); !info.exists() || info.isDir())
        return done();
    const qsizetype stem = name.indexOf(QLatin1String(".lang.txt"));
    state.ActiveLanguageName = stem < 0 ? QString() : name.left(stem);
    state.ActiveLanguagePath = path;
    const RegularFileRead read = readRegularFile(path, kMaxLanguageFileBytes);
    if (!read.ok()) {
        QString reason = read.reason;
        return done(QStringLiteral("Cannot read file \"%1\". %2").arg(path, reason));
    }
    state.ActiveLanguageLines = lines(decodeLanguageFile(read.bytes));
    return done();
}
