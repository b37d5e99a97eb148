#include "i18n/ttranslateform.h"

#include "app/startupvalues.h"
#include "base/messageboxservice.h"
#include "i18n/languageicons.h"
#include "i18n/restartscript.h"
#include "i18n/translate.h"
#include "i18n/translatorcredit.h"
#include "support/appformfixture.h"
#include "support/files.h"
#include "support/qtprinters.h"
#include "support/recordingmessageboxservice.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

namespace {

// A language window over a temporary language folder and settings folder; what it hands to
// the program around it (the chosen file, scripts started, pages opened, the end) is recorded.
class LanguageWindow : public ::testing::Test {
protected:
    LanguageWindow() {
        languageFolder = tmp.path() + "/Languages";
        settingsFolder = tmp.path() + "/settings/";
        QDir().mkpath(languageFolder);
        QDir().mkpath(settingsFolder);
    }
    ~LanguageWindow() override { setActiveLanguage({}); }

    // A file in the folder, listed as the start-up scan would list it.
    void addFile(const QString& name, const QByteArray& bytes) {
        writeBytes(languageFolder + "/" + name, bytes);
        files << name;
    }
    // The state start-up leaves: the files found and, when given, the one loaded.
    void setState(const QString& loadedFile = QString()) {
        LanguageState state;
        state.LanguageFolder = languageFolder;
        state.LanguageFiles = files;
        if (!loadedFile.isEmpty()) {
            state.ActiveLanguagePath = languageFolder + "/" + loadedFile;
            state.ActiveLanguageLines = languageFileLines(readBytes(state.ActiveLanguagePath));
            state.ActiveLanguageName = loadedFile.left(loadedFile.indexOf(".lang.txt"));
        }
        setActiveLanguage(state);
    }
    TTranslateForm& open() {
        TranslateFormContext context;
        context.settingsFolder = settingsFolder;
        context.programFile = "/opt/brevane/bin/brevane";
        context.messages = &messages;
        context.translationPage = QUrl("https://127.0.0.1:9/translation/");
        context.openUrl = [this](const QUrl& url) { opened << url; };
        context.startScript = [this](const QString& script) {
            // The script is complete by the time it is started.
            scriptAtStart = readBytes(script);
            started << script;
            return true;
        };
        context.terminate = [this] { ++terminations; };
        context.setLanguageFile = [this](const QString& name) {
            chosen << name;
            scriptExistedWhenChosen = QFile::exists(settingsFolder + "start.sh");
        };
        form = std::make_unique<TTranslateForm>(std::move(context));
        form->show();
        return *form;
    }
    QStringList entries() const {
        QStringList texts;
        for (int i = 0; i < form->ComboBox1->count(); ++i)
            texts << form->ComboBox1->itemText(i);
        return texts;
    }
    // Picks an entry as the user would; the credit box follows.
    void choose(const QString& entry) {
        const int index =
            form->ComboBox1->findText(entry, Qt::MatchExactly | Qt::MatchCaseSensitive);
        ASSERT_GE(index, 0) << entry.toStdString();
        form->ComboBox1->setCurrentIndex(index);
    }

