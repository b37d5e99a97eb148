#include "app/versiondata.h"

#include "support/qtprinters.h"
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(VersionData, ReadsTheRecordOfTheRunningProgram) {
    const VersionReadResult r = ReadVersionData(QCoreApplication::applicationFilePath());
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.data.CompanyName, "TARNICK");
    EXPECT_EQ(r.data.ProductName, "Brevane");
    EXPECT_EQ(r.data.FileDescription, "Brevane");
    EXPECT_EQ(r.data.FileVersion, "2.0.0.0");
    EXPECT_EQ(r.data.ProductVersion, "2.0.0.0");
    EXPECT_TRUE(r.data.SpecialBuild.isEmpty());
    EXPECT_EQ(shortVersionOf(r.fileVersion), "2.0");
}

TEST(VersionData, ReadsTheShippedExecutable) {
    const VersionReadResult r = ReadVersionData(QStringLiteral(BREVANE_EXECUTABLE));
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.data.ProductName, "Brevane");
}

TEST(VersionData, FilesWithoutARecordFail) {
    QTemporaryDir tmp;
    QFile junk(tmp.filePath("junk.bin"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    // A start mark alone, or one without a valid record behind it, is no record.
    junk.write("\x7f"
               "BREVANE-VERSION-RECORD"
               "\x7f\n"
               "garbage\n");
    junk.write("\x7f"
               "BREVANE-VERSION-RECORD"
               "\x7f\n"
               "Translation=0409 04e4\n"
               "\x7f"
               "BREVANE-VERSION-END"
               "\x7f");
    junk.close();
    for (const QString& path :
         {tmp.filePath("junk.bin"), tmp.filePath("missing.bin"), QStringLiteral("/bin/sh")}) {
        const VersionReadResult r = ReadVersionData(path);
        EXPECT_FALSE(r.ok()) << path.toStdString();
        EXPECT_FALSE(r.error.isEmpty());
        EXPECT_TRUE(r.data.ProductName.isEmpty());
    }
}

TEST(VersionData, FieldsComeFromTheTableOfTheFirstTranslation) {
    const VersionReadResult r =
        parseVersionRecord("FixedFileVersion=3.12.1.7\n"
                           "Translation=0407 04b0\n"
                           "StringFileInfo/040904e4/ProductName=English table\n"
                           "StringFileInfo/040704b0/ProductName=Deutsch\n"
                           "StringFileInfo/040704b0/Comments=a=b\n");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.data.ProductName, "Deutsch");
    EXPECT_EQ(r.data.Comments, "a=b");
    EXPECT_TRUE(r.data.CompanyName.isEmpty());
    EXPECT_EQ(shortVersionOf(r.fileVersion), "3.12");
}

} // namespace
