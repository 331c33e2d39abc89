#pragma once

// The HTTPS client of the block-list download: GET of a URL into bytes,
// optionally through an HTTP proxy, over TLS with certificate verification.

#include "SolvekException.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

// A request that did not give a successful reply: no connection, a time-out,
// a TLS failure or an HTTP status outside 2xx.
class EHttpError : public solvek::Exception {
public:
    using solvek::Exception::Exception;
};

struct ProxySettings {
    bool use = false;
    QString host; // as typed
    quint16 port = 8080;
    QString user; // sent, untrimmed, only when its trimmed form is not empty
    QString password;
};

class THttpClient {
public:
    static constexpr long ConnectTimeoutMs = 60000;
    // No byte for this long ends the request.
    static constexpr long ReadTimeoutMs = 30000;
    static constexpr const char* UserAgent = "Mozilla/5.0";
    // A block list of a million hosts is about 30 MB; a reply beyond this is
    // refused rather than allowed to exhaust memory.
    static constexpr qint64 DefaultMaxBodyBytes = qint64(256) << 20;

    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    void setProxy(const ProxySettings& proxy);
    void setMaxBodyBytes(qint64 bytes);

    // Sees each piece of a body as it arrives, in order.
    using BodyPieces = std::function<void(QByteArrayView piece)>;

    // The body of a successful reply. Certificates are checked against the
    // system's store, or the file that SSL_CERT_FILE names. Raises EHttpError.
    QByteArray get(const QString& url, const BodyPieces& pieces = {});

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    ProxySettings m_proxy;
    qint64 m_maxBodyBytes = DefaultMaxBodyBytes;
};
