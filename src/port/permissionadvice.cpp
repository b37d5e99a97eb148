#include "port/permissionadvice.h"

#include <QFile>

#include <cerrno>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct GroupEntry {
    QString name;
    bool userIsMember = false;
    bool found = false;
};

GroupEntry lookUpGroup(const QString& groupFile, uint gid, const QString& userName) {
    GroupEntry entry;
    QFile file(groupFile);
    if (!file.open(QIODevice::ReadOnly))
        return entry;
    while (!file.atEnd()) {
        // name:password:gid:member,member,...
        const QList<QByteArray> fields = file.readLine().trimmed().split(':');
        if (fields.size() < 4)
            continue;
        bool ok = false;
        if (fields[2].toUInt(&ok) != gid || !ok)
            continue;
        if (!entry.found) {
            entry.found = true;
            entry.name = QString::fromLocal8Bit(fields[0]);
        }
        for (const QByteArray& member : fields[3].split(','))
            if (!userName.isEmpty() && QString::fromLocal8Bit(member.trimmed()) == userName)
                entry.userIsMember = true;
    }
    return entry;
}

// As ls shows it: "crw-rw----".
QString modeText(uint mode) {
    QString text = S_ISCHR(mode)   ? QStringLiteral("c")
                   : S_ISREG(mode) ? QStringLiteral("-")
                                   : QStringLiteral("?");
    const char* letters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400u >> bit)) ? QLatin1Char(letters[bit]) : QLatin1Char('-');
    return text;
}

QString thisUserName() {
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QList<uint> thisLoginGroups() {
    QList<uint> groups{uint(getegid())};
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> list(size_t(count), 0);
        const int got = getgroups(count, list.data());
        for (int i = 0; i < got; ++i)
            groups.append(uint(list[size_t(i)]));
    }
    return groups;
}

} // namespace

QString permissionAdvice(const QString& devicePath, uint deviceGid, uint deviceMode,
                         const QString& userName, const QList<uint>& loginGroups,
                         const QString& groupFile) {
    const QString user = userName.isEmpty() ? QStringLiteral("$USER") : userName;
    const GroupEntry group = lookUpGroup(groupFile, deviceGid, userName);
    const QString groupName = group.found ? group.name : QString::number(deviceGid);
    const QString owned = QStringLiteral("%1 (%2) belongs to the group %3")
                              .arg(devicePath, modeText(deviceMode), groupName);

    if (deviceGid == 0)
        return owned + QStringLiteral(": ask the system's administrator for a udev rule that "
                                      "gives it a group such as dialout (joining root's group "
                                      "is not the way).");
    if ((deviceMode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return owned +
               QStringLiteral(", which may not both read and write it: joining the group would not "
                              "help.");
    if (loginGroups.contains(deviceGid))
        return owned + QStringLiteral(", and %1 is in it already: the system refused all the "
                                      "same (a security policy, or the device changed).")
                           .arg(user);
    if (!group.found)
        return owned + QStringLiteral(", which %1 does not name: ask the system's "
                                      "administrator to let %2 use the device.")
                           .arg(groupFile, user);
    if (group.userIsMember)
        return owned + QStringLiteral(". %1 is in it, but this login began before %1 was "
                                      "added: log out and in again.")
                           .arg(user);
    return owned + QStringLiteral(", and %1 is not in it. Add %1 with `sudo usermod -aG %2 %1`, "
                                  "then log out and in again.")
                       .arg(user, groupName);
}

QString permissionAdviceForThisUser(const QString& devicePath, const PortSystemPaths& paths) {
    struct stat st {};
    if (::stat(QFile::encodeName(devicePath).constData(), &st) != 0)
        return {};
    return permissionAdvice(devicePath, uint(st.st_gid), uint(st.st_mode), thisUserName(),
                            thisLoginGroups(), paths.groupFile);
}
