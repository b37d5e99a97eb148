// Runs the brevane-service program itself, as scripts/run and a maker's init system do: it
// reports where it listens through its port file and ends on SIGTERM or SIGINT whenever the
// signal comes.
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far longer than a stop takes even on a loaded machine, so only a service that missed its
// stop runs into it.
constexpr auto kStopBound = 5s;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// One running service on 127.0.0.1 with a free port, its output in the folder's service.log.
class ServiceProcess {
public:
    explicit ServiceProcess(const TempFolder& folder) : m_portFile(folder.file("service.port")) {
        const std::string db = folder.file("feedback.sqlite").string();
        const std::string log = folder.file("service.log").string();
        const std::string help = folder.path().string();
        const std::string port = m_portFile.string();
        std::vector<std::string> args = {BREVANE_SERVICE_EXECUTABLE,
                                         "--bind",
                                         "127.0.0.1",
                                         "--http-port",
                                         "0",
                                         "--db",
                                         db,
                                         "--help-dir",
                                         help,
                                         "--port-file",
                                         port};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ServiceProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool started() const { return m_pid > 0; }

    // The port its port file names once it listens, or nothing when it never does.
    std::optional<int> waitForPort() const {
        const auto deadline = Clock::now() + 30s;
        while (Clock::now() < deadline) {
            const std::string line = readFile(m_portFile);
            int port = 0;
            if (std::sscanf(line.c_str(), "listening http=%d https=off\n", &port) == 1 &&
                line.back() == '\n')
                return port;
            if (waitpid(m_pid, nullptr, WNOHANG) != 0)
                return std::nullopt;
            std::this_thread::sleep_for(2ms);
        }
        return std::nullopt;
    }

    // Sends `signal` and waits for the end; the wait status, or nothing when it did not end
    // within kStopBound.
    std::optional<int> stopWith(int signal) {
        kill(m_pid, signal);
        const auto deadline = Clock::now() + kStopBound;
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return status;
            }
            std::this_thread::sleep_for(1ms);
        }
        return std::nullopt;
    }

    const std::filesystem::path& portFile() const { return m_portFile; }

private:
    std::filesystem::path m_portFile;
    pid_t m_pid = -1;
};

// A client that has connected and sends nothing.
class IdleClient {
public:
    explicit IdleClient(int port) : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected =
            connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~IdleClient() { close(m_fd); }
    IdleClient(const IdleClient&) = delete;
    IdleClient& operator=(const IdleClient&) = delete;
    bool connected() const { return m_connected; }

private:
    int m_fd;
    bool m_connected = false;
};

// Ended by the signal itself (it came before the service took the signals over) or by the
// service's own clean exit.
bool endedByStop(int status, int signal) {
    return (WIFEXITED(status) && WEXITSTATUS(status) == 0) ||
           (WIFSIGNALED(status) && WTERMSIG(status) == signal);
}

TEST(ServiceProcess, PortFileNamesTheListeningPortAndGoesWithTheService) {
    TempFolder folder;
    // A previous run's file is replaced, never read as this run's.
    std::ofstream(folder.file("service.port")) << "listening http=1 https=off\n";
    ServiceProcess service(folder);
    ASSERT_TRUE(service.started());
    std::optional<int> port;
    const auto deadline = Clock::now() + 30s;
    while (Clock::now() < deadline && (!port || *port == 1)) {
        port = service.waitForPort();
        ASSERT_TRUE(port) << readFile(folder.file("service.log"));
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_NE(*port, 1);
    IdleClient client(*port);
    EXPECT_TRUE(client.connected());
    EXPECT_NE(readFile(folder.file("service.log")).find("listening http=" + std::to_string(*port)),
              std::string::npos);
    const auto status = service.stopWith(SIGTERM);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    EXPECT_FALSE(std::filesystem::exists(service.portFile()));
}

TEST(ServiceProcess, EndsOnAStopSignalAtAnyMoment) {
    // Moments after the start, spread over the service's start-up, then once it listens and
    // once a client holds a connection open.
    struct Moment {
        const char* name;
        std::chrono::milliseconds delay;
        bool listening;
        bool withClient;
    };
    const Moment moments[] = {
        {"at once", 0ms, false, false},        {"after 2 ms", 2ms, false, false},
        {"after 10 ms", 10ms, false, false},   {"after 30 ms", 30ms, false, false},
        {"after 100 ms", 100ms, false, false}, {"once listening", 0ms, true, false},
        {"with a client", 0ms, true, true},
    };
    for (int cycle = 0; cycle < 4; ++cycle) {
        for (const Moment& moment : moments) {
            for (int signal : {SIGTERM, SIGINT}) {
                SCOPED_TRACE(std::string(moment.name) + ", " + strsignal(signal) + ", cycle " +
                             std::to_string(cycle));
                TempFolder folder;
                ServiceProcess service(folder);
                ASSERT_TRUE(service.started());
                std::this_thread::sleep_for(moment.delay);
                std::optional<IdleClient> client;
                if (moment.listening) {
                    const auto port = service.waitForPort();
                    ASSERT_TRUE(port) << readFile(folder.file("service.log"));
                    if (moment.withClient) {
                        client.emplace(*port);
                        EXPECT_TRUE(client->connected());
                    }
                }
                const auto status = service.stopWith(signal);
                ASSERT_TRUE(status)
                    << "still running " << kStopBound.count() << " s after " << strsignal(signal);
                EXPECT_TRUE(endedByStop(*status, signal)) << *status << "\n"
                                                          << readFile(folder.file("service.log"));
            }
        }
    }
}

} // namespace
