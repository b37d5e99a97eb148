// The settings store's writers: values as a user may type or paste them go in, the file is
// written and read back, and every value accepted comes back as written (less the blanks at
// either end, which the file format does not keep). A value, key or section holding CR or LF
// is refused and never reaches the file.

#include "app/settingsstore.h"
#include "fuzzinput.h"

#include <QHash>
#include <QPair>

#include <cctype>
#include <iterator>

namespace {

// Names the program itself uses, so sections and keys collide as they do in real files.
const char* const kSections[] = {"Settings", "settings", "SendLater", "Window"};
const char* const kKeys[] = {"Port",       "port",      "LanguageFile", "SendPeriod",
                             "Fontname",   "Textcolor", "ReadType",     "FilePath",
                             "ShowUpdate", "HowMany",   "Timestamps",   "LogDirectory"};

QString trimmed(const QString& s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && s[begin].unicode() <= 32)
        ++begin;
    while (end > begin && s[end - 1].unicode() <= 32)
        --end;
    return s.mid(begin, end - begin);
}

bool hasBreak(const QString& s) {
    return s.contains(u'\r') || s.contains(u'\n');
}

// A key the program could use: a known one, or letters and digits.
QString keyFrom(FuzzInput& in) {
    const unsigned pick = in.byte();
    if (pick < 200)
        return QString::fromLatin1(kKeys[pick % std::size(kKeys)]);
    QString key;
    for (const char c : in.bytes())
        if (std::isalnum(static_cast<unsigned char>(c)))
            key += QChar(c);
    return key.isEmpty() ? QStringLiteral("K") : key;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    SettingsStore store(QStringLiteral("/nonexistent/settings.ini"));
    // Written over a file read first, as the program does.
    store.Parse(in.bytes());

    using Name = QPair<QString, QString>; // folded section, folded key
    QHash<Name, QString> expected;
    for (int writes = 0; writes < 64 && !in.atEnd(); ++writes) {
        const QString section = QString::fromLatin1(kSections[in.byte() % std::size(kSections)]);
        const QString key = keyFrom(in);
        const bool asInteger = in.byte() % 4 == 0;
        const int number = static_cast<int>(in.word());
        const QString value = asInteger ? QString::number(number) : in.text();
        const bool ok = asInteger ? store.WriteInteger(section, key, number)
                                  : store.WriteString(section, key, value);
        FUZZ_CHECK(ok == !hasBreak(value), "value %s was %s", fuzzShow(value).constData(),
                   ok ? "accepted" : "refused");
        if (ok)
            expected[{section.toCaseFolded(), key.toCaseFolded()}] = trimmed(value);
    }

    const QByteArray written = store.Serialize();
    for (qsizetype i = 0; i < written.size(); ++i) {
        const bool strayCr =
            written[i] == '\r' && (i + 1 == written.size() || written[i + 1] != '\n');
        const bool strayLf = written[i] == '\n' && (i == 0 || written[i - 1] != '\r');
        FUZZ_CHECK(!strayCr && !strayLf, "settings.ini got a value with a line break");
    }
    SettingsStore reread(store.path());
    reread.Parse(written);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QString back =
            reread.ReadString(it.key().first, it.key().second, QStringLiteral("\x01absent"));
        FUZZ_CHECK(back == it.value(), "[%s] %s: wrote %s, read %s",
                   fuzzShow(it.key().first).constData(), fuzzShow(it.key().second).constData(),
                   fuzzShow(it.value()).constData(), fuzzShow(back).constData());
    }
    return 0;
}