    QTemporaryDir tmp;
    QString languageFolder, settingsFolder;
    QStringList files;
    RecordingMessageBoxService messages;
    std::unique_ptr<TTranslateForm> form;
    QList<QUrl> opened;
    QStringList started, chosen;
    QByteArray scriptAtStart;
    bool scriptExistedWhenChosen = false;
    int terminations = 0;
};

TEST_F(LanguageWindow, WithoutLanguageFilesOnlyEnglishAndOkClosesAtOnce) {
    setState();
    TTranslateForm& w = open();
    EXPECT_EQ(entries(), QStringList{"English"});
    EXPECT_EQ(w.ComboBox1->itemIcon(0).cacheKey(), languageIcon("english").cacheKey());
    EXPECT_EQ(w.RichEdit1->toPlainText(), "Tarnick");
    EXPECT_EQ(w.OpeningLanguage, "English");
    EXPECT_EQ(w.windowTitle(), "Language");
    EXPECT_EQ(w.Label1->text(), "User Interface Language:");
    EXPECT_EQ(w.Label2->text(), "Translated by:");
    EXPECT_EQ(w.Button1->text(), "OK");
    EXPECT_TRUE(w.Label3->text().contains(">Contribute to Translation<"));
    EXPECT_EQ(w.Label3->toolTip(), "https://127.0.0.1:9/translation/");

    w.Button1->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(terminations, 0);
}

TEST_F(LanguageWindow, EntriesAreSortedWithTheirFlagsAndTheLoadedOneSelected) {
    for (const char* name :
         {"Turkish.lang.txt", "German.lang.txt", "Klingon.lang.txt", "german.lang.txt",
          "Vietnamese.lang.txt", "Notes.lang.txt.lang.txt", "Catalan.lang.txt"})
        addFile(name, "{OK}x\n");
    setState("German.lang.txt");
    TTranslateForm& w = open();

    struct Row {
        const char* entry;
        const char* icon;
    };
    // Names compare exactly: "german" is no row of the flag table.
    const Row expected[] = {
        {"Catalan", "ca"}, {"English", "english"}, {"German", "de"},  {"german", "xx"},
        {"Klingon", "xx"}, {"Notes", "xx"},        {"Turkish", "tr"}, {"Vietnamese", "vi"},
    };
    ASSERT_EQ(w.ComboBox1->count(), int(std::size(expected)));
    for (int i = 0; i < w.ComboBox1->count(); ++i) {
        EXPECT_EQ(w.ComboBox1->itemText(i), expected[i].entry);
        EXPECT_EQ(w.ComboBox1->itemIcon(i).cacheKey(), languageIcon(expected[i].icon).cacheKey())
            << expected[i].entry;
    }
    EXPECT_EQ(w.ComboBox1->currentText(), "German");
    EXPECT_EQ(w.OpeningLanguage, "German");
}

TEST_F(LanguageWindow, FlagPicturesAreBuiltIn) {
    const QImage neutral = languageIcon("xx").pixmap(kFlagSize).toImage();
    ASSERT_FALSE(neutral.isNull());
    for (const QString& name : flagIconNames()) {
        const QImage flag = languageIcon(name).pixmap(kFlagSize).toImage();
        ASSERT_FALSE(flag.isNull()) << name.toStdString();
        EXPECT_EQ(flag.size(), kFlagSize) << name.toStdString();
        // Only Abkhazian has no flag of its own in the collection.
        if (name != "xx" && name != "ab") {
            EXPECT_NE(flag, neutral) << name.toStdString();
        }
    }
    EXPECT_NE(languageIcon("de").pixmap(kFlagSize).toImage(),
              languageIcon("english").pixmap(kFlagSize).toImage());
    EXPECT_FALSE(languageIcon("tick_button").pixmap(16).isNull());
    EXPECT_FALSE(languageIcon("copy").pixmap(16).isNull());
}

TEST_F(LanguageWindow, ANameWithoutTheSuffixIsAnEmptyEntryAndEnglishStaysSelected) {
    addFile("Germanlang.txt", "{INFO:Translated By}Nobody\n");
    setState();
    TTranslateForm& w = open();
    EXPECT_EQ(entries(), QStringList({"", "English"}));
    EXPECT_EQ(w.ComboBox1->itemIcon(0).cacheKey(), languageIcon("xx").cacheKey());
    EXPECT_EQ(w.ComboBox1->currentText(), "English");
    EXPECT_EQ(w.RichEdit1->toPlainText(), "Tarnick");
}

TEST_F(LanguageWindow, CreditBoxShowsOneTrimmedNamePerLine) {
    struct Case {
        const char* language;
        QByteArray file;
        QString shown;
    };
    const Case cases[] = {
        {"Spanish", "{OK}Aceptar\n{INFO:Translated By} Ana Sánchez ,\t Bo Li  \n",
         QStringLiteral("Ana Sánchez\nBo Li")},
        {"Dutch", "{OK}OK\n", "INFO:Translated By"},                     // no credit line: the key
        {"Polish", "{INFO:Translated By}\n{INFO:Translated By}X\n", ""}, // the first line counts
        {"Greek", " {INFO:Translated By}X\n{info:translated by}Y\n", "INFO:Translated By"},
        {"Hebrew", "\xEF\xBB\xBF{INFO:Translated By}A}B,,C\r{OK}x\r\n", "A}B\n\nC"},
        {"Korean", "{INFO:Translated By}\xC3\x28\n", QStringLiteral("\uFFFD(")},
        {"Persian",
         "{INFO:Translated By}\x01"
         "Dana\x7F\x1F\n",
         QStringLiteral("Dana\x7F")},
    };
    for (const Case& c : cases)
        addFile(QString(c.language) + ".lang.txt", c.file);
    files << "Missing.lang.txt"; // listed at start-up, gone since
    ASSERT_EQ(mkfifo(QFile::encodeName(languageFolder + "/Pipe.lang.txt").constData(), 0600), 0);
    files << "Pipe.lang.txt";
    setState();
    open();

    for (const Case& c : cases) {
        choose(c.language);
        EXPECT_EQ(form->RichEdit1->toPlainText(), c.shown) << c.language;
    }
    // Files that cannot be read empty the box, without a message and without waiting on a FIFO.
    for (const char* unreadable : {"Missing", "Pipe"}) {
        choose("Spanish");
        choose(unreadable);
        EXPECT_EQ(form->RichEdit1->toPlainText(), "") << unreadable;
    }
    choose("English");
    EXPECT_EQ(form->RichEdit1->toPlainText(), "Tarnick");
    EXPECT_TRUE(messages.shown.isEmpty());
}

// Only spaces and control characters are trimmed; other blanks belong to the name.
TEST(TranslatorCredit, Lines) {
    EXPECT_EQ(creditLines(QStringLiteral("\u00A0Dana\u00A0, \u3000Kim\t")),
              QStringList({QStringLiteral("\u00A0Dana\u00A0"), QStringLiteral("\u3000Kim")}));
    EXPECT_EQ(creditLines(" , "), QStringList({"", ""}));
    EXPECT_EQ(creditLines(""), QStringList());
    EXPECT_EQ(languageFileLines("a\r\rb\r\n\nc"), QStringList({"a", "", "b", "", "c"}));
    EXPECT_EQ(languageFileLines("\xEF\xBB\xBF\xEF\xBB\xBFx\n"),
              QStringList{QStringLiteral("\uFEFFx")}); // only the first mark is skipped
}

TEST_F(LanguageWindow, AnotherLanguageAsksAndNoKeepsTheWindowOpen) {
    addFile("German.lang.txt", "{OK}OK\n");
    setState();
    TTranslateForm& w = open();
    choose("German");
    messages.answers = {MessageButton::No, MessageButton::None}; // No, then Escape
    w.Button1Click();
    ASSERT_EQ(messages.shown.size(), 1);
    expectRestartQuestion(messages.shown[0]);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.ComboBox1->currentText(), "German");

