#include "app/settingsstore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "support/files.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <functional>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

mode_t permissionBits(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

} // namespace

// Each row: a file as a user might have edited it, and what one lookup must give.
TEST(SettingsStoreParse, ReadsHandEditedFiles) {
    struct Case {
        const char* what;
        QByteArray file;
        const char* section;
        const char* key;
        QString expected; // "DEF" is the default passed in
    };
    const QByteArray twice =
        "[Settings]\nPort=COM2\n[Other]\nX=1\n[SETTINGS]\nPort=COM7\nParity=ODD\n";
    const Case cases[] = {
        {"comments and blank lines are ignored",
         "; Port=COM8\r\n\r\n[Settings]\r\n;Port=COM9\r\nPort=COM2\r\n", "Settings", "Port",
         "COM2"},
        {"names compare without letter case", "[settings]\nport=COM3\n", "Settings", "Port",
         "COM3"},
        {"non-ASCII names compare without letter case", "[Ayarlar]\n\xC3\x84rger=1\n", "AYARLAR",
         "\xC3\xA4RGER", "1"},
        {"an empty value reads empty, not the default", "[Settings]\nPort=\n", "Settings", "Port",
         ""},
        {"a line without = reads as absent", "[Settings]\nPort\n", "Settings", "Port", "DEF"},
        {"a line without = does not hide a later value", "[Settings]\nPort\nPort=COM5\n",
         "Settings", "Port", "COM5"},
        {"the first of two equal keys counts", "[Settings]\nPort=COM2\nPORT=COM3\n", "Settings",
         "Port", "COM2"},
        {"lines before the first section are ignored", "Port=COM9\n[Settings]\nBaudRate=9600\n",
         "Settings", "Port", "DEF"},
        {"a repeated section keeps the first one's value", twice, "Settings", "Port", "COM2"},
        {"a repeated section adds no keys", twice, "Settings", "Parity", "DEF"},
        {"a repeated section's lines go nowhere else", twice, "Other", "Parity", "DEF"},
        {"white space and control characters are trimmed",
         "\t [ Settings ] \x01\n  Port \t=\t COM4 \x1f\r\n", "Settings", "Port", "COM4"},
        {"a non-breaking space is text, not trimmed", "[Settings]\nPort=\xC2\xA0X\n", "Settings",
         "Port", QString(QChar(0xA0)) + "X"},
        {"the value is everything after the first =", "[Settings]\nLogDirectory = /a=b \n",
         "Settings", "LogDirectory", "/a=b"},
        {"a lone CR ends a line", "[Settings]\rPort=COM6\rBaudRate=1\r", "Settings", "Port",
         "COM6"},
        {"a bracketed line is a section even with =", "[Settings]\n[Port=COM3]\n", "Settings",
         "Port", "DEF"},
        {"the byte-order mark is skipped", kBom + "[Settings]\r\nPort=COM7\r\n", "Settings", "Port",
         "COM7"},
        {"a file of only the byte-order mark is empty", kBom, "Settings", "Port", "DEF"},
        {"invalid UTF-8 does not disturb other lines", "[Settings]\nName=\xFF\xC3\nPort=COM1x\n",
         "Settings", "Port", "COM1x"},
        {"invalid UTF-8 after a UTF-8 mark becomes replacement characters",
         kBom + "[Settings]\nName=a\xFF", "Settings", "Name",
         QString("a") + QChar(QChar::ReplacementCharacter)},
        {"invalid UTF-8 without a mark is read as 8-bit text", "[Settings]\nName=j\xF6rg",
         "Settings", "Name", QStringLiteral("j\u00f6rg")},
        {"UTF-16 LE after its mark", QByteArray("\xFF\xFE[\0S\0]\0\n\0K\0=\0\xE9\0", 16), "S", "K",
         QStringLiteral("\u00e9")},
        {"UTF-16 BE after its mark", QByteArray("\xFE\xFF\0[\0S\0]\0\n\0K\0=\x20\xAC", 16), "S",
         "K", QStringLiteral("\u20ac")},
    };
    for (const Case& c : cases) {
        SettingsStore store("unused");
        store.Parse(c.file);
        EXPECT_EQ(store.ReadString(QString::fromUtf8(c.section), QString::fromUtf8(c.key), "DEF"),
                  c.expected)
            << c.what;
    }
}

