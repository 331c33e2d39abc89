#include "LocalServers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QMetaObject>
#include <QMutexLocker>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <functional>
#include <stdexcept>

namespace {

QByteArray readAllOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

TestCertificate makeCertificate()
{
    static QTemporaryDir folder;
    const QString key = folder.filePath(QStringLiteral("key.pem"));
    const QString certificate = folder.filePath(QStringLiteral("certificate.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate,
                   QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1")});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
        throw std::runtime_error("openssl could not make a test certificate: " +
                                 openssl.readAllStandardError().toStdString());
    return {certificate, key, readAllOf(certificate), readAllOf(key)};
}

// Calls handle(socket, head) once the socket has received a whole request head.
void onRequestHead(QTcpSocket* socket, std::function<void(QTcpSocket*, const QByteArray&)> handle)
{
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QIODevice::readyRead, socket, [socket, buffer, handle] {
        buffer->append(socket->readAll());
        const qsizetype end = buffer->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buffer->left(end);
        buffer->clear();
        handle(socket, head);
    });
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
}

// The length named in the head is the body's, unless one is given.
void answer(QTcpSocket* socket, const QByteArray& status, const QByteArray& body,
            qint64 namedLength = -1)
{
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                  QByteArray::number(namedLength >= 0 ? namedLength : body.size()) +
                  "\r\nConnection: close\r\n\r\n");
    socket->write(body);
    socket->disconnectFromHost();
}

using RequestHandler = std::function<void(QTcpSocket*, const QByteArray&)>;

// Hands each request head that arrives on a connection to a handler; over TLS
// with the test certificate, or in plain text.
class RequestListener : public QTcpServer {
public:
    enum class Transport { Plain, Tls };

    RequestListener(Transport transport, RequestHandler handle)
        : m_transport(transport), m_handle(std::move(handle))
    {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        QTcpSocket* socket =
            m_transport == Transport::Tls ? new QSslSocket(this) : new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        onRequestHead(socket, m_handle);
        if (m_transport == Transport::Tls)
            startTls(static_cast<QSslSocket*>(socket));
    }

private:
    static void startTls(QSslSocket* socket)
    {
        const TestCertificate& certificate = testCertificate();
        socket->setLocalCertificate(QSslCertificate(certificate.certificatePem, QSsl::Pem));
        socket->setPrivateKey(QSslKey(certificate.keyPem, QSsl::Ec, QSsl::Pem));
        socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        socket->startServerEncryption();
    }

    Transport m_transport;
    RequestHandler m_handle;
};

// Answers with the body set for the request's path, or 404.
RequestHandler bodyServer(std::shared_ptr<LocalHttpsServer::Shared> shared)
{
    return [shared](QTcpSocket* client, const QByteArray& head) {
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QString path = requestLine.size() > 1 ? QString::fromUtf8(requestLine[1]) : QString();
        QByteArray body;
        bool found = false;
        qint64 namedLength = -1;
        {
            QMutexLocker lock(&shared->mutex);
            shared->heads.append(QString::fromUtf8(head));
            ++shared->counts[path];
            found = shared->bodies.contains(path);
            body = shared->bodies.value(path);
            namedLength = shared->namedLengths.value(path, -1);
        }
        if (found)
            answer(client, "200 OK", body, namedLength);
        else
            answer(client, "404 Not Found", "not found");
    };
}

// Records the request head and refuses the request.
RequestHandler recordingRefuser(std::shared_ptr<RecordingProxy::Shared> shared)
{
    return [shared](QTcpSocket* client, const QByteArray& head) {
        {
            QMutexLocker lock(&shared->mutex);
            shared->heads.append(QString::fromUtf8(head));
        }
        answer(client, "403 Forbidden", QByteArray());
    };
}

QString localHostAndPort(quint16 port)
{
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

} // namespace

const TestCertificate& testCertificate()
{
    static const TestCertificate certificate = makeCertificate();
    return certificate;
}

ServerOnThread::~ServerOnThread()
{
    if (m_server) {
        QTcpServer* server = m_server;
        QMetaObject::invokeMethod(
            server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    }
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

QString ServerOnThread::hostAndPort() const
{
    return localHostAndPort(m_port);
}

void ServerOnThread::start(QTcpServer* server)
{
    m_server = server;
    m_thread = std::make_unique<QThread>();
    server->moveToThread(m_thread.get());
    m_thread->start();
    bool listening = false;
    QMetaObject::invokeMethod(
        server, [&] { listening = server->listen(QHostAddress::LocalHost, 0); },
        Qt::BlockingQueuedConnection);
    if (!listening)
        throw std::runtime_error("a local test server could not listen");
    m_port = server->serverPort();
}

LocalHttpsServer::LocalHttpsServer() : m_shared(std::make_shared<Shared>())
{
    testCertificate(); // made before the server thread needs it
    start(new RequestListener(RequestListener::Transport::Tls, bodyServer(m_shared)));
}

LocalHttpsServer::~LocalHttpsServer() = default;

void LocalHttpsServer::setBody(const QString& path, const QByteArray& body)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->bodies.insert(path, body);
}

void LocalHttpsServer::setNamedLength(const QString& path, qint64 length)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->namedLengths.insert(path, length);
}

int LocalHttpsServer::requestCount(const QString& path) const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->counts.value(path);
}

QStringList LocalHttpsServer::requestHeads() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->heads;
}

RecordingProxy::RecordingProxy() : m_shared(std::make_shared<Shared>())
{
    start(new RequestListener(RequestListener::Transport::Plain, recordingRefuser(m_shared)));
}

RecordingProxy::~RecordingProxy() = default;

QStringList RecordingProxy::requestHeads() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->heads;
}

quint16 unusedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("no free local port");
    return probe.serverPort();
}

ServerProcess::ServerProcess() : m_port(unusedPort()) {}

ServerProcess::~ServerProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
}

QString ServerProcess::hostAndPort() const
{
    return localHostAndPort(m_port);
}

bool ServerProcess::start(const QString& program, const QStringList& arguments)
{
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    // Ready once it accepts connections; a bound on the wait, not a timing.
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(1000))
            return true;
        QThread::msleep(20);
    }
    return false;
}

TinyProxy::TinyProxy(const QString& user, const QString& password)
{
    QFile config(m_folder.filePath(QStringLiteral("tinyproxy.conf")));
    if (!config.open(QIODevice::WriteOnly))
        return;
    QByteArray text = "Port " + QByteArray::number(m_server.port()) +
                      "\nListen 127.0.0.1\nTimeout 60\nMaxClients 20\nAllow 127.0.0.1\n"
                      "LogLevel Info\nLogFile \"" +
                      m_folder.filePath(QStringLiteral("tinyproxy.log")).toUtf8() + "\"\n";
    if (!user.isEmpty())
        text += "BasicAuth " + user.toUtf8() + " " + password.toUtf8() + "\n";
    config.write(text);
    config.close();

    m_server.process().setProcessChannelMode(QProcess::MergedChannels);
    m_started = m_server.start(QStringLiteral("tinyproxy"),
                               {QStringLiteral("-d"), QStringLiteral("-c"), config.fileName()});
}

QString TinyProxy::log() const
{
    QFile file(m_folder.filePath(QStringLiteral("tinyproxy.log")));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}
