#pragma once

// Where the maker's web services live: the host (or host:port) from the environment variable
// BREVANE_WEB_HOST, else the one built in; empty when there is none, and then no request is
// made and pages open from the bundled help.

#include <QString>

QString webHost();

// The update check's script on the web host.
inline constexpr QLatin1String ServiceScript("/php/check2.php");
