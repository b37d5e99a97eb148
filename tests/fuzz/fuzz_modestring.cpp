// The mode string: any text is accepted or refused with a reason, never both; what is
// accepted, written again from its settings by the window's builder, parses to the same
// settings from any base.

#include "fuzzinput.h"
#include "port/modestring.h"

namespace {

ModeInputs inputsFor(const LineSettings& s) {
    static const char* const parity[] = {"NONE", "EVEN", "ODD", "MARK", "SPACE"};
    static const char* const stop[] = {"1", "1.5", "2"};
    ModeInputs in;
    in.baud = QString::number(s.baud);
    in.parity = QString::fromLatin1(parity[int(s.parity)]);
    in.data = QString::number(s.dataBits);
    in.stop = QString::fromLatin1(stop[int(s.stopBits)]);
    in.timeoutProcessing = s.timeoutProcessing;
    in.xon = s.xon;
    in.outDsr = s.outDsr;
    in.outCts = s.outCts;
    in.dtr = s.dtr;
    in.rts = s.rts;
    in.dsrSensitivity = s.dsrSensitivity;
    return in;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    LineSettings base;
    base.xon = in.byte() & 1;
    base.rts = LineSettings::Rts::Toggle;
    const QString mode = in.text();
    const ModeParseResult parsed = parseModeString(mode, base);
    FUZZ_CHECK(parsed.settings.has_value() == parsed.error.isEmpty(), "%s: settings %s, error %s",
               fuzzShow(mode).constData(), parsed.settings ? "set" : "unset",
               fuzzShow(parsed.error).constData());
    if (!parsed.settings)
        return 0;
    const LineSettings& s = *parsed.settings;
    FUZZ_CHECK(s.baud > 0 && s.dataBits >= 5 && s.dataBits <= 8, "out of range: %s",
               fuzzShow(mode).constData());

    const QString rebuilt = buildModeString(inputsFor(s));
    const ModeParseResult again = parseModeString(rebuilt, LineSettings());
    FUZZ_CHECK(again.settings && *again.settings == s, "%s rebuilt as %s reads otherwise",
               fuzzShow(mode).constData(), fuzzShow(rebuilt).constData());
    return 0;
}
