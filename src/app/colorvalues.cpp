#include "app/colorvalues.h"

#include <array>

namespace {

constexpr NamedColor kNamedColors[] = {
    {"clBlack", 0x00000000},
    {"clMaroon", 0x00000080},
    {"clGreen", 0x00008000},
    {"clOlive", 0x00008080},
    {"clNavy", 0x00800000},
    {"clPurple", 0x00800080},
    {"clTeal", 0x00808000},
    {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0},
    {"clRed", 0x000000FF},
    {"clLime", 0x0000FF00},
    {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000},
    {"clFuchsia", 0x00FF00FF},
    {"clAqua", 0x00FFFF00},
    {"clWhite", 0x00FFFFFF},
    {"clMoneyGreen", 0x00C0DCC0},
    {"clSkyBlue", 0x00F0CAA6},
    {"clCream", 0x00F0FBFF},
    {"clMedGray", 0x00A4A0A0},
    {"clActiveBorder", 0xFF00000A},
    {"clActiveCaption", 0xFF000002},
    {"clAppWorkSpace", 0xFF00000C},
    {"clBackground", 0xFF000001},
    {"clBtnFace", 0xFF00000F},
    {"clBtnHighlight", 0xFF000014},
    {"clBtnShadow", 0xFF000010},
    {"clBtnText", 0xFF000012},
    {"clCaptionText", 0xFF000009},
    {"clDefault", 0x20000000},
    {"clGradientActiveCaption", 0xFF00001B},
    {"clGradientInactiveCaption", 0xFF00001C},
    {"clGrayText", 0xFF000011},
    {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E},
    {"clHotLight", 0xFF00001A},
    {"clInactiveBorder", 0xFF00000B},
    {"clInactiveCaption", 0xFF000003},
    {"clInactiveCaptionText", 0xFF000013},
    {"clInfoBk", 0xFF000018},
    {"clInfoText", 0xFF000017},
    {"clMenu", 0xFF000004},
    {"clMenuBar", 0xFF00001E},
    {"clMenuHighlight", 0xFF00001D},
    {"clMenuText", 0xFF000007},
    {"clNone", 0x1FFFFFFF},
    {"clScrollBar", 0xFF000000},
    {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},
    {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006},
    {"clWindowText", 0xFF000008},
    {"clAliceblue", 0x00FFF8F0},
    {"clAntiquewhite", 0x00D7EBFA},
    {"clAquamarine", 0x00D4FF7F},
    {"clAzure", 0x00FFFFF0},
    {"clBeige", 0x00DCF5F5},
    {"clBisque", 0x00C4E4FF},
    {"clBlanchedalmond", 0x00CDEBFF},
    {"clBlueviolet", 0x00E22B8A},
    {"clBrown", 0x002A2AA5},
    {"clBurlywood", 0x0087B8DE},
    {"clCadetblue", 0x00A09E5F},
    {"clChartreuse", 0x0000FF7F},
    {"clChocolate", 0x001E69D2},
    {"clCoral", 0x00507FFF},
    {"clCornflowerblue", 0x00ED9564},
    {"clCornsilk", 0x00DCF8FF},
    {"clCrimson", 0x003C14DC},
    {"clCyan", 0x00FFFF00},
    {"clDarkblue", 0x008B0000},
    {"clDarkcyan", 0x008B8B00},
    {"clDarkgoldenrod", 0x000B86B8},
    {"clDarkgray", 0x00A9A9A9},
    {"clDarkgreen", 0x00006400},
    {"clDarkgrey", 0x00A9A9A9},
    {"clDarkkhaki", 0x006BB7BD},
    {"clDarkmagenta", 0x008B008B},
    {"clDarkolivegreen", 0x002F6B55},
    {"clDarkorange", 0x00008CFF},
    {"clDarkorchid", 0x00CC3299},
    {"clDarkred", 0x0000008B},
    {"clDarksalmon", 0x007A96E9},
    {"clDarkseagreen", 0x008FBC8F},
    {"clDarkslateblue", 0x008B3D48},
    {"clDarkslategray", 0x004F4F2F},
    {"clDarkslategrey", 0x004F4F2F},
    {"clDarkturquoise", 0x00D1CE00},
    {"clDarkviolet", 0x00D30094},
    {"clDeeppink", 0x009314FF},
    {"clDeepskyblue", 0x00FFBF00},
    {"clDimgray", 0x00696969},
    {"clDimgrey", 0x00696969},
    {"clDodgerblue", 0x00FF901E},
    {"clFirebrick", 0x002222B2},
    {"clFloralwhite", 0x00F0FAFF},
    {"clForestgreen", 0x00228B22},
    {"clGainsboro", 0x00DCDCDC},
    {"clGhostwhite", 0x00FFF8F8},
    {"clGold", 0x0000D7FF},
    {"clGoldenrod", 0x0020A5DA},
    {"clGreenyellow", 0x002FFFAD},
    {"clGrey", 0x00808080},
    {"clHoneydew", 0x00F0FFF0},
    {"clHotpink", 0x00B469FF},
    {"clIndianred", 0x005C5CCD},
    {"clIndigo", 0x0082004B},
    {"clIvory", 0x00F0FFFF},
    {"clKhaki", 0x008CE6F0},
    {"clLavender", 0x00FAE6E6},
    {"clLavenderblush", 0x00F5F0FF},
    {"clLawngreen", 0x0000FC7C},
    {"clLemonchiffon", 0x00CDFAFF},
    {"clLightblue", 0x00E6D8AD},
    {"clLightcoral", 0x008080F0},
    {"clLightcyan", 0x00FFFFE0},
    {"clLightgoldenrodyellow", 0x00D2FAFA},
    {"clLightgray", 0x00D3D3D3},
    {"clLightgreen", 0x0090EE90},
    {"clLightgrey", 0x00D3D3D3},
    {"clLightpink", 0x00C1B6FF},
    {"clLightsalmon", 0x007AA0FF},
    {"clLightseagreen", 0x00AAB220},
    {"clLightskyblue", 0x00FACE87},
    {"clLightslategray", 0x00998877},
    {"clLightslategrey", 0x00998877},
    {"clLightsteelblue", 0x00DEC4B0},
    {"clLightyellow", 0x00E0FFFF},
    {"clLtGray", 0x00C0C0C0},
    {"clDkGray", 0x00808080},
    {"clLegacySkyBlue", 0x00F0CAA6},
    {"clLimegreen", 0x0032CD32},
    {"clLinen", 0x00E6F0FA},
    {"clMagenta", 0x00FF00FF},
    {"clMediumaquamarine", 0x00AACD66},
    {"clMediumblue", 0x00CD0000},
    {"clMediumorchid", 0x00D355BA},
    {"clMediumpurple", 0x00DB7093},
    {"clMediumseagreen", 0x0071B33C},
    {"clMediumslateblue", 0x00EE687B},
    {"clMediumspringgreen", 0x009AFA00},
    {"clMediumturquoise", 0x00CCD148},
    {"clMediumvioletred", 0x008515C7},
    {"clMidnightblue", 0x00701919},
    {"clMintcream", 0x00FAFFF5},
    {"clMistyrose", 0x00E1E4FF},
    {"clMoccasin", 0x00B5E4FF},
    {"clNavajowhite", 0x00ADDEFF},
    {"clOldlace", 0x00E6F5FD},
    {"clOlivedrab", 0x00238E6B},
    {"clOrange", 0x0000A5FF},
    {"clOrangered", 0x000045FF},
    {"clOrchid", 0x00D670DA},
    {"clPalegoldenrod", 0x00AAE8EE},
    {"clPalegreen", 0x0098FB98},
    {"clPaleturquoise", 0x00EEEEAF},
    {"clPalevioletred", 0x009370DB},
    {"clPapayawhip", 0x00D5EFFF},
    {"clPeachpuff", 0x00B9DAFF},
    {"clPeru", 0x003F85CD},
    {"clPink", 0x00CBC0FF},
    {"clPlum", 0x00DDA0DD},
    {"clPowderblue", 0x00E6E0B0},
    {"clRosybrown", 0x008F8FBC},
    {"clRoyalblue", 0x00E16941},
    {"clSaddlebrown", 0x0013458B},
    {"clSalmon", 0x007280FA},
    {"clSandybrown", 0x0060A4F4},
    {"clSeagreen", 0x00578B2E},
    {"clSeashell", 0x00EEF5FF},
    {"clSienna", 0x002D52A0},
    {"clSlateblue", 0x00CD5A6A},
    {"clSlategray", 0x00908070},
    {"clSlategrey", 0x00908070},
    {"clSnow", 0x00FAFAFF},
    {"clSpringgreen", 0x007FFF00},
    {"clSteelblue", 0x00B48246},
    {"clTan", 0x008CB4D2},
    {"clThistle", 0x00D8BFD8},
    {"clTomato", 0x004763FF},
    {"clTurquoise", 0x00D0E040},
    {"clViolet", 0x00EE82EE},
    {"clWheat", 0x00B3DEF5},
    {"clWhitesmoke", 0x00F5F5F5},
    {"clYellowgreen", 0x0032CD9A},
    {"clNull", 0x00000000},
};
static_assert(std::size(kNamedColors) == 186);

std::optional<quint32> hexValue(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    bool ok = false;
    const quint32 v = digits.toString().toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace

std::span<const NamedColor> namedColors() {
    return kNamedColors;
}

QString ColorToString(quint32 color) {
    for (const NamedColor& c : kNamedColors)
        if (c.value == color)
            return QString::fromLatin1(c.name);
    return QStringLiteral("$%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<quint32> StringToColor(const QString& text) {
    for (const NamedColor& c : kNamedColors)
        if (text.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    if (text.startsWith(u'$'))
        return hexValue(QStringView(text).mid(1));
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return hexValue(QStringView(text).mid(2));
    if (text.startsWith(u'#')) {
        QString rgb = text.mid(1);
        if (rgb.size() == 3)
            rgb = QString(rgb[0]) + rgb[0] + rgb[1] + rgb[1] + rgb[2] + rgb[2];
        const auto v = rgb.size() == 6 ? hexValue(rgb) : std::nullopt;
        if (!v)
            return std::nullopt;
        return colorFromRgb(int(*v >> 16) & 0xFF, int(*v >> 8) & 0xFF, int(*v) & 0xFF);
    }
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return quint32(v);
}

bool isSystemColor(quint32 color) {
    return (color & 0xFF000000u) == 0xFF000000u;
}

int systemColorIndex(quint32 color) {
    return int(color & 0xFFu);
}

quint32 colorFromRgb(int red, int green, int blue) {
    return (quint32(blue & 0xFF) << 16) | (quint32(green & 0xFF) << 8) | quint32(red & 0xFF);
}

int redOf(quint32 color) {
    return int(color & 0xFF);
}
int greenOf(quint32 color) {
    return int((color >> 8) & 0xFF);
}
int blueOf(quint32 color) {
    return int((color >> 16) & 0xFF);
}
