#pragma once

// Where the files shipped with the program lie, and the pages of the maker's site.
// A build or an unpacked copy keeps them beside the executable; an installed copy keeps them
// under ../share/brevane relative to the executable's folder. Without a web host, every page of
// the site opens from the bundled help instead, so a link never leads nowhere.

#include <QString>
#include <QUrl>

// The path of `relativePath` ("license.txt", "help/index.html") beside the program file when it
// exists there, else in ../share/brevane (whether or not that exists; callers check).
QString shippedFilePath(const QString& programFile, const QString& relativePath);

// Whether `host` (a name or address, with or without ":port") is this machine's loopback:
// localhost, *.localhost, 127.0.0.0/8 or [::1].
bool isLoopbackHost(const QString& host);

// scheme://host/path when `host` is not empty (http for a loopback host, whatever `scheme`),
// else the bundled help page `bundledPage` ("index.html") as a file address.
QUrl sitePageUrl(const QString& host, const QString& scheme, const QString& path,
                 const QString& programFile, const QString& bundledPage);