    w.Button1Click();
    EXPECT_EQ(messages.shown.size(), 2);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(terminations, 0);
    EXPECT_FALSE(QFile::exists(settingsFolder + "start.sh"));
}

TEST_F(LanguageWindow, TheOpeningEntryClosesWithoutAskingEvenAfterOthers) {
    addFile("German.lang.txt", "{OK}OK\n");
    addFile("Turkish.lang.txt", "{OK}Tamam\n");
    setState("German.lang.txt");
    TTranslateForm& w = open();
    choose("English");
    choose("Turkish");
    choose("German");
    w.Button1Click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(chosen.isEmpty());
}

TEST_F(LanguageWindow, YesKeepsTheChoiceWritesTheScriptStartsItAndEnds) {
    struct Case {
        const char* loaded; // empty: English in force
        const char* choice;
        const char* kept;
    };
    const Case cases[] = {
        {"", "German", "German.lang.txt"},
        {"German.lang.txt", "English", "English"},
    };
    for (const Case& c : cases) {
        files.clear();
        chosen.clear();
        started.clear();
        terminations = 0;
        QFile::remove(settingsFolder + "start.sh");
        addFile("German.lang.txt", "{OK}OK\n");
        setState(c.loaded);
        TTranslateForm& w = open();
        choose(c.choice);
        messages.answers = {MessageButton::Yes};
        w.Button1Click();

        EXPECT_EQ(chosen, QStringList{c.kept});
        // Kept only once the script that brings the new language in is there.
        EXPECT_TRUE(scriptExistedWhenChosen);
        EXPECT_EQ(started, QStringList{settingsFolder + "start.sh"});
        EXPECT_EQ(scriptAtStart, restartScript("/opt/brevane/bin/brevane"));
        EXPECT_EQ(terminations, 1);
        EXPECT_FALSE(w.isVisible());
    }
}