TEST(SettingsStoreParse, ReadIntegerAcceptsOnlyWhole32BitNumbers) {
    const int kDef = 4242;
    const struct {
        QString text;
        int expected;
    } cases[] = {
        {"100", 100},
        {"-5", -5},
        {"+7", 7},
        {"007", 7},
        {"0x1F", 31},
        {"0X1f", 31},
        {"-0x10", -16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"0x7FFFFFFF", INT_MAX},
        {"abc", kDef},
        {"", kDef},
        {"12abc", kDef},
        {"1.5", kDef},
        {"1 2", kDef},
        {" 12", kDef},
        {"99999999999", kDef},
        {"2147483648", kDef},
        {"-2147483649", kDef},
        {"0x80000000", kDef},
        {"123456789012345678901234567890", kDef},
        {"0x", kDef},
        {"-", kDef},
        {"0x1G", kDef},
        {QString::fromUtf8("\xD9\xA1\xD9\xA2"), kDef}, // Arabic-Indic digits are not decimal text
    };
    for (const auto& c : cases) {
        SettingsStore store("unused");
        store.WriteString("Settings", "SendPeriod", c.text);
        EXPECT_EQ(store.ReadInteger("Settings", "SendPeriod", kDef), c.expected)
            << c.text.toStdString();
    }

    SettingsStore store("unused");
    store.Parse("[Settings]\nSendPeriod\n");
    EXPECT_EQ(store.ReadInteger("Settings", "SendPeriod", kDef), kDef) << "valueless entry";
    EXPECT_EQ(store.ReadInteger("Other", "SendPeriod", kDef), kDef) << "absent section";
}

TEST(SettingsStoreWrite, RewriteKeepsUnknownPartsInPlaceAndDropsTheRest) {
    SettingsStore store("unused");
    store.Parse("; my settings\r\n"
                "\r\n"
                "[settings]\r\n"
                "port = COM2\r\n"
                "BaudRate=9600\r\n"
                "OldFlag\r\n"
                "[Other]\r\n"
                "Key=1\r\n"
                "[Settings]\r\n"
                "Parity=ODD\r\n");
    store.WriteString("Settings", "Port", "COM3");      // in place, stored spelling kept
    store.WriteString("Settings", "Parity", "EVEN");    // new: the repeated section was dropped
    store.WriteInteger("Settings", "SendPeriod", -250); // decimal text
    store.WriteString("Settings", "OldFlag", "ON");     // a valueless line is not a key
    store.WriteString("New", "A", QString::fromUtf8("\xC3\xA7\xC4\xB1"));

    const QByteArray expected = kBom + "[settings]\r\n"
                                       "port=COM3\r\n"
                                       "BaudRate=9600\r\n"
                                       "OldFlag\r\n"
                                       "Parity=EVEN\r\n"
                                       "SendPeriod=-250\r\n"
                                       "OldFlag=ON\r\n"
                                       "\r\n"
                                       "[Other]\r\n"
                                       "Key=1\r\n"
                                       "\r\n"
                                       "[New]\r\n"
                                       "A=\xC3\xA7\xC4\xB1\r\n"
                                       "\r\n";
    EXPECT_EQ(store.Serialize(), expected);
    EXPECT_EQ(store.ReadString("Settings", "OldFlag", "DEF"), "ON");

    SettingsStore reread("unused");
    reread.Parse(expected);
    EXPECT_EQ(reread.Serialize(), expected);
}

