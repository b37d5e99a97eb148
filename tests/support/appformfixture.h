#pragma once

// AppFormFixture: a main window over a temporary folder. The program folder, the per-user
// configuration folder and the desktop are folders of their own inside it; restarts and
// terminations are recorded instead of carried out.

#include "app/tappform.h"
#include "support/qtprinters.h"
#include "support/recordingmessageboxservice.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

class AppFormFixture : public ::testing::Test {
protected:
    AppFormFixture();

    // The settings.ini of a writable program folder.
    QString settingsPath() const;
    void writeSettingsFile(const QByteArray& bytes) const;
    QByteArray readSettingsFile() const;

    AppEnvironment environment();
    // Builds the window and, unless told otherwise, runs its start-up.
    TAppForm& createForm(bool runFormCreate = true);

    QTemporaryDir tmp;
    QString programFolder, configHome, desktopFolder;
    // The port box's list: the detected devices (none unless a test sets them), then the
    // names of portList (COM1..COM99 unless a test sets it). Read again on each refresh.
    QList<SerialPortInfo> portDevices;
    QStringList portList;
    QStringList portWatchFolders; // none: the window watches nothing
    // Answers the window's folder chooser (title, accept label, start folder); unset: cancel.
    std::function<QString(const QString&, const QString&, const QString&)> folderChooser;
    QString chosenFile; // what the window's open dialog answers; empty: cancel
    int beeps = 0;
    QByteArray localeName = "C";                                   // dates, times, list separator
    QByteArray messagesLocaleName = "C";                           // picks the language
    QDateTime now = QDateTime(QDate(2026, 3, 1), QTime(14, 5, 0)); // the window's clock
    RecordingMessageBoxService messages;
    QStringList startedPrograms;
    int terminations = 0;
    std::unique_ptr<TAppForm> form;
};
