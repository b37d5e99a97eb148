#pragma once

// Servers the web-service tests talk to, all on 127.0.0.1 with ephemeral ports: a form server
// over http or https that records what it received and answers as told, a self-signed
// certificate made with the openssl command in a temporary folder, and a listener that takes
// connections and never answers.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <mutex>
#include <vector>

// A certificate for 127.0.0.1 that is its own authority; the post's caFile is certFile.
class TestCertificate {
public:
    TestCertificate();
    bool isValid() const { return m_valid; }
    QString certFile() const { return m_dir.filePath(QStringLiteral("cert.pem")); }
    QString keyFile() const { return m_dir.filePath(QStringLiteral("key.pem")); }

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

struct ReceivedRequest {
    QByteArray path;
    QByteArray body;
    QByteArray contentType;
    QByteArray connection;
    bool hasUserAgent = false;
};

struct Answer {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/plain";
    int delayMs = 0; // how long the server waits before it answers
};

class FormServer {
public:
    // https when a certificate is given.
    explicit FormServer(const TestCertificate* certificate = nullptr);
    ~FormServer();
    FormServer(const FormServer&) = delete;
    FormServer& operator=(const FormServer&) = delete;

    bool isRunning() const { return m_port > 0; }
    int port() const { return m_port; }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    void answerWith(const Answer& answer);
    std::vector<ReceivedRequest> requests() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    int m_port = 0;
};

// Accepts TCP connections (through the kernel's backlog) and never answers.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};
