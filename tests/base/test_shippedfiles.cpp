// The pages of the maker's site: the host's page, over http when the host is this machine
// (no browser trusts a certificate for a loopback address), else the bundled copy.

#include "base/shippedfiles.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(SitePage, LoopbackHostsAreAskedOverHttpOthersAsAsked) {
    const struct {
        QString host;
        QString url;
    } cases[] = {
        {"127.0.0.1:8080", "http://127.0.0.1:8080/help/"},
        {"127.0.0.1", "http://127.0.0.1/help/"},
        {"LocalHost:1", "http://LocalHost:1/help/"},
        // Names that only look like loopback are someone else's: the scheme asked for. (Bare
        // names, so that no test names an outside address.)
        {"tarnick", "https://tarnick/help/"},
        {"localhostx:80", "https://localhostx:80/help/"},
        {"127-0-0-1", "https://127-0-0-1/help/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sitePageUrl(c.host, "https", "/help/", "/opt/b/bin/brevane", "index.html"),
                  QUrl(c.url))
            << c.host.toStdString();
}

TEST(SitePage, WithoutAHostTheBundledPageOpens) {
    QTemporaryDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkpath("bin/help") &&
                QDir(tmp.path()).mkpath("share/brevane/help"));
    // Beside the program when it is there, else the installed copy.
    EXPECT_EQ(sitePageUrl("", "https", "/", tmp.path() + "/bin/brevane", "index.html"),
              QUrl::fromLocalFile(tmp.path() + "/share/brevane/help/index.html"));
    QFile beside(tmp.path() + "/bin/help/index.html");
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    EXPECT_EQ(sitePageUrl("", "https", "/", tmp.path() + "/bin/brevane", "index.html"),
              QUrl::fromLocalFile(tmp.path() + "/bin/help/index.html"));
}

} // namespace
