#include "i18n/languageicons.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>

#include <utility>

namespace {

// Entry text and icon name, compared in this order.
const std::pair<const char*, const char*> kFlagTable[] = {
    {"English", "english"},
    {"German", "de"},
    {"French", "fr"},
    {"Turkish", "tr"},
    {"Albanian", "al"},
    {"Arabic", "sa"},
    {"Bulgarian", "bg"},
    {"ChineseSimplified", "cn"},
    {"ChineseTraditional", "tw"},
    {"Czech", "cz"},
    {"Dutch", "nl"},
    {"Finnish", "fi"},
    {"Greek", "gr"},
    {"Hebrew", "il"},
    {"Hungarian", "hu"},
    {"Italian", "it"},
    {"Japanese", "jp"},
    {"Korean", "kr"},
    {"Persian", "ir"},
    {"Polish", "pl"},
    {"PortugueseBrazil", "br"},
    {"PortuguesePortugal", "pt"},
    {"Romanian", "ro"},
    {"Russian", "ru"},
    {"Slovenian", "si"},
    {"Spanish", "es"},
    {"Swedish", "se"},
    {"Ukrainian", "ua"},
    {"Vietnamese", "vi"},
    {"Slovak", "sk"},
    {"Abkhazian", "ab"},
    {"Norwegian", "no"},
    {"Catalan", "ca"},
    {"Hindi", "in"},
};

const QString kNeutral = QStringLiteral(":/i18n/xx.svg");

QString resourceOf(const QString& name) {
    const QString svg = QStringLiteral(":/i18n/%1.svg").arg(name);
    if (QFile::exists(svg))
        return svg;
    // The build copies a flag only for the names that have one; the rest share the globe.
    const QString flag = QStringLiteral(":/flags/%1.png").arg(name);
    return QFile::exists(flag) ? flag : kNeutral;
}

} // namespace

QString flagIconName(const QString& entry) {
    for (const auto& [text, icon] : kFlagTable)
        if (entry == QLatin1String(text))
            return QString::fromLatin1(icon);
    return QStringLiteral("xx");
}

QStringList flagIconNames() {
    QStringList names;
    for (const auto& row : kFlagTable)
        names << QString::fromLatin1(row.second);
    names << QStringLiteral("xx");
    return names;
}

QIcon languageIcon(const QString& name) {
    // Loaded once each; dropped with the application, before the GUI they belong to is gone.
    static QHash<QString, QIcon>* cache = nullptr;
    if (!cache) {
        cache = new QHash<QString, QIcon>;
        qAddPostRoutine([] {
            delete cache;
            cache = nullptr;
        });
    }
    auto it = cache->find(name);
    if (it == cache->end())
        it = cache->insert(name, QIcon(resourceOf(name)));
    return *it;
}
