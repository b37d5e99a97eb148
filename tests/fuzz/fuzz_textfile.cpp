// A text file loaded for sending: the compact file list and the whole-file decoder must agree
// on every line (same decoding, same breaks), for any bytes.

#include "fuzzinput.h"
#include "transmit/filelines.h"
#include "transmit/textfile.h"

namespace {

// Lines at CR LF, a lone CR or a lone LF; a break at the very end makes no extra line.
QStringList splitLines(const QString& text) {
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        out.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        out.append(text.mid(start));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const DecodedText decoded = decodeTextFileChecked(bytes);
    FUZZ_CHECK(decoded.text == decodeTextFile(bytes), "the two decoders differ");

    const QStringList expected = splitLines(decoded.text);
    FileLines lines = FileLines::fromBytes(bytes);
    FUZZ_CHECK(lines.size() == expected.size(), "%lld rows, %lld lines",
               static_cast<long long>(lines.size()), static_cast<long long>(expected.size()));
    // Undecodable bytes may come out as different stand-ins (a lone surrogate is sent as "?"
    // either way); the lines themselves must still agree.
    if (!decoded.lossless)
        return 0;
    for (qsizetype i = 0; i < expected.size(); ++i)
        FUZZ_CHECK(lines.at(i) == expected[i], "row %lld: %s, line %s", static_cast<long long>(i),
                   fuzzShow(lines.at(i)).constData(), fuzzShow(expected[i]).constData());
    FUZZ_CHECK(lines.toStringList() == expected, "toStringList differs from the rows");

    // Editing keeps the other rows: replace the first, drop the last.
    if (lines.size() >= 2) {
        lines.replace(0, QStringLiteral("edited"));
        lines.remove(lines.size() - 1, 1);
        QStringList after = expected;
        after[0] = QStringLiteral("edited");
        after.removeLast();
        FUZZ_CHECK(lines.toStringList() == after, "an edit changed other rows");
    }
    return 0;
}
