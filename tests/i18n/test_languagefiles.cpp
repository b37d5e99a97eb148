// The language files and LanguageCodes.csv shipped in Languages/: every file translates every
// key the windows pass to Translate(), and the table maps identifiers to files that exist.
// The checkers are run on small broken files too, so a checker that reports nothing cannot pass
// the shipped files unseen.

#include "i18n/translationkeys.h"

#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <gtest/gtest.h>

#include <functional>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

struct ShippedText {
    QStringList lines;
    QStringList problems;
};

QString problemAt(const QString& file, qsizetype line, const QString& what) {
    return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(what);
}

// The lines of a file written as the shipped files are: UTF-8 with a byte-order mark, every
// line ended by CR LF. Anything else is a problem even where the loader would cope, so that
// every shipped file reads the same in any editor.
ShippedText readShippedText(const QString& file, const QByteArray& bytes) {
    ShippedText out;
    if (!bytes.startsWith(kBom))
        out.problems << problemAt(file, 1, "no UTF-8 byte-order mark");
    const QByteArray body = bytes.startsWith(kBom) ? bytes.mid(kBom.size()) : bytes;
    if (!body.isEmpty() && !body.endsWith("\r\n"))
        out.problems << file + ": the last line does not end with CR LF";
    qsizetype start = 0;
    while (start < body.size()) {
        qsizetype end = body.indexOf("\r\n", start);
        if (end < 0)
            end = body.size();
        const QByteArray raw = body.sliced(start, end - start);
        start = end + 2;
        const qsizetype number = out.lines.size() + 1;
        if (raw.contains('\r') || raw.contains('\n'))
            out.problems << problemAt(file, number, "a line break other than CR LF");
        // A fresh decoder per line, keeping a U+FEFF at a line's start: it would hide a key.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        out.lines << decoder.decode(raw);
        if (decoder.hasError())
            out.problems << problemAt(file, number, "not valid UTF-8");
    }
    return out;
}

// True when `translation` ends with the closing punctuation of `key`, in the Latin or the
// full-width form; a menu item that lost its "..." or a question its "?" reads wrongly.
bool keepsEnding(const QString& key, const QString& translation, QString* ending) {
    struct Ending {
        QString key;
        QStringList accepted;
    };
    static const Ending endings[] = {
        {"...", {"...", QStringLiteral("…")}}, {"?", {"?", QStringLiteral("？")}},
        {"!", {"!", QStringLiteral("！")}},    {":", {":", QStringLiteral("：")}},
        {".", {".", QStringLiteral("。")}},
    };
    for (const Ending& e : endings) {
        if (!key.endsWith(e.key))
            continue;
        *ending = e.key;
        for (const QString& a : e.accepted)
            if (translation.endsWith(a))
                return true;
        return false;
    }
    return true;
}

// Everything wrong with one language file, each problem naming the file and, where there is
// one, the line.
QStringList languageFileProblems(const QString& file, const QByteArray& bytes) {
    ShippedText text = readShippedText(file, bytes);
    QStringList& problems = text.problems;
    if (!file.endsWith(".lang.txt"))
        problems << file + ": the name does not end in \".lang.txt\"";
    const QStringList required = TranslationKeys::all() << TranslationKeys::kTranslatedByInfo;
    QHash<QString, qsizetype> firstLine;
    for (qsizetype i = 0; i < text.lines.size(); ++i) {
        const QString& line = text.lines[i];
        const qsizetype number = i + 1;
        auto problem = [&](const QString& what) { problems << problemAt(file, number, what); };
        if (line.isEmpty())
            continue;
        if (!line.startsWith('{')) {
            if (number != 1)
                problem("not an entry (only the first line may be a note)");
            continue;
        }
        const qsizetype close = line.indexOf('}');
        const QString key = line.mid(1, close - 1);
        const QString translation = line.mid(close + 1);
        const QString braced = '{' + key + '}';
        if (close < 0 || !required.contains(key)) {
            problem("unknown key " + (close < 0 ? line : braced));
            continue;
        }
        if (firstLine.contains(key)) {
            problem(QStringLiteral("%1 again (first on line %2)").arg(braced).arg(firstLine[key]));
            continue;
        }
        firstLine.insert(key, number);
        if (translation.trimmed().isEmpty()) {
            problem("no translation of " + braced);
            continue;
        }
        if (translation != translation.trimmed())
            problem("spaces around the translation of " + braced);
        if (key.contains("%s") && (translation.count("%s") != 1 || translation.count('%') != 1))
            problem("the translation of " + braced + " must hold \"%s\" once and no other \"%\"");
        QString ending;
        if (!keepsEnding(key, translation, &ending))
            problem("the translation of " + braced + " does not end with \"" + ending + "\"");
    }
    for (const QString& key : required)
        if (!firstLine.contains(key))
            problems << file + ": no entry for {" + key + "}";
    return problems;
}

