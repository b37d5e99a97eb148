#pragma once

// Readable failure messages for Qt values in GoogleTest assertions.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << "{";
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ",\n  " : "\n  ") << '"' << list[i].toStdString() << '"';
    *os << "\n}";
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toPercentEncoding(" []=;/.:-_").toStdString() << '"';
}
