#include "transmit/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// The decoders would skip a mark themselves; they keep it so exactly one is taken off here.
constexpr auto kKeepBom = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

bool hasLoneSurrogate(QStringView text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

DecodedText decodeUtf16(QStringDecoder::Encoding encoding, const QByteArray& bytes) {
    // Stateful: an odd last byte is dropped, not shown as U+FFFD; it counts as lost.
    QStringDecoder decoder(encoding, QStringDecoder::Flag::ConvertInitialBom);
    DecodedText out{decoder.decode(bytes), true};
    out.lossless = bytes.size() % 2 == 0 && !decoder.hasError() && !hasLoneSurrogate(out.text);
    return out;
}

} // namespace

DecodedText decodeTextFileChecked(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, kKeepBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return {text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text, true};
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder rest(QStringDecoder::Utf8, kKeepBom);
        return {rest.decode(QByteArrayView(bytes).sliced(3)), false};
    }
    if (bytes.startsWith("\xFF\xFE"))
        return decodeUtf16(QStringDecoder::Utf16LE, bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return decodeUtf16(QStringDecoder::Utf16BE, bytes.mid(2));
    return {QString::fromLatin1(bytes), true};
}

QString decodeTextFile(const QByteArray& bytes) {
    return decodeTextFileChecked(bytes).text;
}
