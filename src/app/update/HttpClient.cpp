#include "HttpClient.h"

#include <curl/curl.h>

#include <exception>

namespace {

void initialiseCurlOnce()
{
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (initialised != CURLE_OK)
        throw EHttpError(QStringLiteral("The HTTP client could not start: %1.")
                             .arg(QString::fromUtf8(curl_easy_strerror(initialised))));
}

struct ReplyBody {
    CURL* curl;
    QByteArray bytes;
    qint64 limit;
    const THttpClient::BodyPieces& pieces;
    bool tooLarge = false;
    std::exception_ptr piecesFailure; // no exception may cross the library's C frames
};

// Room for the length the server names, taken once instead of by growing. A
// server may lie: a longer body still grows, and a length beyond the limit
// takes nothing in advance; the limit is checked as the bytes arrive.
void reserveAnnouncedLength(ReplyBody& body)
{
    curl_off_t announced = -1;
    if (curl_easy_getinfo(body.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
        announced > 0 && announced <= body.limit)
        body.bytes.reserve(qsizetype(announced));
}

size_t appendBody(char* data, size_t size, size_t count, void* target)
{
    auto* body = static_cast<ReplyBody*>(target);
    const size_t bytes = size * count;
    if (qint64(bytes) > body->limit - body->bytes.size()) {
        body->tooLarge = true;
        return 0; // ends the transfer with a write error
    }
    if (body->bytes.capacity() == 0)
        reserveAnnouncedLength(*body);
    body->bytes.append(data, qsizetype(bytes));
    if (body->pieces) {
        try {
            body->pieces(QByteArrayView(data, qsizetype(bytes)));
        } catch (...) {
            body->piecesFailure = std::current_exception();
            return 0;
        }
    }
    return bytes;
}

} // namespace

struct THttpClient::Handle {
    struct Cleanup {
        void operator()(CURL* curl) const noexcept { curl_easy_cleanup(curl); }
    };
    std::unique_ptr<CURL, Cleanup> curl;
    char error[CURL_ERROR_SIZE] = {};
};

THttpClient::THttpClient() : m_handle(std::make_unique<Handle>())
{
    initialiseCurlOnce();
    m_handle->curl.reset(curl_easy_init());
    if (!m_handle->curl)
        throw EHttpError(QStringLiteral("The HTTP client could not start."));
}

THttpClient::~THttpClient() = default;

void THttpClient::setProxy(const ProxySettings& proxy)
{
    m_proxy = proxy;
}

void THttpClient::setMaxBodyBytes(qint64 bytes)
{
    m_maxBodyBytes = bytes;
}

QByteArray THttpClient::get(const QString& url, const BodyPieces& pieces)
{
    CURL* curl = m_handle->curl.get();
    // Options are set afresh for every request; the connection cache stays.
    curl_easy_reset(curl);

    ReplyBody body{curl, QByteArray(), m_maxBodyBytes, pieces, false, nullptr};
    const QByteArray address = url.toUtf8();
    const QByteArray proxyHost = m_proxy.use ? m_proxy.host.toUtf8() : QByteArray();
    const QByteArray proxyUser = m_proxy.user.toUtf8();
    const QByteArray proxyPassword = m_proxy.password.toUtf8();
    const QByteArray caFile = qgetenv("SSL_CERT_FILE");
    m_handle->error[0] = '\0';

    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_handle->error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, UserAgent);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, ReadTimeoutMs / 1000);
    curl_easy_setopt(curl, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1_2));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());

    // An empty proxy also keeps the environment's proxy variables out: the
    // settings window alone decides.
    curl_easy_setopt(curl, CURLOPT_PROXY, proxyHost.constData());
    if (!proxyHost.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
        curl_easy_setopt(curl, CURLOPT_PROXYPORT, long(m_proxy.port));
        if (!m_proxy.user.trimmed().isEmpty()) {
            curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, proxyUser.constData());
            curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, proxyPassword.constData());
        }
    }

    const CURLcode result = curl_easy_perform(curl);
    if (body.piecesFailure)
        std::rethrow_exception(body.piecesFailure);
    if (body.tooLarge)
        throw EHttpError(QStringLiteral("Could not download %1: the reply is larger than %2 bytes.")
                             .arg(url)
                             .arg(m_maxBodyBytes));
    if (result != CURLE_OK) {
        const QString reason = m_handle->error[0] ? QString::fromUtf8(m_handle->error)
                                                  : QString::fromUtf8(curl_easy_strerror(result));
        throw EHttpError(QStringLiteral("Could not download %1: %2.").arg(url, reason));
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299)
        throw EHttpError(
            QStringLiteral("Could not download %1: the server answered %2.").arg(url).arg(status));
    return body.bytes;
}