// A huge or random file must not crash; what is kept must write back as text that reads back
// the same. (A quadratic reader would take minutes here and hit the suite's time-out.)
TEST(SettingsStoreParse, HugeAndBinaryInputsLoad) {
    const qsizetype kSize = 10 * 1024 * 1024;
    QList<quint32> noise(kSize / 4);
    QRandomGenerator(12345).fillRange(noise.data(), noise.size());
    QByteArray junk(reinterpret_cast<const char*>(noise.constData()), kSize);
    // Plenty of section headers and entries amid the noise.
    for (qsizetype i = 0; i + 40 < kSize; i += 997) {
        const QByteArray piece = i % 3 ? "\n[S" + QByteArray::number(i % 5000) + "]\r"
                                       : QByteArray("\na\x01=\xFF\xFE;x\n");
        junk.replace(i, piece.size(), piece);
    }

    // 2 MB of distinct sections: enough for a quadratic repeated-section check to take minutes.
    QByteArray distinct;
    for (int i = 0; distinct.size() < kSize / 5; ++i)
        distinct += "[S" + QByteArray::number(i) + "]\r\nK=V" + QByteArray::number(i) + "\r\n";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeBytes(dir.filePath("settings.ini"), junk);

    SettingsStore store(dir.filePath("settings.ini"));
    // Not text: read as far as it goes, the original kept aside.
    EXPECT_TRUE(store.Load().text.endsWith(".unreadable\"."));
    const QByteArray once = store.Serialize();
    SettingsStore again("unused");
    again.Parse(once);
    EXPECT_EQ(again.Serialize(), once);

    store.Parse(distinct);
    EXPECT_EQ(store.ReadString("S12345", "k", "DEF"), "V12345");
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& relative = "settings.ini") const {
        return m_dir.filePath(relative);
    }

    QTemporaryDir m_dir;
};

TEST_F(SettingsFileTest, MissingFileStartsEmptyAndFirstWriteCreatesIt) {
    SettingsStore store(path());
    store.WriteString("Settings", "Port", "COM9");
    EXPECT_FALSE(store.Load());
    EXPECT_EQ(store.ReadString("Settings", "Port", "COM1"), "COM1");
    EXPECT_EQ(store.Serialize(), kBom);

    store.WriteString("Settings", "LogDirectory", "/home/u/Desktop");
    const SettingsStore::FileError err = store.UpdateFile();
    EXPECT_FALSE(err) << err.text.toStdString();
    EXPECT_EQ(readBytes(path()), kBom + "[Settings]\r\nLogDirectory=/home/u/Desktop\r\n\r\n");
    EXPECT_EQ(folderEntries(m_dir.path()), QStringList{"settings.ini"}) << "no temporary left over";
}

TEST_F(SettingsFileTest, LoadReadsTheFileWrittenBefore) {
    writeBytes(path(), kBom + "[Settings]\r\nPort=COM4\r\nSendPeriod=abc\r\n[Other]\r\nX=\r\n");
    SettingsStore store(path());
    EXPECT_FALSE(store.Load());
    EXPECT_EQ(store.ReadString("Settings", "Port", "COM1"), "COM4");
    EXPECT_EQ(store.ReadInteger("Settings", "SendPeriod", 100), 100);
    EXPECT_EQ(store.ReadString("Other", "X", "DEF"), "");
}

