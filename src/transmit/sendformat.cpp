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
