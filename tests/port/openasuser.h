// Opening a line as another user, in a child process: what a user who is not root meets
// (exclusive mode, file permissions), seen from tests that run as root.
#pragma once

#include "port/linuxserialdevice.h"

#include <QByteArray>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

struct OpenedAs {
    bool ran = false; // false: the child could not become the user or report
    DeviceError error;
};

// Opens `path` with LinuxSerialDevice in a forked child that first becomes `user` (null: stays
// this user), and reports the result.
inline OpenedAs openAsUser(const QString& path, const PortSystemPaths& paths, const passwd* user) {
    OpenedAs result;
    int report[2];
    if (pipe(report) != 0)
        return result;
    const pid_t child = fork();
    if (child < 0)
        return result;
    if (child == 0) {
        ::close(report[0]);
        alarm(20);
        if (user &&
            (setgroups(0, nullptr) != 0 || setgid(user->pw_gid) != 0 || setuid(user->pw_uid) != 0))
            _exit(2);
        LinuxSerialDevice device(path, paths);
        const DeviceError e = device.open();
        const QByteArray text = QByteArray::number(int(e.kind)) + '\n' + e.detail.toUtf8();
        _exit(::write(report[1], text.constData(), size_t(text.size())) == text.size() ? 0 : 1);
    }
    ::close(report[1]);
    QByteArray got;
    char buffer[1024];
    ssize_t n;
    while ((n = ::read(report[0], buffer, sizeof buffer)) > 0)
        got.append(buffer, n);
    ::close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const qsizetype split = got.indexOf('\n');
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || split <= 0)
        return result;
    result.ran = true;
    result.error.kind = DeviceError::Kind(got.left(split).toInt());
    result.error.detail = QString::fromUtf8(got.mid(split + 1));
    return result;
}
