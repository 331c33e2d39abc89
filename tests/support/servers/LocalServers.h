#pragma once

// Servers on 127.0.0.1 for tests and benchmarks of the download: an HTTPS
// server with a self-signed certificate made at run time, a proxy that only
// records what it was asked, and server programs such as tinyproxy started on a
// free port.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QThread;
class QTcpServer;

// A self-signed certificate for 127.0.0.1 and its key, made once per process
// by the openssl command.
struct TestCertificate {
    QString certificateFile; // PEM; also the trust store that SSL_CERT_FILE names
    QString keyFile;         // PEM
    QByteArray certificatePem;
    QByteArray keyPem;
};
const TestCertificate& testCertificate();

// Runs a QTcpServer on a thread of its own, listening on 127.0.0.1.
class ServerOnThread {
public:
    ServerOnThread(const ServerOnThread&) = delete;
    ServerOnThread& operator=(const ServerOnThread&) = delete;
    virtual ~ServerOnThread();

    quint16 port() const { return m_port; }
    // "127.0.0.1:<port>", as a source host entry takes it.
    QString hostAndPort() const;

protected:
    ServerOnThread() = default;
    // Takes the server (created on the calling thread) and starts listening.
    void start(QTcpServer* server);

private:
    std::unique_ptr<QThread> m_thread;
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
};

// Answers GET requests with the body set for the path (query included):
// 200 with the body, or 404 for a path without one.
class LocalHttpsServer : public ServerOnThread {
public:
    LocalHttpsServer();
    ~LocalHttpsServer() override;

    void setBody(const QString& path, const QByteArray& body);
    // The reply for the path names this length, whatever the body's is.
    void setNamedLength(const QString& path, qint64 length);
    // Requests seen for the path so far.
    int requestCount(const QString& path) const;
    // Request heads (request line and headers) seen so far, in order.
    QStringList requestHeads() const;

    struct Shared {
        mutable QMutex mutex;
        QHash<QString, QByteArray> bodies;
        QHash<QString, qint64> namedLengths;
        QHash<QString, int> counts;
        QStringList heads;
    };

private:
    std::shared_ptr<Shared> m_shared;
};

// A proxy that records each request head and refuses it with 403.
class RecordingProxy : public ServerOnThread {
public:
    RecordingProxy();
    ~RecordingProxy() override;
    QStringList requestHeads() const;

    struct Shared {
        mutable QMutex mutex;
        QStringList heads;
    };

private:
    std::shared_ptr<Shared> m_shared;
};

// A port on 127.0.0.1 that nothing listens on (it was free a moment ago).
quint16 unusedPort();

// A server program that listens on a free port of 127.0.0.1, picked when the
// object is made; stopped when the object goes.
class ServerProcess {
public:
    ServerProcess();
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    quint16 port() const { return m_port; }
    // "127.0.0.1:<port>"
    QString hostAndPort() const;
    // For what must be set before start(): working folder, channels.
    QProcess& process() { return m_process; }
    // Starts the program and waits, within a bound, until it accepts
    // connections on port(); false if it never does.
    bool start(const QString& program, const QStringList& arguments);

private:
    QProcess m_process;
    quint16 m_port = 0;
};

// tinyproxy in the foreground on a free port, optionally asking for basic
// credentials; stopped when the object goes.
class TinyProxy {
public:
    explicit TinyProxy(const QString& user = QString(), const QString& password = QString());

    bool started() const { return m_started; }
    quint16 port() const { return m_server.port(); }
    QString log() const;

private:
    QTemporaryDir m_folder;
    ServerProcess m_server;
    bool m_started = false;
};