TEST_F(LanguageWindow, AScriptThatCannotBeWrittenIsReportedAndTheWindowStays) {
    writeBytes(tmp.path() + "/plain", "not a folder");
    settingsFolder = tmp.path() + "/plain/settings/";
    addFile("German.lang.txt", "{OK}OK\n");
    setState();
    TTranslateForm& w = open();
    choose("German");
    messages.answers = {MessageButton::Yes};
    w.Button1Click();

    ASSERT_EQ(messages.shown.size(), 2);
    const MessageRequest& error = messages.shown[1];
    EXPECT_EQ(error.icon, MessageIcon::Error);
    EXPECT_EQ(error.caption, "ERROR");
    EXPECT_TRUE(error.text.contains(settingsFolder + "start.sh")) << error.text.toStdString();
    EXPECT_TRUE(error.text.contains(qt_error_string(ENOTDIR))) << error.text.toStdString();
    EXPECT_EQ(error.buttons, QList<MessageButton>{MessageButton::Ok});
    // No restart, so the next start keeps the language this one runs in.
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(terminations, 0);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(LanguageWindow, EscapeClosesWithoutAsking) {
    addFile("German.lang.txt", "{OK}OK\n");
    setState();
    for (int which = 0; which < 3; ++which) {
        TTranslateForm& w = open();
        choose("German");
        QWidget* const controls[] = {w.ComboBox1, w.Button1, w.RichEdit1};
        QTest::keyClick(controls[which], Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible()) << controls[which]->objectName().toStdString();
        EXPECT_EQ(w.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(chosen.isEmpty());
}

TEST_F(LanguageWindow, CopyAndSelectAllInTheCreditBox) {
    addFile("German.lang.txt", "{INFO:Translated By}Anna, Bernd\n");
    setState("German.lang.txt");
    TTranslateForm& w = open();
    EXPECT_EQ(w.PopupMenu1->actions(), QList<QAction*>({w.Copy1, w.SelectAll1}));
    EXPECT_FALSE(w.Copy1->icon().isNull());

    QGuiApplication::clipboard()->setText("before");
    w.Copy1->trigger(); // nothing selected: nothing copied
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    w.SelectAll1->trigger();
    w.Copy1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Anna\nBernd");
}

TEST_F(LanguageWindow, ContributeOpensTheGivenPageAndTheWindowStays) {
    setState();
    TTranslateForm& w = open();
    emit w.Label3->linkActivated("translation");
    EXPECT_EQ(opened, QList<QUrl>{QUrl("https://127.0.0.1:9/translation/")});
    EXPECT_TRUE(w.isVisible());
}

TEST_F(LanguageWindow, CaptionsAreTranslated) {
    addFile("Turkish.lang.txt", "{Language}Dil\n"
                                "{User Interface Language:}Arayüz dili:\n"
                                "{Translated by:}Çeviren:\n"
                                "{OK}Tamam\n"
                                "{Contribute to Translation}Çeviriye <katkı> & destek\n"
                                "{Copy}Kopyala\n"
                                "{Select All}Tümünü Seç\n"
                                "{Restart Application?}Yeniden başlatılsın mı?\n"
                                "{Confirmation}Onay\n"
                                "{Yes}Evet\n"
                                "{No}Hayır\n"
                                "{INFO:Translated By}Ayşe\n");
    setState("Turkish.lang.txt");
    TTranslateForm& w = open();
    EXPECT_EQ(w.windowTitle(), "Dil");
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Arayüz dili:"));
    EXPECT_EQ(w.Label2->text(), QStringLiteral("Çeviren:"));
    EXPECT_EQ(w.Button1->text(), "Tamam");
    EXPECT_TRUE(w.Label3->text().contains(QStringLiteral(">Çeviriye &lt;katkı&gt; &amp; destek<")))
        << w.Label3->text().toStdString();
    EXPECT_EQ(w.Copy1->text(), "Kopyala");
    EXPECT_EQ(w.SelectAll1->text(), QStringLiteral("Tümünü Seç"));
    EXPECT_EQ(w.RichEdit1->toPlainText(), QStringLiteral("Ayşe"));

    choose("English");
    w.Button1Click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].caption, "Onay");
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Yeniden başlatılsın mı?"));
    EXPECT_EQ(messages.shown[0].buttonCaptions, QStringList({"Evet", QStringLiteral("Hayır")}));
}

// Long captions grow the window instead of being cut: its one fixed size gives every control
// the room it asks for.
TEST_F(LanguageWindow, TheSmallestWindowHoldsEveryControl) {
    addFile("Long.lang.txt", "{User Interface Language:}A much longer caption for the language\n"
                             "{Contribute to Translation}Help to translate this program into "
                             "your own language\n"
                             "{OK}Confirm the choice\n");
    for (const QString& loaded : {QString(), QStringLiteral("Long.lang.txt")}) {
        setState(loaded);
        TTranslateForm& w = open();
        EXPECT_GE(w.width(), 622);
        EXPECT_GE(w.height(), 227);
        // A fixed border: the user cannot resize it.
        EXPECT_EQ(w.minimumSize(), w.maximumSize());
        EXPECT_EQ(w.size(), w.minimumSize());
        w.resize(w.minimumSize());
        QApplication::processEvents();
        for (QWidget* control : std::initializer_list<QWidget*>{
                 w.Label1, w.Label2, w.Label3, w.ComboBox1, w.RichEdit1, w.Button1}) {
            const QRect inWindow(control->mapTo(&w, QPoint(0, 0)), control->size());
            EXPECT_TRUE(w.rect().contains(inWindow)) << control->objectName().toStdString();
            EXPECT_GE(control->width(), control->minimumSizeHint().width())
                << control->objectName().toStdString();
            EXPECT_GE(control->height(), control->minimumSizeHint().height())
                << control->objectName().toStdString();
        }
        for (QLabel* label : {w.Label1, w.Label2, w.Label3})
            EXPECT_GE(label->width(), label->sizeHint().width())
                << label->objectName().toStdString();
        EXPECT_GE(w.Button1->width(), w.Button1->sizeHint().width());
        EXPECT_GE(w.ComboBox1->width(), 355);
    }
}

// The main window's Help > Language... item, with the window driven as the user would.
class MainWindowLanguage : public AppFormFixture {
protected:
    TAppForm& createForm() {
        AppEnvironment env = environment();
        env.startScript = [this](const QString& script) {
            scripts << script;
            return true;
        };
        env.openUrl = [this](const QUrl& url) {
            opened << url;
            return true;
        };
        form = std::make_unique<TAppForm>(std::move(env));
        form->FormCreate();
        form->createSendLaterWindow();
        // What start-up found: a German file beside the program.
        const QString folder = programFolder + "/Languages";
        QDir().mkpath(folder);
        writeBytes(folder + "/German.lang.txt", "{OK}OK\n");
        LanguageState state;
        state.LanguageFolder = folder;
        state.LanguageFiles = {"German.lang.txt"};
        setActiveLanguage(state);
        return *form;
    }
    ~MainWindowLanguage() override { setActiveLanguage({}); }

    // Triggers Language1 and runs `drive` on the modal window once it is up.
    void openLanguageWindow(const std::function<void(TTranslateForm&)>& drive) {
        bool seen = false;
        QTimer::singleShot(0, form.get(), [&] {
            auto* w = qobject_cast<TTranslateForm*>(QApplication::activeModalWidget());
            if (!w)
                return;
            seen = true;
            EXPECT_TRUE(w->isModal());
            drive(*w);
            if (w->isVisible())
                w->reject();
        });
        // Should the window not be found, it must not hang the suite.
        QTimer::singleShot(10000, form.get(), [] {
            if (QWidget* w = QApplication::activeModalWidget())
                w->close();
        });
        ASSERT_TRUE(form->Language1->isVisible());
        form->Language1->trigger();
        EXPECT_TRUE(seen);
    }

    QStringList scripts;
    QList<QUrl> opened;
};

TEST_F(MainWindowLanguage, ChoosingGermanKeepsItInTheSettingsAndRestarts) {
    createForm();
    messages.answers = {MessageButton::Yes};
    openLanguageWindow([](TTranslateForm& w) {
        w.ComboBox1->setCurrentIndex(w.ComboBox1->findText("German"));
        w.Button1Click();
    });
    EXPECT_TRUE(readSettingsFile().contains("LanguageFile=German.lang.txt"))
        << readSettingsFile().toStdString();
    const QString script = startupValues().SettingsFolder + "start.sh";
    EXPECT_EQ(scripts, QStringList{script});
    EXPECT_EQ(readBytes(script), restartScript(form->environment().programFile));
    EXPECT_EQ(terminations, 1);
}

// A start.sh that cannot be replaced (here a folder of that name) stops the restart; the
// stored language must not change, or the next start would switch to it anyway.
TEST_F(MainWindowLanguage, AFailedRestartKeepsTheStoredLanguage) {
    createForm();
    const QString script = startupValues().SettingsFolder + "start.sh";
    ASSERT_TRUE(QDir().mkpath(script + "/in-the-way"));
    messages.answers = {MessageButton::Yes};
    openLanguageWindow([](TTranslateForm& w) {
        w.ComboBox1->setCurrentIndex(w.ComboBox1->findText("German"));
        w.Button1Click();
        EXPECT_TRUE(w.isVisible());
    });
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1].icon, MessageIcon::Error);
    EXPECT_FALSE(readSettingsFile().contains("LanguageFile")) << readSettingsFile().toStdString();
    EXPECT_TRUE(scripts.isEmpty());
    EXPECT_EQ(terminations, 0);
}

