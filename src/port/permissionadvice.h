#pragma once

// What to tell a user whom the system refused a serial device: the device's group, whether
// the user is in it (in this login, or only in the group table so that a new login is
// needed), and the command that adds the user to it.

#include "port/portsystempaths.h"

#include <QList>
#include <QString>

// The advice for `devicePath`, owned by group `deviceGid` with permission bits `deviceMode`
// (st_mode), for the user `userName` whose login holds the groups `loginGroups`, the group
// names and members read from `groupFile` (the format of /etc/group). Never advises joining a
// group that would not help: root's group, or one the device does not let read and write.
QString permissionAdvice(const QString& devicePath, uint deviceGid, uint deviceMode,
                         const QString& userName, const QList<uint>& loginGroups,
                         const QString& groupFile);

// The same for this process's user and the device as it is now; empty when the device cannot
// be looked at.
QString permissionAdviceForThisUser(const QString& devicePath, const PortSystemPaths& paths);
