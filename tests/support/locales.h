#pragma once

// Locales for tests that depend on date formats and list separators. The build compiles
// en_US.UTF-8, de_DE.UTF-8, en_GB.UTF-8 and en_CA.UTF-8 into its own folder and the tests run
// with LOCPATH pointing there; this says whether the wanted ones can be used (a test skips
// when not).

#include <QByteArray>
#include <QList>

bool ensureLocales(const QList<QByteArray>& names);