TEST_F(MainWindowLanguage, TheTranslationPageIsOnTheWebHostElseInTheBundledHelp) {
    createForm();
    const QByteArray saved = qgetenv("BREVANE_WEB_HOST");
    const bool wasSet = qEnvironmentVariableIsSet("BREVANE_WEB_HOST");

    qputenv("BREVANE_WEB_HOST", "127.0.0.1:8080");
    openLanguageWindow([](TTranslateForm& w) { w.Label3Click(); });
    qunsetenv("BREVANE_WEB_HOST");
    openLanguageWindow([](TTranslateForm& w) { w.Label3Click(); });
    if (wasSet)
        qputenv("BREVANE_WEB_HOST", saved);

    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QUrl("http://127.0.0.1:8080/translation/"));
    // Without the variable the build's own host counts; a build without one opens the help.
    if (const QString builtIn = QStringLiteral(BREVANE_WEB_HOST); !builtIn.isEmpty()) {
        EXPECT_EQ(opened[1], QUrl("https://" + builtIn + "/translation/"));
    } else {
        EXPECT_TRUE(opened[1].isLocalFile()) << opened[1].toString().toStdString();
        EXPECT_TRUE(opened[1].path().endsWith("/help/translation.html"));
    }
    EXPECT_TRUE(scripts.isEmpty());
    EXPECT_EQ(terminations, 0);
}

} // namespace
