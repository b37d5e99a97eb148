// A language file as any bytes: every text the windows look up comes back as one line of
// text, never empty; a format key keeps its argument only where the translation has "%s";
// the translator credit splits into trimmed names.

#include "fuzzinput.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"
#include "i18n/translatorcredit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    LanguageState state;
    state.ActiveLanguagePath = QStringLiteral("/fuzz/Fuzz.lang.txt");
    state.ActiveLanguageLines = languageFileLines(bytes);
    for (const QString& line : std::as_const(state.ActiveLanguageLines))
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'), "a line holds a break");
    setActiveLanguage(state);

    static const QStringList keys = TranslationKeys::all();
    for (const QString& key : keys) {
        const QString text = Translate(key);
        FUZZ_CHECK(!text.isEmpty(), "%s translates to nothing", qPrintable(key));
        FUZZ_CHECK(!text.contains(u'\r') && !text.contains(u'\n'), "%s: a break in %s",
                   qPrintable(key), fuzzShow(text).constData());
        if (key.contains(QLatin1String("%s"))) {
            // The argument goes in once where the translation has "%s", else nowhere.
            const qsizetype grows = TranslateFormat(key, QStringLiteral("ab")).size() -
                                    TranslateFormat(key, QStringLiteral("a")).size();
            FUZZ_CHECK(grows == (text.contains(QLatin1String("%s")) ? 1 : 0),
                       "%s: argument lost or repeated in %s", qPrintable(key),
                       fuzzShow(text).constData());
        }
    }

    const QString credit = translatorCredit(state.ActiveLanguageLines);
    for (const QString& name : creditLines(credit)) {
        FUZZ_CHECK(!name.contains(u','), "a name holds the separator");
        FUZZ_CHECK(name.isEmpty() || (name.front().unicode() > 32 && name.back().unicode() > 32),
                   "untrimmed name %s", fuzzShow(name).constData());
    }
    setActiveLanguage(LanguageState());
    return 0;
}
