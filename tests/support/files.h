#pragma once

// Small file helpers for tests that set up and inspect files byte for byte.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The file's bytes, or "<unreadable>".
inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
