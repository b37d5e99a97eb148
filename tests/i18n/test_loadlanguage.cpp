#include "i18n/loadlanguage.h"
#include "i18n/translate.h"
#include "support/files.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QMap>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Locale names as they come from the environment; none of them needs to be installed.
TEST(Locale, LanguageIdentifierAndLocaleNameOfAPosixLocale) {
    const struct {
        QByteArray locale;
        quint32 id;
        QString name;
    } cases[] = {
        {"de_DE.UTF-8", 1031, "de-DE"},
        {"pt_BR", 1046, "pt-BR"},
        {"zh_CN.UTF-8", 2052, "zh-CN"},
        {"sr_RS@latin", 9242, "sr-RS"},
        {"de_AT.ISO-8859-1@euro", 3079, "de-AT"},
        {"de", 7, "xx"}, // a language alone: its neutral identifier, but no country
        {"C", 1033, "en-US"},
        {"POSIX", 1033, "en-US"},
        {"C.UTF-8", 1033, "en-US"},
        {"", 1033, "en-US"},
        {"garbage!", 1033, "xx"},
        {"xx_YY", 1033, "xx"}, // well formed, but no such locale
        {"en_XX", 9, "xx"}, // a known language in no such country: its neutral identifier
        {"fr_CA", 3084, "fr-CA"},
        {"EN_us", 1033, "xx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(uiLanguageIdFor(c.locale), c.id) << c.locale.constData();
        EXPECT_EQ(userLocaleNameFor(c.locale), c.name) << c.locale.constData();
    }
}

TEST(Locale, TheMessagesLocaleComesFromLanguageThenLcAllLcMessagesLang) {
    const struct {
        QMap<QByteArray, QByteArray> env;
        QByteArray expected;
    } cases[] = {
        {{{"LANGUAGE", "fr:de"}, {"LC_ALL", "es_ES"}, {"LANG", "it_IT"}}, "fr"},
        {{{"LANGUAGE", ":de"}, {"LANG", "it_IT"}}, "de"},
        {{{"LANGUAGE", ""}, {"LC_ALL", "es_ES"}, {"LC_MESSAGES", "nl_NL"}}, "es_ES"},
        {{{"LC_MESSAGES", "nl_NL"}, {"LANG", "it_IT"}}, "nl_NL"},
        {{{"LANG", "it_IT.UTF-8"}}, "it_IT.UTF-8"},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(messagesLocale([&](const char* name) { return c.env.value(name); }), c.expected);
}

TEST(LanguageFolder, BesideTheProgramElseTheInstalledCopy) {
    QTemporaryDir tmp;
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("usr/bin")));
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("usr/share/brevane/Languages")));
    EXPECT_EQ(findLanguageFolder(tmp.filePath("usr/bin")),
              tmp.filePath("usr/share/brevane/Languages"));
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("usr/bin/Languages")));
    EXPECT_EQ(findLanguageFolder(tmp.filePath("usr/bin")), tmp.filePath("usr/bin/Languages"));
    EXPECT_EQ(findLanguageFolder(tmp.filePath("none")), tmp.filePath("none/Languages"));
}

class LoadLanguageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }
    void TearDown() override { setActiveLanguage({}); }
    QString folder() const { return tmp.filePath("Languages"); }
    void file(const QString& name, const QByteArray& bytes) const {
        writeBytes(folder() + "/" + name, bytes);
    }

    QTemporaryDir tmp;
};

// Each row: the folder's files, the table, the identifier and what is loaded.
TEST_F(LoadLanguageTest, TheTableChoosesAFileOfTheFolder) {
    const QByteArray german = "\xEF\xBB\xBFGerman\r\n{ERROR}FEHLER\r\n";
    const struct {
        const char* what;
        QMap<QString, QByteArray> files;
        QString requested;
        quint32 id;
        QString path;
        QString name;
    } cases[] = {
        {"no table: nothing is loaded", {{"German.lang.txt", german}}, "", 1031, "", ""},
        {"the table's file, matched without letter case",
         {{"german.lang.txt", german}, {"LanguageCodes.csv", "1031,German.lang.txt\n"}},
         "",
         1031,
         "german.lang.txt",
         "german"},
        {"spaces around both parts, and the upper of two lines",
         {{"German.lang.txt", german},
          {"French.lang.txt", "{ERROR}ERREUR"},
          {"LanguageCodes.csv", "id,file\r\n 1031 , German.lang.txt \r\n1031,French.lang.txt\r\n"}},
         "",
         1031,
         "German.lang.txt",
         "German"},
        {"no line for the identifier",
         {{"German.lang.txt", german}, {"LanguageCodes.csv", "1031,German.lang.txt"}},
         "",
         1036,
         "",
         ""},
        {"a line naming a missing file",
         {{"LanguageCodes.csv", "1031,German.lang.txt"}},
         "",
         1031,
         "",
         ""},
        {"another case of the ending: loaded, with no name",
         {{"German.LANG.TXT", german}, {"LanguageCodes.csv", "1031,German.lang.txt"}},
         "",
         1031,
         "German.LANG.TXT",
         ""},
        {"no dot before lang.txt: found and loadable",
         {{"Germanlang.txt", german}},
         "Germanlang.txt",
         1033,
         "Germanlang.txt",
         ""},
        {"the stored choice wins over the table",
         {{"German.lang.txt", german},
          {"French.lang.txt", "{ERROR}ERREUR"},
          {"LanguageCodes.csv", "1031,German.lang.txt"}},
         " French.lang.txt ",
         1031,
         "French.lang.txt",
         "French"},
        {"English chosen: nothing is loaded",
         {{"German.lang.txt", german}, {"LanguageCodes.csv", "1031,German.lang.txt"}},
         "English",
         1031,
         "",
         ""},
        {"a name outside the folder is not followed",
         {{"LanguageCodes.csv", "1031,../German.lang.txt"}},
         "",
         1031,
         "",
         ""},
        {"a table in UTF-16 with its mark",
         {{"German.lang.txt", german},
          {"LanguageCodes.csv",
           QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)
               .encode(QStringLiteral("1031,German.lang.txt\r\n"))}},
         "",
         1031,
         "German.lang.txt",
         "German"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        for (auto it = c.files.cbegin(); it != c.files.cend(); ++it)
            file(it.key(), it.value());
        EXPECT_EQ(LoadLanguage(folder(), c.requested, c.id), "");
        const LanguageState& state = activeLanguage();
        EXPECT_EQ(state.ActiveLanguagePath, c.path.isEmpty() ? "" : folder() + "/" + c.path);
        EXPECT_EQ(state.ActiveLanguageName, c.name);
        EXPECT_EQ(state.LanguageFolder, folder());
        if (!c.path.isEmpty()) {
            EXPECT_NE(Translate("ERROR"), "ERROR");
        }
    }
}

