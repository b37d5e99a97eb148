// The byte codecs: digits typed in the send box parse to bytes; those bytes rendered as groups
// parse back to the same bytes (HEX and BIN), and the line renderers give each code its fixed
// width.

#include "fuzzinput.h"
#include "receive/bytecodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    // Typed text: any 16-bit codes, as the box holds them.
    const QByteArray raw = in.rest();
    QString typed;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
        typed += QChar(char16_t(quint8(raw[i]) | quint8(raw[i + 1]) << 8));
    const QString latin1 = QString::fromLatin1(raw);

    for (const QString& text : {typed, latin1}) {
        const QString fromHex = HexGroupsToText(text);
        for (const QChar c : fromHex)
            FUZZ_CHECK(c.unicode() <= 255, "HEX parsing gave code %u", c.unicode());
        FUZZ_CHECK(HexGroupsToText(TextToHexGroups(fromHex)) == fromHex, "HEX: %s",
                   fuzzShow(text).constData());

        const QString fromBin = BinGroupsToText(text);
        for (const QChar c : fromBin)
            FUZZ_CHECK(c.unicode() <= 255, "BIN parsing gave code %u", c.unicode());
        FUZZ_CHECK(BinGroupsToText(TextToBinGroups(fromBin)) == fromBin, "BIN: %s",
                   fuzzShow(text).constData());

        const int value = BinStrToByte(text);
        FUZZ_CHECK(value >= 0 && value <= 255, "BinStrToByte gave %d", value);

        for (const QChar c : text) {
            bool ok = false;
            FUZZ_CHECK(ByteToDec(c.unicode()).toUInt(&ok) == c.unicode() && ok, "DEC of %u",
                       c.unicode());
            FUZZ_CHECK(ByteToOct(c.unicode()).toUInt(&ok, 8) == c.unicode() && ok, "OCT of %u",
                       c.unicode());
            FUZZ_CHECK(ByteToHex(c.unicode()).toUInt(&ok, 16) == (c.unicode() & 0xFF) && ok,
                       "HEX of %u", c.unicode());
        }
    }
    // Bytes the pane receives: one group per byte, each of its fixed width, reading back.
    FUZZ_CHECK(HexLine(latin1).size() == 3 * latin1.size(), "HexLine width");
    FUZZ_CHECK(BinLine(latin1).size() == 9 * latin1.size(), "BinLine width");
    FUZZ_CHECK(HexGroupsToText(HexLine(latin1)) == latin1, "HexLine does not read back");
    FUZZ_CHECK(BinGroupsToText(BinLine(latin1)) == latin1, "BinLine does not read back");
    return 0;
}
