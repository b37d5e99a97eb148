#include "i18n/translate.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

LanguageState withLines(const QString& path, const QStringList& lines) {
    LanguageState state;
    state.ActiveLanguagePath = path;
    state.ActiveLanguageLines = lines;
    return state;
}

// Loads a language for the duration of one test and unloads it afterwards.
class TranslateTest : public ::testing::Test {
protected:
    void load(const QStringList& lines) {
        setActiveLanguage(withLines("/langs/Test.lang.txt", lines));
    }
    void TearDown() override { setActiveLanguage({}); }
};

TEST_F(TranslateTest, NoLanguageLoadedGivesTheKey) {
    EXPECT_EQ(Translate("WARNING"), "WARNING");
    // Lines without a path do not count as a loaded language.
    setActiveLanguage(withLines(QString(), {"{WARNING}UYARI"}));
    EXPECT_EQ(Translate("WARNING"), "WARNING");
}

TEST_F(TranslateTest, LookupRules) {
    load({
        "A note line that matches nothing",
        "",
        "{OK}",
        "{OK}Tamam",
        " {ERROR}HATA",
        "{Yes}Evet  ",
        "{Restart Application?}Uygulama yeniden başlatılsın mı?",
        "{Restart Application?}second entry never reached",
        "{About %s}%s Hakkında",
        "{No}Hayır}",
    });
    struct Case {
        const char* key;
        QString expected;
    };
    const Case cases[] = {
        {"OK", "OK"},       // the first line wins, and it has no translation
        {"ERROR", "ERROR"}, // a line that starts with a space never matches
        {"ok", "ok"},       // keys compare with letter case
        {"Yes", "Evet  "},  // trailing spaces belong to the translation
        {"Restart Application?", QStringLiteral("Uygulama yeniden başlatılsın mı?")},
        {"About %s", "%s Hakkında"}, // format keys keep their place holder
        {"No", "Hayır}"},            // only the first "}" ends the key
        {"Restart", "Restart"},      // a prefix of a key is not the key
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Translate(QString::fromUtf8(c.key)), c.expected) << c.key;
}

TEST_F(TranslateTest, AFormatKeyIsFormattedAfterTranslation) {
    EXPECT_EQ(TranslateFormat("About %s", "Brevane"), "About Brevane");
    load({"{About %s}%s hakk\u0131nda"});
    EXPECT_EQ(TranslateFormat("About %s", "Brevane"), QStringLiteral("Brevane hakk\u0131nda"));
    EXPECT_EQ(TranslateFormat("About %s", "50%s"), QStringLiteral("50%s hakk\u0131nda"));
}

} // namespace
