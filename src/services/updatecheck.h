#pragma once

// The update check without its thread or windows: one run of `CheckNow` over a CheckerStore, a
// clock and a post callback, returning what the window is to do. It keeps the run counter and
// the installed version on every start, makes at most five requests a calendar day (the day as
// the short date text of the user's locale), and wants the pop-up only on the first three of
// them, only for a numeric version other than the running one, only when ShowUpdate is 1.

#include "services/servicepost.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

class CheckerStore;
class LocaleFormats;

// The reply of the service script to "cmd=check": lines 1, 2 and 4 are <version>, <url> and
// <result> elements. Invalid when it begins with "ERROR" or line 4 holds no result "0" or "1".
struct UpdateReply {
    bool valid = false;
    QString version; // empty when line 1 has the wrong shape
    QString url;     // empty when line 2 has the wrong shape
};
UpdateReply parseUpdateReply(const QString& text);

// The value of a line "<name>value</name>", nothing before or after; empty otherwise.
QString elementValue(const QString& line, const QString& name);

// Whether a reply naming `newVersion` opens the pop-up: a different text from `shortVersion`
// that reads as a 32-bit whole number without its dots, ShowUpdate exactly 1, and a first, second
// or third request of the day (`lastDate` is the day stored before this check).
bool updatePopupWanted(const QString& newVersion, const QString& shortVersion, int showUpdate,
                       const QString& lastDate, const QString& today, int countToday);

struct CheckInputs {
    QString shortVersion;
    QStringList commonFields; // appname, version, os, local, guid (see servicefields.h)
    bool guidFailed = false;  // reading the machine id failed: the check starts out failed
    bool haveWebHost = true;  // false: no request at all, as if notifications were off
};

struct CheckOutcome {
    // False when the store refused HowMany or InstalledVersion: the check then ends without
    // finishing, so the window neither enables its menu item nor shows a pop-up.
    bool finished = false;
    bool requestMade = false;
    bool UpdatePopupWanted = false;
    QString NewVersion;
    QString DownloadURL;
    int ShowUpdate = 1; // as read by this check; 1 when it could not be read
};

// Posts the fields with the retry scheme (https, then http) and gives the last attempt's result.
using CheckPost = std::function<PostResult(const QStringList& fields)>;

// The request is "cmd=check", the common fields and "howmany=" + HowMany.
CheckOutcome CheckNow(CheckerStore& store, const CheckInputs& inputs,
                      const std::function<QDate()>& today, const LocaleFormats& formats,
                      const CheckPost& post);
