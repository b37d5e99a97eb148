// Colour values in settings.ini: any text reads as a colour or as nothing, and a colour the
// program writes always reads back as itself.

#include "app/colorvalues.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const quint32 color = in.word();
    const QString written = ColorToString(color);
    const std::optional<quint32> back = StringToColor(written);
    FUZZ_CHECK(back && *back == color, "0x%08X written as %s", color,
               fuzzShow(written).constData());

    const QString text = in.text();
    if (const std::optional<quint32> read = StringToColor(text)) {
        const QString again = ColorToString(*read);
        FUZZ_CHECK(StringToColor(again) == read, "%s read as 0x%08X, written as %s",
                   fuzzShow(text).constData(), *read, fuzzShow(again).constData());
    }
    return 0;
}