TEST_F(LoadLanguageTest, TheScanAndTheFileFormat) {
    file("German.lang.txt", "\xEF\xBB\xBF{OK}Gut\r\n\r\n{Yes}Ja\n{No}Nein\r{Copy}Kopieren \xFF");
    file(".Hidden.lang.txt", "");
    file("notes.txt", "");
    ASSERT_TRUE(QDir().mkpath(folder() + "/Folder.lang.txt"));
    EXPECT_EQ(LoadLanguage(folder(), "German.lang.txt", 1033), "");
    QStringList found = activeLanguage().LanguageFiles;
    found.sort();
    EXPECT_EQ(found, QStringList({".Hidden.lang.txt", "German.lang.txt"}));
    EXPECT_EQ(activeLanguage().ActiveLanguageLines,
              QStringList(
                  {"{OK}Gut", "", "{Yes}Ja", "{No}Nein", QStringLiteral("{Copy}Kopieren \ufffd")}));
    EXPECT_EQ(Translate("No"), "Nein");

    // No folder at all: nothing found, nothing loaded.
    EXPECT_EQ(LoadLanguage(tmp.filePath("missing"), "German.lang.txt", 1031), "");
    EXPECT_TRUE(activeLanguage().LanguageFiles.isEmpty());
    EXPECT_TRUE(activeLanguage().ActiveLanguagePath.isEmpty());
}

// A chosen file that cannot be read is said, counts as loaded, and translates nothing; a FIFO
// in its place must not block start-up.
TEST_F(LoadLanguageTest, AnUnreadableLanguageFileIsReported) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder() + "/German.lang.txt").constData(), 0600), 0);
    file("LanguageCodes.csv", "1031,German.lang.txt");
    EXPECT_EQ(LoadLanguage(folder(), "", 1031),
              "Cannot read file \"" + folder() + "/German.lang.txt\". Not a regular file.");
    EXPECT_EQ(activeLanguage().ActiveLanguagePath, folder() + "/German.lang.txt");
    EXPECT_TRUE(activeLanguage().ActiveLanguageLines.isEmpty());
    EXPECT_EQ(Translate("ERROR"), "ERROR");
}

// The shipped table, end to end: a locale of any country where a shipped language is spoken
// loads that language.
TEST(ShippedLanguages, EveryCountryVariantFindsItsFile) {
    const struct {
        QByteArray locale;
        QString language;
    } cases[] = {
        {"de", "German"},
        {"de_DE.UTF-8", "German"},
        {"de_CH", "German"},
        {"fr_CA.UTF-8", "French"},
        {"fr_BE", "French"},
        {"es_MX", "Spanish"},
        {"es_AR", "Spanish"},
        {"it_CH", "Italian"},
        {"tr_TR", "Turkish"},
        {"nl_BE", "Dutch"},
        {"pl_PL", "Polish"},
        {"pt_BR", "PortugueseBrazil"},
        {"pt_PT", "PortugueseBrazil"},
        {"ru_UA", "Russian"},
        {"uk_UA", "Ukrainian"},
        {"zh_CN.UTF-8", "ChineseSimplified"},
        {"zh_SG", "ChineseSimplified"},
        {"ja_JP", "Japanese"},
        {"ko_KR", "Korean"},
        {"en_US", ""},
        {"C", ""},
        {"zh_TW", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadLanguage(BREVANE_LANGUAGES_DIR, "", uiLanguageIdFor(c.locale)), "");
        EXPECT_EQ(activeLanguage().ActiveLanguageName, c.language) << c.locale.constData();
    }
    setActiveLanguage({});
}

} // namespace
