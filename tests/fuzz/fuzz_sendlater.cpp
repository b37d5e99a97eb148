// sendlater.csv: any bytes read as a schedule without harm, and the schedule the program
// writes reads back as the same entries, whatever the commands hold (separators, quotes,
// line breaks) and whichever separator the locale gives. The first piece of the input is read
// as a file; the rest make entries to write.

#include "fuzzinput.h"
#include "transmit/sendlaterfile.h"

namespace {

const QChar kSeparators[] = {u',', u';'};

void checkRoundTrip(const QList<SendLaterEntry>& entries, QChar separator) {
    const ParsedSchedule back = parseSchedule(serializeSchedule(entries, separator), separator);
    FUZZ_CHECK(back.complete(), "the program's own file has %d unreadable lines",
               back.unreadableLines);
    FUZZ_CHECK(back.entries.size() == entries.size(), "wrote %lld entries, read %lld",
               static_cast<long long>(entries.size()), static_cast<long long>(back.entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        FUZZ_CHECK(back.entries[i] == entries[i], "entry %lld: wrote %s|%s|%s, read %s|%s|%s",
                   static_cast<long long>(i), fuzzShow(entries[i].command).constData(),
                   fuzzShow(entries[i].date).constData(), fuzzShow(entries[i].time).constData(),
                   fuzzShow(back.entries[i].command).constData(),
                   fuzzShow(back.entries[i].date).constData(),
                   fuzzShow(back.entries[i].time).constData());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QChar separator = kSeparators[in.byte() % 2];

    // Whatever a file held, the entries read from it are written and read back unchanged.
    // (Text that did not decode whole is kept aside by the program before it saves; its broken
    // characters need not survive.)
    const ParsedSchedule read = parseSchedule(in.bytes(), separator);
    FUZZ_CHECK(read.unreadableLines >= 0, "negative count");
    if (read.lossless)
        checkRoundTrip(read.entries, separator);

    QList<SendLaterEntry> entries;
    while (!in.atEnd() && entries.size() < 32) {
        SendLaterEntry e;
        e.command = in.text();
        e.date = in.text();
        e.time = in.text();
        entries.append(e);
    }
    checkRoundTrip(entries, separator);
    return 0;
}
