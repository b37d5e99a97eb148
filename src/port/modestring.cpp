#include "port/modestring.h"

#include <QRegularExpression>

#include <limits>

namespace {

QLatin1StringView parityLetter(const QString& parityText) {
    // Exact, case-sensitive: "Even" is no parity.
    if (parityText == QLatin1String("EVEN"))
        return QLatin1StringView("e");
    if (parityText == QLatin1String("ODD"))
        return QLatin1StringView("o");
    if (parityText == QLatin1String("MARK"))
        return QLatin1StringView("m");
    if (parityText == QLatin1String("SPACE"))
        return QLatin1StringView("s");
    return QLatin1StringView("n");
}

std::optional<bool> onOff(const QString& v) {
    if (v == QLatin1String("on"))
        return true;
    if (v == QLatin1String("off"))
        return false;
    return std::nullopt;
}

// A whole decimal number above 0 that fits in 32 bits.
std::optional<std::uint32_t> baudRate(const QString& v) {
    if (v.isEmpty() || v.size() > 10)
        return std::nullopt;
    std::uint64_t n = 0;
    for (QChar c : v) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    if (n == 0 || n > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return std::uint32_t(n);
}

} // namespace

QString buildModeString(const ModeInputs& in) {
    QString mode = QStringLiteral("baud=") + in.baud;
    mode += QStringLiteral(" parity=") + parityLetter(in.parity);
    mode += QStringLiteral(" data=") + in.data;
    mode += QStringLiteral(" stop=") + in.stop;
    if (in.timeoutProcessing)
        mode += QStringLiteral(" to=on");
    if (in.xon)
        mode += QStringLiteral(" xon=on");
    if (in.outDsr)
        mode += QStringLiteral(" odsr=on");
    if (in.outCts)
        mode += QStringLiteral(" octs=on");
    if (in.dtr == LineSettings::Dtr::On)
        mode += QStringLiteral(" dtr=on");
    if (in.dtr == LineSettings::Dtr::Handshake)
        mode += QStringLiteral(" dtr=hs");
    if (in.rts == LineSettings::Rts::On)
        mode += QStringLiteral(" rts=on");
    if (in.rts == LineSettings::Rts::Handshake)
        mode += QStringLiteral(" rts=hs");
    if (in.rts == LineSettings::Rts::Toggle)
        mode += QStringLiteral(" rts=tg");
    if (in.dsrSensitivity)
        mode += QStringLiteral(" idsr=on");
    return mode;
}

ModeParseResult parseModeString(const QString& mode, const LineSettings& base) {
    LineSettings s = base;
    auto reject = [](const QString& why) { return ModeParseResult{std::nullopt, why}; };
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    for (const QString& token : mode.split(blanks, Qt::SkipEmptyParts)) {
        const qsizetype eq = token.indexOf(u'=');
        if (eq <= 0)
            return reject(QStringLiteral("\"%1\" is not a setting.").arg(token));
        const QString key = token.left(eq).toLower();
        const QString value = token.mid(eq + 1).toLower();
        const auto bad = [&] {
            return reject(
                QStringLiteral("\"%1\" is not a valid value for %2.").arg(token.mid(eq + 1), key));
        };
        if (key == QLatin1String("baud")) {
            const auto rate = baudRate(value);
            if (!rate)
                return bad();
            s.baud = *rate;
        } else if (key == QLatin1String("parity")) {
            static const QString letters = QStringLiteral("neoms");
            if (value.size() != 1 || !letters.contains(value[0]))
                return bad();
            s.parity = LineSettings::Parity(letters.indexOf(value[0]));
        } else if (key == QLatin1String("data")) {
            if (value.size() != 1 || value[0] < u'5' || value[0] > u'8')
                return bad();
            s.dataBits = value[0].unicode() - u'0';
        } else if (key == QLatin1String("stop")) {
            if (value == QLatin1String("1"))
                s.stopBits = LineSettings::StopBits::One;
            else if (value == QLatin1String("1.5"))
                s.stopBits = LineSettings::StopBits::OnePointFive;
            else if (value == QLatin1String("2"))
                s.stopBits = LineSettings::StopBits::Two;
            else
                return bad();
        } else if (key == QLatin1String("dtr")) {
            if (value == QLatin1String("hs"))
                s.dtr = LineSettings::Dtr::Handshake;
            else if (const auto on = onOff(value))
                s.dtr = *on ? LineSettings::Dtr::On : LineSettings::Dtr::Off;
            else
                return bad();
        } else if (key == QLatin1String("rts")) {
            if (value == QLatin1String("hs"))
                s.rts = LineSettings::Rts::Handshake;
            else if (value == QLatin1String("tg"))
                s.rts = LineSettings::Rts::Toggle;
            else if (const auto on = onOff(value))
                s.rts = *on ? LineSettings::Rts::On : LineSettings::Rts::Off;
            else
                return bad();
        } else {
            bool* flag = key == QLatin1String("to")     ? &s.timeoutProcessing
                         : key == QLatin1String("xon")  ? &s.xon
                         : key == QLatin1String("odsr") ? &s.outDsr
                         : key == QLatin1String("octs") ? &s.outCts
                         : key == QLatin1String("idsr") ? &s.dsrSensitivity
                                                        : nullptr;
            if (!flag)
                return reject(QStringLiteral("\"%1\" is not a setting.").arg(key));
            const auto on = onOff(value);
            if (!on)
                return bad();
            *flag = *on;
        }
    }
    // The combinations a UART cannot frame.
    if (s.dataBits == 5 && s.stopBits == LineSettings::StopBits::Two)
        return reject(QStringLiteral("5 data bits cannot have 2 stop bits."));
    if (s.dataBits > 5 && s.stopBits == LineSettings::StopBits::OnePointFive)
        return reject(QStringLiteral("%1 data bits cannot have 1.5 stop bits.").arg(s.dataBits));
    return {s, QString()};
}