// Everything wrong with LanguageCodes.csv against the language files of its folder.
QStringList codeTableProblems(const QByteArray& bytes, const QStringList& languageFiles) {
    const QString file = "LanguageCodes.csv";
    ShippedText text = readShippedText(file, bytes);
    QStringList& problems = text.problems;
    // The loader compares identifiers as text, so "07" would never match 7.
    static const QRegularExpression row("^([1-9][0-9]*),([^,\\s]+)$");
    QHash<QString, qsizetype> firstLine;
    QSet<QString> named;
    for (qsizetype i = 0; i < text.lines.size(); ++i) {
        const qsizetype number = i + 1;
        auto problem = [&](const QString& what) { problems << problemAt(file, number, what); };
        const QRegularExpressionMatch m = row.match(text.lines[i]);
        if (!m.hasMatch()) {
            problem("not \"identifier,file\"");
            continue;
        }
        const QString id = m.captured(1);
        const QString name = m.captured(2);
        if (id.size() > 5 || id.toUInt() > 0xFFFF)
            problem("identifier " + id + " is above 65535");
        if (firstLine.contains(id))
            problem(QStringLiteral("identifier %1 again (first on line %2)")
                        .arg(id)
                        .arg(firstLine[id]));
        else
            firstLine.insert(id, number);
        if (!languageFiles.contains(name))
            problem("no file " + name + " in the folder");
        named.insert(name);
    }
    for (const QString& name : languageFiles)
        if (!named.contains(name))
            problems << file + ": no line names " + name;
    return problems;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The names the loader finds: it matches "*lang.txt" regardless of letter case.
QStringList shippedLanguageFiles() {
    return QDir(BREVANE_LANGUAGES_DIR).entryList({"*lang.txt"}, QDir::Files, QDir::Name);
}

TEST(ShippedLanguages, EveryFileTranslatesEveryKey) {
    const QStringList files = shippedLanguageFiles();
    ASSERT_FALSE(files.isEmpty()) << "no language files in " BREVANE_LANGUAGES_DIR;
    for (const QString& name : files) {
        const QByteArray bytes = readFile(QDir(BREVANE_LANGUAGES_DIR).filePath(name));
        ASSERT_FALSE(bytes.isEmpty()) << name.toStdString() << " is empty or unreadable";
        const QStringList problems = languageFileProblems(name, bytes);
        EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    }
}

TEST(ShippedLanguages, CodeTableNamesEveryFileAndNoIdentifierTwice) {
    const QByteArray bytes = readFile(BREVANE_LANGUAGES_DIR "/LanguageCodes.csv");
    ASSERT_FALSE(bytes.isEmpty()) << "LanguageCodes.csv is missing, empty or unreadable";
    const QStringList problems = codeTableProblems(bytes, shippedLanguageFiles());
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

// A correct file with the keys the faults below need on fixed lines: the note on line 1, the
// credit on 2, "About %s" on 3, "Restart Application?" on 4, "Acknowledgements..." on 5.
QByteArray wellFormedLanguageFile() {
    const QStringList first = {TranslationKeys::kAbout, TranslationKeys::kRestartApplication,
                               TranslationKeys::kAcknowledgements};
    QByteArray bytes = kBom + "Test\r\n{INFO:Translated By}Brevane contributors\r\n";
    QStringList keys = first;
    for (const QString& key : TranslationKeys::all())
        if (!first.contains(key))
            keys << key;
    for (const QString& key : keys)
        bytes += ('{' + key + '}' + key + "\r\n").toUtf8();
    return bytes;
}

TEST(LanguageFileCheck, ReportsEachFaultWithFileAndLine) {
    const QByteArray good = wellFormedLanguageFile();
    ASSERT_EQ(languageFileProblems("Test.lang.txt", good), QStringList());

    auto replace = [](const char* from, const char* to) {
        return [=](QByteArray& b) {
            ASSERT_TRUE(b.contains(from)) << from;
            b.replace(from, to);
        };
    };
    struct Case {
        const char* fault;
        std::function<void(QByteArray&)> change;
        QString expected;
        QString name = "Test.lang.txt";
    };
    const Case cases[] = {
        {"no BOM", [](QByteArray& b) { b.remove(0, 3); },
         "Test.lang.txt:1: no UTF-8 byte-order mark"},
        {"LF alone", replace("About %s\r\n", "About %s\n"),
         "Test.lang.txt:3: a line break other than CR LF"},
        {"no CR LF at the end", [](QByteArray& b) { b.chop(2); },
         "Test.lang.txt: the last line does not end with CR LF"},
        {"invalid UTF-8", replace("}Restart Application?", "}Restart Applicat\xC3(on?"),
         "Test.lang.txt:4: not valid UTF-8"},
        {"a second note line", replace("{Restart Application?}", "Note\r\n{Restart Application?}"),
         "Test.lang.txt:4: not an entry (only the first line may be a note)"},
        {"a key in the wrong case", replace("{Restart Application?}", "{Restart application?}"),
         "Test.lang.txt:4: unknown key {Restart application?}"},
        {"a missing brace", replace("{Restart Application?}", "{Restart Application?"),
         "Test.lang.txt:4: unknown key {Restart Application?Restart Application?"},
        {"a key twice",
         replace("{Restart Application?}", "{About %s}Over %s\r\n{Restart Application?}"),
         "Test.lang.txt:4: {About %s} again (first on line 3)"},
        {"an empty translation", replace("{About %s}About %s", "{About %s}"),
         "Test.lang.txt:3: no translation of {About %s}"},
        {"spaces around", replace("}Restart Application?", "} Restart Application?"),
         "Test.lang.txt:4: spaces around the translation of {Restart Application?}"},
        {"no %s", replace("}About %s", "}About"),
         "Test.lang.txt:3: the translation of {About %s} must hold \"%s\" once and no other \"%\""},
        {"%s twice", replace("}About %s", "}%s: %s"),
         "Test.lang.txt:3: the translation of {About %s} must hold \"%s\" once and no other \"%\""},
        {"another conversion", replace("}About %s", "}About %s %d"),
         "Test.lang.txt:3: the translation of {About %s} must hold \"%s\" once and no other \"%\""},
        {"lost ellipsis", replace("}Acknowledgements...", "}Acknowledgements"),
         "Test.lang.txt:5: the translation of {Acknowledgements...} does not end with \"...\""},
        {"lost question mark", replace("}Restart Application?", "}Restart Application"),
         "Test.lang.txt:4: the translation of {Restart Application?} does not end with \"?\""},
        {"a missing key", replace("{Restart Application?}Restart Application?\r\n", ""),
         "Test.lang.txt: no entry for {Restart Application?}"},
        {"no credit", replace("{INFO:Translated By}Brevane contributors\r\n", ""),
         "Test.lang.txt: no entry for {INFO:Translated By}"},
        {"a name the window cannot show", [](QByteArray&) {},
         "Test.LANG.txt: the name does not end in \".lang.txt\"", "Test.LANG.txt"},
    };
    for (const Case& c : cases) {
        QByteArray bytes = good;
        c.change(bytes);
        const QStringList problems = languageFileProblems(c.name, bytes);
        EXPECT_TRUE(problems.contains(c.expected))
            << c.fault << ": expected " << c.expected.toStdString() << "\ngot:\n"
            << problems.join('\n').toStdString();
    }
    // Full-width endings count as the key's punctuation.
    QByteArray fullWidth = good;
    fullWidth.replace("}Restart Application?", QStringLiteral("}再起動しますか？").toUtf8());
    fullWidth.replace("}Acknowledgements...", QStringLiteral("}謝辞…").toUtf8());
    EXPECT_EQ(languageFileProblems("Test.lang.txt", fullWidth), QStringList());
}

TEST(CodeTableCheck, ReportsEachFaultWithLine) {
    const QByteArray good =
        kBom + "7,German.lang.txt\r\n1031,German.lang.txt\r\n12,French.lang.txt\r\n";
    const QStringList files = {"German.lang.txt", "French.lang.txt"};
    ASSERT_EQ(codeTableProblems(good, files), QStringList());

    struct Case {
        const char* from;
        const char* to;
        QString extraFile;
        QString expected;
    };
    const Case cases[] = {
        {"7,German", "07,German", {}, "LanguageCodes.csv:1: not \"identifier,file\""},
        {"7,German", "7;German", {}, "LanguageCodes.csv:1: not \"identifier,file\""},
        {"1031,German", "1031, German", {}, "LanguageCodes.csv:2: not \"identifier,file\""},
        {"12,French", "7,French", {}, "LanguageCodes.csv:3: identifier 7 again (first on line 1)"},
        {"12,French", "67591,French", {}, "LanguageCodes.csv:3: identifier 67591 is above 65535"},
        {"12,French.lang.txt",
         "12,Frensh.lang.txt",
         {},
         "LanguageCodes.csv:3: no file Frensh.lang.txt in the folder"},
        {"12,French.lang.txt",
         "12,Frensh.lang.txt",
         {},
         "LanguageCodes.csv: no line names French.lang.txt"},
        {"\r\n12", "\r\n\r\n12", {}, "LanguageCodes.csv:3: not \"identifier,file\""},
        {"", "", "Italian.lang.txt", "LanguageCodes.csv: no line names Italian.lang.txt"},
    };
    for (const Case& c : cases) {
        QByteArray bytes = good;
        if (*c.from)
            bytes.replace(c.from, c.to);
        QStringList withExtra = files;
        if (!c.extraFile.isEmpty())
            withExtra << c.extraFile;
        const QStringList problems = codeTableProblems(bytes, withExtra);
        EXPECT_TRUE(problems.contains(c.expected))
            << "expected " << c.expected.toStdString() << "\ngot:\n"
            << problems.join('\n').toStdString();
    }
}

} // namespace
