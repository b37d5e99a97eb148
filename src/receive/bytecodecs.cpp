#include "receive/bytecodecs.h"

#include <algorithm>
#include <array>
#include <bit>

namespace {

constexpr char16_t kDigits[] = u"0123456789ABCDEF";

// Two hex digits for every byte, so the HEX view copies instead of dividing.
constexpr auto kHexPairs = [] {
    std::array<std::array<char16_t, 2>, 256> pairs{};
    for (int i = 0; i < 256; ++i)
        pairs[i] = {kDigits[i >> 4], kDigits[i & 15]};
    return pairs;
}();

// Position weights of a base-2 group, most significant first.
constexpr std::array<int, 8> kBitWeights = {128, 64, 32, 16, 8, 4, 2, 1};

constexpr int kMinOctDigits = 2;
constexpr int kMinBinDigits = 8;

int decWidth(char16_t code) {
    return code < 10 ? 1 : code < 100 ? 2 : code < 1000 ? 3 : code < 10000 ? 4 : 5;
}
int bitCount(char16_t code) {
    return int(std::bit_width(unsigned(code)));
}
int octWidth(char16_t code) {
    return std::max(kMinOctDigits, (bitCount(code) + 2) / 3);
}
int binWidth(char16_t code) {
    return std::max(kMinBinDigits, bitCount(code));
}
int hexGroupWidth(char16_t code) {
    return code < 0x100 ? 2 : code < 0x1000 ? 3 : 4;
}

// Writes `code` right-aligned in `width` digits, zero-filled; returns the end of what it wrote.
template <unsigned Base> QChar* writeDigits(QChar* out, unsigned code, int width) {
    for (QChar* p = out + width; p != out; code /= Base)
        *--p = QChar(kDigits[code % Base]);
    return out + width;
}

QChar* writeHexPair(QChar* out, char16_t code) {
    const auto& pair = kHexPairs[code & 0xFF];
    *out++ = QChar(pair[0]);
    *out++ = QChar(pair[1]);
    return out;
}

// One code in one base, sized by `width`; shared by the single renderers, the line renderers
// and the group writers so they cannot disagree.
struct Dec {
    static int width(char16_t c) { return decWidth(c); }
    static QChar* write(QChar* out, char16_t c) { return writeDigits<10>(out, c, decWidth(c)); }
};
struct Oct {
    static int width(char16_t c) { return octWidth(c); }
    static QChar* write(QChar* out, char16_t c) { return writeDigits<8>(out, c, octWidth(c)); }
};
struct Bin {
    static int width(char16_t c) { return binWidth(c); }
    static QChar* write(QChar* out, char16_t c) { return writeDigits<2>(out, c, binWidth(c)); }
};
struct HexGroup {
    static int width(char16_t c) { return hexGroupWidth(c); }
    static QChar* write(QChar* out, char16_t c) {
        return c < 0x100 ? writeHexPair(out, c) : writeDigits<16>(out, c, hexGroupWidth(c));
    }
};

template <typename Form> QString renderOne(char16_t code) {
    QString out(Form::width(code), Qt::Uninitialized);
    Form::write(out.data(), code);
    return out;
}

// The display calls this for megabytes per second: one exact-size allocation, no temporaries.
template <typename Form> QString renderLine(QStringView text) {
    qsizetype size = text.size();
    for (QChar c : text)
        size += Form::width(c.unicode());
    QString out(size, Qt::Uninitialized);
    QChar* p = out.data();
    for (QChar c : text) {
        p = Form::write(p, c.unicode());
        *p++ = QChar(u' ');
    }
    return out;
}

template <typename Form> QString renderGroups(QStringView text) {
    if (text.isEmpty())
        return QString();
    qsizetype size = text.size() - 1;
    for (QChar c : text)
        size += Form::width(c.unicode());
    QString out(size, Qt::Uninitialized);
    QChar* p = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i > 0)
            *p++ = QChar(u' ');
        p = Form::write(p, text[i].unicode());
    }
    return out;
}

// Only ASCII digits and letters count: other scripts' digits are not hex.
int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

} // namespace

QString ByteToHex(char16_t code) {
    QString out(2, Qt::Uninitialized);
    writeHexPair(out.data(), code);
    return out;
}

QString ByteToDec(char16_t code) {
    return renderOne<Dec>(code);
}

QString ByteToOct(char16_t code) {
    return renderOne<Oct>(code);
}

QString ByteToBin(char16_t code) {
    return renderOne<Bin>(code);
}

QString HexLine(QStringView text) {
    QString out(text.size() * 3, Qt::Uninitialized);
    QChar* p = out.data();
    for (QChar c : text) {
        p = writeHexPair(p, c.unicode());
        *p++ = QChar(u' ');
    }
    return out;
}

QString DecLine(QStringView text) {
    return renderLine<Dec>(text);
}

QString OctLine(QStringView text) {
    return renderLine<Oct>(text);
}

QString BinLine(QStringView text) {
    return renderLine<Bin>(text);
}

QString ReadViewLine(QStringView text, ReadView view) {
    switch (view) {
    case ReadView::Hex:
        return HexLine(text);
    case ReadView::Dec:
        return DecLine(text);
    case ReadView::Oct:
        return OctLine(text);
    case ReadView::Bin:
        return BinLine(text);
    default:
        return text.toString();
    }
}

QLatin1StringView ControlName(char16_t code) {
    static constexpr const char* kNames[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                             "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                             "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                             "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    if (code < 0x20)
        return QLatin1StringView(kNames[code]);
    return code == 0x7F ? QLatin1StringView("DEL") : QLatin1StringView();
}

QString TextToHexGroups(QStringView text) {
    return renderGroups<HexGroup>(text);
}

QString TextToBinGroups(QStringView text) {
    return renderGroups<Bin>(text);
}

QString HexGroupsToText(QStringView text) {
    QString out;
    out.reserve(text.size() / 2);
    int first = 0;
    bool haveFirst = false;
    for (QChar c : text) {
        if (c == u' ')
            continue;
        const int value = hexValue(c.unicode());
        if (!haveFirst) {
            first = value;
            haveFirst = true;
            continue;
        }
        haveFirst = false;
        out.append(QChar(first < 0 || value < 0 ? 0 : first * 16 + value));
    }
    return out;
}

QString BinGroupsToText(QStringView text) {
    QString out;
    out.reserve(text.size() / 2 + 1);
    for (QStringView group : text.tokenize(u' ', Qt::SkipEmptyParts))
        out.append(QChar(BinStrToByte(group)));
    return out;
}

int BinStrToByte(QStringView group) {
    int value = 0;
    const qsizetype n = std::min<qsizetype>(group.size(), kBitWeights.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (group[i] == u'1')
            value += kBitWeights[i];
    }
    return value;
}
