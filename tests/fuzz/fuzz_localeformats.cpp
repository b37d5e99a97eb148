// Dates and times of sendlater.csv in the locale's formats: any text reads as a date or as
// nothing, and what reads as a date or time is written again as text that reads the same.
// Runs in C and in whichever of en_US and de_DE are installed (LOCPATH may point at them).

#include "base/localeformats.h"
#include "fuzzinput.h"

#include <memory>
#include <vector>

namespace {

const std::vector<std::unique_ptr<LocaleFormats>>& locales() {
    static const auto all = [] {
        std::vector<std::unique_ptr<LocaleFormats>> out;
        for (const char* name : {"C", "en_US.UTF-8", "de_DE.UTF-8"}) {
            auto formats = std::make_unique<LocaleFormats>(QByteArray(name));
            if (formats->isValid())
                out.push_back(std::move(formats));
        }
        return out;
    }();
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const auto& all = locales();
    const LocaleFormats& formats = *all[in.byte() % all.size()];
    const QString text = in.text();

    if (const std::optional<QDate> date = formats.readDate(text)) {
        FUZZ_CHECK(date->isValid(), "%s read as an invalid date", fuzzShow(text).constData());
        const QString written = formats.shortDate(*date);
        FUZZ_CHECK(formats.readDate(written) == date, "%s read as %s, written as %s",
                   fuzzShow(text).constData(), qPrintable(date->toString(Qt::ISODate)),
                   fuzzShow(written).constData());
    }
    if (const std::optional<QTime> time = formats.readTime(text)) {
        FUZZ_CHECK(time->isValid(), "%s read as an invalid time", fuzzShow(text).constData());
        const QString written = formats.longTime(*time);
        FUZZ_CHECK(formats.readTime(written) == time, "%s read as %s, written as %s",
                   fuzzShow(text).constData(), qPrintable(time->toString(Qt::ISODate)),
                   fuzzShow(written).constData());
    }
    // The picker's format from any pattern, as the window builds it.
    qtDisplayFormat(in.bytes());
    return 0;
}
