#pragma once

// The process-wide start-up values: computed once while the main window is created, before
// any other window or thread exists, and only read afterwards. Also the small rules that
// compute them (folder writability, the settings folder, the list separator), kept as plain
// functions so they can be checked without a window.

#include "base/localeformats.h"

#include <QString>

struct StartupValues {
    QString CompanyName;
    QString ProductName;
    QString MainCaption;    // CompanyName + " - " + ProductName
    QString ShortVersion;   // "%d.%d" of the file version
    QString SettingsFolder; // always ends in "/"
    QString ListSeparator;  // one character
};

const StartupValues& startupValues();
void setStartupValues(StartupValues values);

// Whether a new file can be created in `folder`: creates "chk.tmp" there only if it does not
// exist yet and removes it again. An existing chk.tmp therefore answers false.
bool IsFolderWritable(const QString& folder);

// Whether `programFolder` belongs to an installed copy: a system folder (/bin, /sbin, anything
// under /usr), or a folder with no Languages beside it but a ../share/brevane. Such a copy never
// keeps files beside itself, even for root, whom the folder's mode does not stop.
bool isInstalledProgramFolder(const QString& programFolder);

// The folder of settings.ini: the program's folder when it is writable and not an installed
// copy's, else configHome/companyName/productName/ (created with its parents). Always ends
// in "/".
QString chooseSettingsFolder(const QString& programFolder, const QString& configHome,
                             const QString& companyName, const QString& productName);

// The list separator of the current LC_NUMERIC locale.
QString currentListSeparator();
