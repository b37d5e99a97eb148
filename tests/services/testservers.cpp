#include "services/testservers.h"

#include <QProcess>

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

TestCertificate::TestCertificate() {
    if (!m_dir.isValid())
        return;
    QProcess openssl;
    openssl.start(QStringLiteral(BREVANE_OPENSSL_PROGRAM),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", keyFile(),
                   "-out", certFile()});
    m_valid = openssl.waitForFinished(60000) && openssl.exitStatus() == QProcess::NormalExit &&
              openssl.exitCode() == 0;
}

struct FormServer::Impl {
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    mutable std::mutex mutex;
    Answer answer;
    std::vector<ReceivedRequest> requests;
};

FormServer::FormServer(const TestCertificate* certificate) : m_impl(std::make_unique<Impl>()) {
    if (certificate) {
        const QByteArray cert = certificate->certFile().toLocal8Bit();
        const QByteArray key = certificate->keyFile().toLocal8Bit();
        m_impl->server = std::make_unique<httplib::SSLServer>(cert.constData(), key.constData());
    } else {
        m_impl->server = std::make_unique<httplib::Server>();
    }
    Impl* impl = m_impl.get();
    impl->server->Post(".*", [impl](const httplib::Request& req, httplib::Response& res) {
        std::unique_lock lock(impl->mutex);
        ReceivedRequest r;
        r.path = QByteArray::fromStdString(req.path);
        r.body = QByteArray::fromStdString(req.body);
        r.contentType = QByteArray::fromStdString(req.get_header_value("Content-Type"));
        r.connection = QByteArray::fromStdString(req.get_header_value("Connection"));
        r.hasUserAgent = req.has_header("User-Agent");
        impl->requests.push_back(r);
        const Answer answer = impl->answer;
        lock.unlock();
        if (answer.delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(answer.delayMs));
        res.status = answer.status;
        res.set_content(answer.body.toStdString(), answer.contentType.toStdString());
    });
    if (!impl->server->is_valid())
        return;
    m_port = impl->server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) {
        m_port = 0;
        return;
    }
    impl->thread = std::thread([impl] { impl->server->listen_after_bind(); });
    // stop() does nothing before the loop runs, so the server is only handed out running.
    while (!impl->server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FormServer::~FormServer() {
    if (m_impl->thread.joinable()) {
        m_impl->server->stop();
        m_impl->thread.join();
    }
}

void FormServer::answerWith(const Answer& answer) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->answer = answer;
}

std::vector<ReceivedRequest> FormServer::requests() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests;
}

SilentListener::SilentListener() {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_fd, 8) != 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
}

SilentListener::~SilentListener() {
    if (m_fd >= 0)
        ::close(m_fd);
}
