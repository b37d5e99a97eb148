#include "i18n/translate.h"

namespace {
LanguageState& state() {
    static LanguageState s;
    return s;
}
} // namespace

const LanguageState& activeLanguage() {
    return state();
}

void setActiveLanguage(LanguageState s) {
    state() = std::move(s);
}

QString Translate(const QString& key) {
    const LanguageState& lang = state();
    if (lang.ActiveLanguagePath.isEmpty())
        return key;
    const QString prefix = QLatin1Char('{') + key + QLatin1Char('}');
    for (const QString& line : lang.ActiveLanguageLines) {
        if (!line.startsWith(prefix, Qt::CaseSensitive))
            continue;
        // Everything after the line's first "}" is the translation (the key holds no "}").
        const QString rest = line.mid(line.indexOf(QLatin1Char('}')) + 1);
        return rest.isEmpty() ? key : rest;
    }
    return key;
}

QString TranslateFormat(const QString& key, const QString& argument) {
    QString text = Translate(key);
    const qsizetype at = text.indexOf(QLatin1String("%s"));
    // Only the first "%s" is the argument; an argument holding "%s" stays as it is.
    return at < 0 ? text : text.replace(at, 2, argument);
}
