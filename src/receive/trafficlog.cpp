#include "receive/trafficlog.h"

#include <QDir>
#include <QFile>

QString trafficLogPath(const QString& directory, const QDate& date, const QString& kind) {
    QString path = directory;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + kind +
           QStringLiteral(".txt");
}

bool appendTrafficLog(const QString& directory, const QDate& date, const QString& kind,
                      const QString& text) {
    if (directory.isEmpty() || !QDir().mkpath(directory))
        return false;
    QFile file(trafficLogPath(directory, date, kind));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}
