#include "serviceoptions.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(ServiceOptions, ReadsTheCommandLine) {
    const auto o = ServiceOptions::parse({"--bind",
                                          "localhost",
                                          "--http-port",
                                          "0",
                                          "--https-port=0",
                                          "--cert",
                                          "c.pem",
                                          "--key",
                                          "k.pem",
                                          "--db",
                                          "f.sqlite",
                                          "--latest-version",
                                          "2.1",
                                          "--download-url",
                                          "https://127.0.0.1:9/dl/",
                                          "--help-dir",
                                          "/srv/help",
                                          "--port-file",
                                          "run/service.port",
                                          "--feedback-limit",
                                          "5",
                                          "--feedback-window",
                                          "60",
                                          "--export-feedback-csv"});
    ASSERT_TRUE(o) << o.error;
    EXPECT_EQ(o.value->bind, "localhost");
    EXPECT_EQ(o.value->httpPort, 0);
    EXPECT_EQ(o.value->httpsPort, 0);
    EXPECT_EQ(o.value->certFile, "c.pem");
    EXPECT_EQ(o.value->keyFile, "k.pem");
    EXPECT_EQ(o.value->dbFile, "f.sqlite");
    EXPECT_EQ(o.value->latestVersion, "2.1");
    EXPECT_EQ(o.value->downloadUrl, "https://127.0.0.1:9/dl/");
    EXPECT_EQ(o.value->helpDir, "/srv/help");
    EXPECT_EQ(o.value->portFile, "run/service.port");
    EXPECT_EQ(o.value->feedbackLimit, 5u);
    EXPECT_EQ(o.value->feedbackWindow, std::chrono::seconds(60));
    EXPECT_TRUE(o.value->exportCsv);
    EXPECT_FALSE(o.value->showUsage);
}

TEST(ServiceOptions, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string>> cases = {
        {"--http-port", "65536"},
        {"--http-port", "80x"},
        {"--https-port", "-1"},
        {"--cert", "c.pem"},
        {"--db"},
        {"--colour", "red"},
        {"stray"},
        {"--latest-version", "2.1<"},
        {"--download-url", "a\nb"},
        {"--feedback-window", "0"},
        {"--config", "/no/such/file.conf"},
    };
    for (const auto& args : cases)
        EXPECT_FALSE(ServiceOptions::parse(args)) << args[0];
}

TEST(ServiceOptions, ConfigFileGivesDefaultsTheCommandLineOverrides) {
    TempFolder folder;
    const auto path = folder.file("service.conf").string();
    std::ofstream(path) << "# advertised to every program\n"
                           "latest-version = 2.1\n"
                           "  download-url=https://127.0.0.1:9/download/  \n"
                           "\n"
                           "http-port = 9000\n";
    const auto o = ServiceOptions::parse({"--http-port", "9001", "--config", path});
    ASSERT_TRUE(o) << o.error;
    EXPECT_EQ(o.value->latestVersion, "2.1");
    EXPECT_EQ(o.value->downloadUrl, "https://127.0.0.1:9/download/");
    EXPECT_EQ(o.value->httpPort, 9001);

    std::ofstream(path) << "latest-version 2.1\n";
    const auto broken = ServiceOptions::parse({"--config", path});
    ASSERT_FALSE(broken);
    EXPECT_NE(broken.error.find(":1:"), std::string::npos) << broken.error;
}

TEST(ServiceOptions, HelpNamesEveryOption) {
    const std::string usage = ServiceOptions::usage();
    for (const char* option :
         {"--bind", "--http-port", "--https-port", "--cert", "--key", "--db", "--latest-version",
          "--download-url", "--help-dir", "--export-feedback-csv", "--feedback-limit",
          "--feedback-window", "--port-file", "--config", "--help"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    EXPECT_TRUE(ServiceOptions::parse({"--help"}).value->showUsage);
}

} // namespace
