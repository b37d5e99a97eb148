#include "support/locales.h"

#include <locale.h>

bool ensureLocales(const QList<QByteArray>& names) {
    for (const QByteArray& name : names) {
        locale_t loc = newlocale(LC_ALL_MASK, name.constData(), static_cast<locale_t>(nullptr));
        if (!loc)
            return false;
        freelocale(loc);
    }
    return true;
}
