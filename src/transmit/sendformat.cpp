#include "transmit/sendformat.h"

#include "receive/bytecodecs.h"

#include <algorithm>
#include <limits>

namespace {
constexpr int kMinPeriod = 1;
constexpr int kMaxPeriod = 999999999;
} // namespace

QByteArray textToBytes(QStringView text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (QChar c : text)
        *out++ = c.unicode() <= 0xFF ? char(c.unicode()) : '?';
    return bytes;
}

QByteArray bytesToSend(QStringView text, SendFormat format) {
    switch (format) {
    case SendFormat::Hex:
        return textToBytes(HexGroupsToText(text));
    case SendFormat::Bin:
        return textToBytes(BinGroupsToText(text));
    case SendFormat::Ascii:
        break;
    }
    return textToBytes(text);
}

QString convertSendText(const QString& text, SendFormat from, SendFormat to) {
    if (from == to)
        return text;
    // Through the data itself: the text the user sees in ASCII.
    const QString data = from == SendFormat::Hex   ? HexGroupsToText(text)
                         : from == SendFormat::Bin ? BinGroupsToText(text)
                                                   : text;
    switch (to) {
    case SendFormat::Hex:
        return TextToHexGroups(data);
    case SendFormat::Bin:
        return TextToBinGroups(data);
    case SendFormat::Ascii:
        break;
    }
    return data;
}

bool fitsSendFormat(QChar c, SendFormat format) {
    const char16_t u = c.unicode();
    switch (format) {
    case SendFormat::Hex:
        return u == u' ' || (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') ||
               (u >= u'A' && u <= u'F');
    case SendFormat::Bin:
        return u == u' ' || u == u'0' || u == u'1';
    case SendFormat::Ascii:
        break;
    }
    return true;
}

QString sendFormatRefusal(QChar c, SendFormat format) {
    // An invisible character is named by its short name or its code, never shown bare.
    const QLatin1StringView control = ControlName(c.unicode());
    const QString name =
        !control.isEmpty() ? QString(control)
        : c.isPrint() && !c.isSpace() && !c.isSurrogate()
            ? QStringLiteral("\"%1\"").arg(c)
            : QStringLiteral("U+%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0')).toUpper();
    const QString allowed = format == SendFormat::Bin ? QStringLiteral("BIN digits (0 and 1)")
                                                      : QStringLiteral("HEX digits (0-9 and A-F)");
    const QString formatName =
        format == SendFormat::Bin ? QStringLiteral("BIN") : QStringLiteral("HEX");
    return QStringLiteral("In %1 format the send box takes only %2, spaces and line breaks; %3 is "
                          "not one of them.")
        .arg(formatName, allowed, name);
}

int periodFromText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return kMinPeriod;
    return std::clamp(value, kMinPeriod, kMaxPeriod);
}

int clampSendPeriod(qint64 period) {
    return int(std::clamp<qint64>(period, kMinPeriod, kMaxPeriod));
}
