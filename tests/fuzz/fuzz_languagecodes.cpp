// LanguageCodes.csv as any bytes, read by the start-up loader: the file it picks is always one
// of the language folder's own files (a table line cannot point elsewhere), and it is the file
// the first line naming the identifier names, when that file exists.

#include "fuzzinput.h"
#include "i18n/loadlanguage.h"
#include "i18n/translate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// A folder of a few language files, made once per run.
const QString& languageFolder() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString folder = dir.path() + QStringLiteral("/Languages");
        QDir().mkpath(folder);
        for (const char* name : {"German.lang.txt", "French.lang.txt", "Turkish.LANG.TXT"}) {
            QFile file(folder + u'/' + QLatin1String(name));
            file.open(QIODevice::WriteOnly);
            file.write("\xEF\xBB\xBFnote\r\n{OK}ok\r\n");
        }
        // Outside the folder: a table line naming it must not load it.
        QFile outside(dir.path() + QStringLiteral("/Outside.lang.txt"));
        outside.open(QIODevice::WriteOnly);
        return folder;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const quint32 id = in.word() % 70000;
    const QByteArray table = in.rest();
    const QString& folder = languageFolder();
    {
        QFile file(folder + QStringLiteral("/LanguageCodes.csv"));
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write table");
        file.write(table);
    }
    const QString error = LoadLanguage(folder, QString(), id);
    FUZZ_CHECK(error.isEmpty(), "error %s", qPrintable(error));
    const LanguageState& state = activeLanguage();
    if (!state.ActiveLanguagePath.isEmpty()) {
        const QString name = state.ActiveLanguagePath.mid(folder.size() + 1);
        FUZZ_CHECK(state.ActiveLanguagePath.startsWith(folder + u'/') && !name.contains(u'/') &&
                       state.LanguageFiles.contains(name),
                   "loaded %s", fuzzShow(state.ActiveLanguagePath).constData());
        FUZZ_CHECK(!state.ActiveLanguageLines.isEmpty(), "loaded %s without its lines",
                   qPrintable(name));
    }
    setActiveLanguage(LanguageState());
    return 0;
}
