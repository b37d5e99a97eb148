// settings.ini as any bytes on disk: reading never fails hard, and what the store writes back
// is a fixed point: read again it gives the same store, decoded whole, and its lines hold no
// stray CR or LF.

#include "app/settingsstore.h"
#include "fuzzinput.h"

namespace {

// Every CR is followed by LF and every LF follows a CR: no value broke a line.
bool onlyCrLfBreaks(const QByteArray& bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            return false;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    SettingsStore store(QStringLiteral("/nonexistent/settings.ini"));
    store.Parse(bytes);
    // The readers the program calls on start-up.
    store.ReadString(QStringLiteral("Settings"), QStringLiteral("Port"), QString());
    store.ReadInteger(QStringLiteral("Settings"), QStringLiteral("Baud"), 9600);

    const QByteArray written = store.Serialize();
    FUZZ_CHECK(onlyCrLfBreaks(written), "a line break inside a written line");
    SettingsStore again(store.path());
    FUZZ_CHECK(again.Parse(written), "the store's own file does not decode whole");
    FUZZ_CHECK(again.Serialize() == written, "the written file reads back differently");
    return 0;
}