// Each row puts something in place of settings.ini that cannot be read; it must survive, moved
// aside, while the store starts empty and the next write creates a fresh file.
TEST_F(SettingsFileTest, AFileThatCannotBeReadIsMovedAsideNeverOverwritten) {
    const struct {
        const char* what;
        std::function<void(const QString&)> make;
        const char* reason;
        int sysErrno;
    } cases[] = {
        {"a folder", [](const QString& p) { QDir().mkpath(p + "/inside"); }, "Is a directory",
         EISDIR},
        {"a FIFO, which must not block",
         [](const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); },
         "Not a regular file.", 0},
        {"no read permission",
         [](const QString& p) {
             writeBytes(p, "[Settings]\nPort=COM4\n");
             QFile::setPermissions(p, QFileDevice::WriteOwner);
         },
         "Permission denied", EACCES},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.sysErrno == EACCES && geteuid() == 0)
            continue; // root reads files regardless of their permission bits
        QTemporaryDir dir;
        const QString file = dir.filePath("settings.ini");
        writeBytes(file + ".unreadable", "an earlier one");
        c.make(file);
        const QDateTime modified = QFileInfo(file).lastModified();
        const bool wasFolder = QFileInfo(file).isDir();

        SettingsStore store(file);
        store.WriteString("Settings", "Port", "COM9");
        const SettingsStore::FileError err = store.Load();
        const QString kept = file + ".unreadable.2";
        QString expected = "Cannot read file \"" + file + "\". " + c.reason;
        if (!expected.endsWith('.'))
            expected += '.';
        expected += " It is kept as \"" + kept + "\", and the settings start from their defaults.";
        EXPECT_EQ(err.text, expected);
        EXPECT_EQ(err.sysErrno, c.sysErrno);
        EXPECT_EQ(store.ReadString("Settings", "Port", "COM1"), "COM1");
        EXPECT_EQ(QFileInfo(kept).lastModified(), modified);
        EXPECT_EQ(QFileInfo(kept).isDir(), wasFolder);
        EXPECT_EQ(readBytes(file + ".unreadable"), "an earlier one");

        store.WriteString("Settings", "Port", "COM5");
        EXPECT_FALSE(store.UpdateFile());
        EXPECT_EQ(readBytes(file), kBom + "[Settings]\r\nPort=COM5\r\n\r\n");
    }
}

// Bytes that are not text of a known encoding: what can be read is used, and the original is
// copied aside before the first write turns it into UTF-8.
TEST_F(SettingsFileTest, AFileNotDecodedWholeIsCopiedAsideFirst) {
    const QByteArray latin1 = "[Settings]\r\nLogDirectory=/home/j\xF6rg\r\nPort=COM4\r\n";
    writeBytes(path(), latin1);
    SettingsStore store(path());
    const SettingsStore::FileError err = store.Load();
    EXPECT_EQ(err.text, "Cannot read file \"" + path() +
                            "\" whole: it is not valid UTF-8 or UTF-16 text. What could be read "
                            "is used; the file as it was is kept as \"" +
                            path() + ".unreadable\".");
    EXPECT_EQ(readBytes(path() + ".unreadable"), latin1);
    EXPECT_EQ(store.ReadString("Settings", "LogDirectory", ""), QStringLiteral("/home/j\u00f6rg"));
    EXPECT_EQ(store.ReadString("Settings", "Port", ""), "COM4");

    store.WriteString("Settings", "Port", "COM5");
    EXPECT_FALSE(store.UpdateFile());
    EXPECT_EQ(readBytes(path()),
              kBom + "[Settings]\r\nLogDirectory=/home/j\xC3\xB6rg\r\nPort=COM5\r\n\r\n");
    EXPECT_EQ(readBytes(path() + ".unreadable"), latin1);

    // UTF-16 with its mark is text: read whole, nothing kept aside, written back as UTF-8.
    QTemporaryDir other;
    const QString utf16 = other.filePath("settings.ini");
    QStringEncoder encode(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    writeBytes(utf16, encode.encode(QStringLiteral("[Settings]\r\nPort=COM\u00e9\r\n")));
    SettingsStore fromUtf16(utf16);
    EXPECT_FALSE(fromUtf16.Load());
    EXPECT_EQ(fromUtf16.ReadString("Settings", "Port", ""), QStringLiteral("COM\u00e9"));
    EXPECT_FALSE(fromUtf16.UpdateFile());
    EXPECT_EQ(readBytes(utf16), kBom + "[Settings]\r\nPort=COM\xC3\xA9\r\n\r\n");
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files), QStringList{"settings.ini"});

    // Lone surrogates: names that differ only there are one name, as they will be written, so
    // the store holds what it writes and the next read gives the same settings.
    const QString broken = other.filePath("broken.ini");
    QStringEncoder again(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    writeBytes(broken, again.encode(QStringLiteral("[S") + QChar(0xD800) + "]\r\nA=1\r\nK" +
                                    QChar(0xDC00) + "=x\r\nK" + QChar(0xDC01) + "=y\r\n[S" +
                                    QChar(0xD801) + "]\r\nB=2\r\n"));
    SettingsStore lossy(broken);
    EXPECT_TRUE(lossy.Load());
    const QString section = QStringLiteral("S\uFFFD");
    EXPECT_EQ(lossy.ReadString(section, "A", ""), "1");
    EXPECT_EQ(lossy.ReadString(section, QStringLiteral("K\uFFFD"), ""), "x");
    EXPECT_EQ(lossy.ReadString(section, "B", ""), "");
    lossy.WriteString(section, "A", "3");
    EXPECT_FALSE(lossy.UpdateFile());
    SettingsStore reread(broken);
    EXPECT_FALSE(reread.Load());
    EXPECT_EQ(reread.Serialize(), lossy.Serialize());
}

