#include "services/servicefields.h"
#include "services/webhost.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(OsDescription, BuiltFromOsReleaseAndTheKernel) {
    struct Case {
        QByteArray osRelease;
        bool sixtyFour;
        QString text;
    };
    const Case cases[] = {
        {"PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n"
         "VERSION_ID=\"12\"\n",
         true,
         "Debian GNU/Linux 12 (bookworm) (Version 12, Kernel 6.1.0-18-amd64, 64-bit Edition)"},
        {"# comment\nVERSION_ID=22.04\nPRETTY_NAME='Ubuntu 22.04.4 LTS'\n", false,
         "Ubuntu 22.04.4 LTS (Version 22.04, Kernel 6.1.0-18-amd64, 32-bit Edition)"},
        {"PRETTY_NAME=\"Say \\\"hi\\\"\"\n", true,
         "Say \"hi\" (Kernel 6.1.0-18-amd64, 64-bit Edition)"},      // no VERSION_ID (rolling)
        {"", true, "Linux (Kernel 6.1.0-18-amd64, 64-bit Edition)"}, // unreadable os-release
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.osRelease.toStdString());
        EXPECT_EQ(osDescriptionFor(c.osRelease, "6.1.0-18-amd64", c.sixtyFour), c.text);
    }
    EXPECT_TRUE(OsDescription().contains(" Edition)")); // this machine's, read without failing
}

TEST(MachineGuid, DerivedFromTheMachineIdNeverTheIdItself) {
    struct Case {
        QByteArray machineId;
        QString guid;
    };
    const Case cases[] = {
        {"4c4c4544004a3510804ab7c04f4d5032\n", "411b7f5b-9d14-4d69-9c24-d57f9943b199"},
        {"4c4c4544004a3510804ab7c04f4d5032", "411b7f5b-9d14-4d69-9c24-d57f9943b199"},
        {"00000000000000000000000000000001\n", "f996b2db-67b1-46ca-bb3a-9c1a25fe11b8"},
        {"", ""},                                   // unreadable file
        {"uninitialized\n", ""},                    // first boot placeholder
        {"4c4c4544004a3510804ab7c04f4d50\n", ""},   // too short
        {"4c4c4544004a3510804ab7c04f4d503z\n", ""}, // not hexadecimal
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.machineId.toStdString());
        EXPECT_EQ(machineGuidFor(c.machineId), c.guid);
    }
}

TEST(ServiceFields, CommonFieldsInTheirOrderWithAnEmptyGuid) {
    const ServiceIdentity identity{"TARNICK - Brevane", "2.0", "Linux (Kernel 6.1, 64-bit Edition)",
                                   "de-DE", machineGuidFor("")};
    EXPECT_EQ(commonFields(identity),
              QStringList({"appname=TARNICK - Brevane", "version=2.0",
                           "os=Linux (Kernel 6.1, 64-bit Edition)", "local=de-DE", "guid="}));
}

TEST(WebHost, TheEnvironmentOverridesTheBuiltInHost) {
    const bool wasSet = qEnvironmentVariableIsSet("BREVANE_WEB_HOST");
    const QByteArray saved = qgetenv("BREVANE_WEB_HOST");
    qputenv("BREVANE_WEB_HOST", "127.0.0.1:8080");
    EXPECT_EQ(webHost(), "127.0.0.1:8080");
    qunsetenv("BREVANE_WEB_HOST");
    EXPECT_EQ(webHost(), QStringLiteral(BREVANE_WEB_HOST));
    if (wasSet)
        qputenv("BREVANE_WEB_HOST", saved);
}

} // namespace
