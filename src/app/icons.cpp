#include "app/icons.h"

namespace {
QString iconPath(const QString& name) {
    return QStringLiteral(":/icons/%1.svg").arg(name);
}
} // namespace

QIcon brevaneIcon(const QString& name) {
    return QIcon(iconPath(name));
}

QIcon brevaneIcon(const QString& name, const QString& disabledName) {
    QIcon icon;
    for (int size : {16, 24, 32}) {
        icon.addFile(iconPath(name), QSize(size, size), QIcon::Normal);
        icon.addFile(iconPath(disabledName), QSize(size, size), QIcon::Disabled);
    }
    return icon;
}