// When the unreadable file cannot even be set aside (here its name has no room for the
// suffix), it is left alone: the run keeps its settings in memory and never writes the file.
TEST_F(SettingsFileTest, AFileThatCannotBeSetAsideIsLeftAloneAndTheRunIsMemoryOnly) {
    const QString longName = path(QString(250, 's'));
    for (bool decodable : {false, true}) {
        SCOPED_TRACE(decodable ? "read but not decoded" : "not read");
        QFile::remove(longName);
        QDir(longName).removeRecursively();
        if (decodable)
            writeBytes(longName, "[Settings]\nPort=COM\xFF\n");
        else
            ASSERT_TRUE(QDir().mkpath(longName + "/inside"));

        SettingsStore store(longName);
        const SettingsStore::FileError err = store.Load();
        EXPECT_TRUE(err.text.endsWith("(File name too long), so it is left as it is and this run "
                                      "keeps its settings in memory only."))
            << err.text.toStdString();
        EXPECT_TRUE(store.memoryOnly());
        store.WriteString("Settings", "Port", "COM5");
        EXPECT_FALSE(store.UpdateFile());
        store.DeleteFile();
        EXPECT_EQ(store.ReadString("Settings", "Port", ""), "COM5");
        if (decodable)
            EXPECT_EQ(readBytes(longName), "[Settings]\nPort=COM\xFF\n");
        else
            EXPECT_TRUE(QFileInfo(longName + "/inside").isDir());
    }
}

// A value with a line break would end its line and start others (a section of its own,
// perhaps): the store refuses it and keeps what it had.
TEST_F(SettingsFileTest, ValuesWithLineBreaksAreRefused) {
    SettingsStore store(path());
    ASSERT_TRUE(store.WriteString("Settings", "LogDirectory", "/logs"));
    ASSERT_FALSE(store.UpdateFile());
    const QByteArray before = readBytes(path());
    for (const QString& bad : {QString("path\n[Other]\nz"), QString("/logs\n"), QString("a\rb")}) {
        EXPECT_FALSE(store.WriteString("Settings", "LogDirectory", bad));
        EXPECT_FALSE(store.WriteString("Settings", bad, "x"));
        EXPECT_FALSE(store.WriteString(bad, "LogDirectory", "x"));
    }
    EXPECT_EQ(store.ReadString("Settings", "LogDirectory", ""), "/logs");
    ASSERT_FALSE(store.UpdateFile());
    EXPECT_EQ(readBytes(path()), before);
}

// Each row makes the file impossible to create; the store keeps the new value and the folder
// is left exactly as it was.
TEST_F(SettingsFileTest, WriteFailureNamesFileAndReasonAndChangesNothing) {
    writeBytes(path("plain"), "not a folder");
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("taken/settings.ini/inside"));
    const struct {
        const char* what;
        QString file;
        int sysErrno;
        const char* reason;
    } cases[] = {
        {"missing folder", path("missing/settings.ini"), ENOENT, "No such file or directory"},
        {"parent is a regular file", path("plain/settings.ini"), ENOTDIR, "Not a directory"},
        {"target is a folder", path("taken/settings.ini"), EISDIR, "Is a directory"},
    };
    for (const auto& c : cases) {
        const QStringList before = folderEntries(m_dir.path()) + folderEntries(path("taken"));
        SettingsStore store(c.file);
        store.WriteString("Settings", "Port", "COM3");
        const SettingsStore::FileError err = store.UpdateFile();
        EXPECT_EQ(err.text, "Cannot create file \"" + c.file + "\". " + c.reason) << c.what;
        EXPECT_EQ(err.sysErrno, c.sysErrno) << c.what;
        EXPECT_EQ(store.ReadString("Settings", "Port", "COM1"), "COM3") << c.what;
        EXPECT_EQ(folderEntries(m_dir.path()) + folderEntries(path("taken")), before) << c.what;
    }

    // The next change tries again and succeeds once the folder exists.
    SettingsStore store(path("missing/settings.ini"));
    store.WriteString("Settings", "Port", "COM3");
    ASSERT_TRUE(store.UpdateFile());
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("missing"));
    EXPECT_FALSE(store.UpdateFile());
    EXPECT_EQ(readBytes(path("missing/settings.ini")), store.Serialize());
}

TEST_F(SettingsFileTest, ReadOnlyFolderLeavesOldFileUntouched) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const QByteArray old = kBom + "[Settings]\r\nPort=COM1\r\n\r\n";
    writeBytes(path(), old);
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0555), 0);

    SettingsStore store(path());
    ASSERT_FALSE(store.Load());
    store.WriteString("Settings", "Port", "COM2");
    const SettingsStore::FileError err = store.UpdateFile();
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);

    EXPECT_EQ(err.text, "Cannot create file \"" + path() + "\". Permission denied");
    EXPECT_EQ(err.sysErrno, EACCES);
    EXPECT_EQ(readBytes(path()), old);
    EXPECT_EQ(folderEntries(m_dir.path()), QStringList{"settings.ini"});
}

TEST_F(SettingsFileTest, NewFileFollowsUmaskAndRewriteKeepsPermissions) {
    const mode_t oldMask = ::umask(027);
    SettingsStore store(path());
    store.WriteString("Settings", "Port", "COM2");
    const bool created = !store.UpdateFile();
    const mode_t createdMode = permissionBits(path());
    ::umask(oldMask);
    ASSERT_TRUE(created);
    EXPECT_EQ(createdMode, mode_t(0640));

    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0604), 0);
    store.WriteString("Settings", "Port", "COM3");
    ASSERT_FALSE(store.UpdateFile());
    EXPECT_EQ(permissionBits(path()), mode_t(0604));
}

TEST_F(SettingsFileTest, SymlinkedFileStaysALink) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("dotfiles"));
    writeBytes(path("dotfiles/brevane.ini"), "[Settings]\nPort=COM1\n");
    ASSERT_TRUE(QFile::link(path("dotfiles/brevane.ini"), path()));

    SettingsStore store(path());
    ASSERT_FALSE(store.Load());
    store.WriteString("Settings", "Port", "COM2");
    ASSERT_FALSE(store.UpdateFile());

    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(readBytes(path("dotfiles/brevane.ini")), store.Serialize());
    EXPECT_EQ(folderEntries(path("dotfiles")), QStringList{"brevane.ini"});
}

// Two running copies each hold their own store; every write replaces the whole file.
TEST_F(SettingsFileTest, LastWriterWinsForEveryKey) {
    SettingsStore first(path());
    first.WriteString("Settings", "BaudRate", "9600");
    first.WriteString("Settings", "Parity", "NO");
    ASSERT_FALSE(first.UpdateFile());

    SettingsStore second(path());
    ASSERT_FALSE(second.Load());

    first.WriteString("Settings", "BaudRate", "19200");
    ASSERT_FALSE(first.UpdateFile());
    second.WriteString("Settings", "Parity", "EVEN");
    ASSERT_FALSE(second.UpdateFile());

    SettingsStore reader(path());
    ASSERT_FALSE(reader.Load());
    EXPECT_EQ(reader.ReadString("Settings", "BaudRate", "DEF"), "9600");
    EXPECT_EQ(reader.ReadString("Settings", "Parity", "DEF"), "EVEN");
}
