#include "HttpClient.h"

#include "LocalServers.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const QString ListPath = QStringLiteral("/blocklist.php?download=domainblocklist");

// Trusts the local server's certificate for the length of a test.
class TrustedCertificate {
public:
    TrustedCertificate() { qputenv("SSL_CERT_FILE", testCertificate().certificateFile.toUtf8()); }
    ~TrustedCertificate() { qunsetenv("SSL_CERT_FILE"); }
    TrustedCertificate(const TrustedCertificate&) = delete;
    TrustedCertificate& operator=(const TrustedCertificate&) = delete;
};

class HttpClientTest : public ::testing::Test {
protected:
    QString url(const QString& path = ListPath) const
    {
        return QStringLiteral("https://") + server.hostAndPort() + path;
    }
    ProxySettings proxyAt(quint16 port, const QString& user = QString(),
                          const QString& password = QString()) const
    {
        ProxySettings proxy;
        proxy.use = true;
        proxy.host = QStringLiteral("127.0.0.1");
        proxy.port = port;
        proxy.user = user;
        proxy.password = password;
        return proxy;
    }
    // The request head line of the given header name, or an empty text.
    static QString header(const QString& head, const QString& name)
    {
        for (const QString& line : head.split(QStringLiteral("\r\n"))) {
            if (line.startsWith(name + u':', Qt::CaseInsensitive))
                return line;
        }
        return QString();
    }
    // Whether the request is refused as a reply larger than `limit` bytes.
    testing::AssertionResult refusedAsLargerThan(qint64 limit)
    {
        try {
            client.get(url());
        } catch (const EHttpError& error) {
            if (error.message().contains(QStringLiteral("larger than %1 bytes").arg(limit)))
                return testing::AssertionSuccess();
            return testing::AssertionFailure() << error.what();
        }
        return testing::AssertionFailure() << "a reply over the limit was taken";
    }

    TrustedCertificate trust;
    LocalHttpsServer server;
    THttpClient client;
};

} // namespace

TEST_F(HttpClientTest, GetsTheBodyOverVerifiedTlsWithTheUserAgent)
{
    server.setBody(ListPath, "a.com\r\nb.com\r\n");
    EXPECT_EQ(client.get(url()), QByteArray("a.com\r\nb.com\r\n"));
    ASSERT_EQ(server.requestHeads().size(), 1);
    const QString head = server.requestHeads().first();
    EXPECT_TRUE(head.startsWith(QStringLiteral("GET ") + ListPath + QStringLiteral(" HTTP/1.1")))
        << head.toStdString();
    EXPECT_EQ(header(head, QStringLiteral("User-Agent")),
              QStringLiteral("User-Agent: Mozilla/5.0"));
}

TEST_F(HttpClientTest, PiecesOfTheBodyArriveInOrderAsTheyCome)
{
    QByteArray list;
    for (int i = 0; list.size() < (1 << 20); ++i)
        list += "host" + QByteArray::number(i) + ".example\n";
    server.setBody(ListPath, list);
    QByteArray seen;
    int pieces = 0;
    EXPECT_EQ(client.get(url(),
                         [&](QByteArrayView piece) {
                             seen += piece;
                             ++pieces;
                         }),
              list);
    EXPECT_EQ(seen, list);
    EXPECT_GT(pieces, 1);
}

TEST_F(HttpClientTest, AFailureWhileTakingAPieceEndsTheRequestWithIt)
{
    server.setBody(ListPath, "a.com\r\n");
    EXPECT_THROW(client.get(url(), [](QByteArrayView) { throw std::runtime_error("seen"); }),
                 std::runtime_error);
    EXPECT_EQ(client.get(url()), QByteArray("a.com\r\n")); // the client still works
}

TEST_F(HttpClientTest, AReplyLargerThanTheLimitIsRefused)
{
    server.setBody(ListPath, QByteArray(4096, 'a'));
    client.setMaxBodyBytes(4096);
    EXPECT_EQ(client.get(url()).size(), 4096);

    client.setMaxBodyBytes(4095);
    EXPECT_TRUE(refusedAsLargerThan(4095));
}

TEST_F(HttpClientTest, RefusesAServerTheTrustStoreDoesNotVouchFor)
{
    server.setBody(ListPath, "a.com");
    qunsetenv("SSL_CERT_FILE"); // the system's store knows nothing of the test certificate
    EXPECT_THROW(client.get(url()), EHttpError);
    EXPECT_EQ(server.requestCount(ListPath), 0);
}

TEST_F(HttpClientTest, AnErrorStatusOrNoServerIsAFailureNamingTheUrl)
{
    try {
        client.get(url(QStringLiteral("/missing")));
        FAIL() << "a 404 counted as success";
    } catch (const EHttpError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("404"))) << error.what();
        EXPECT_TRUE(error.message().contains(url(QStringLiteral("/missing")))) << error.what();
    }
    EXPECT_THROW(client.get(QStringLiteral("https://127.0.0.1:%1/x").arg(unusedPort())),
                 EHttpError);
}

TEST_F(HttpClientTest, OnlyHttpsIsFetched)
{
    EXPECT_THROW(client.get(QStringLiteral("file:///etc/passwd")), EHttpError);
}

TEST_F(HttpClientTest, GoesThroughTinyproxy)
{
    TinyProxy proxy;
    ASSERT_TRUE(proxy.started()) << "tinyproxy did not start";
    server.setBody(ListPath, "through the proxy");
    client.setProxy(proxyAt(proxy.port()));
    EXPECT_EQ(client.get(url()), QByteArray("through the proxy"));
    EXPECT_TRUE(proxy.log().contains(QStringLiteral("CONNECT"))) << proxy.log().toStdString();
}

TEST_F(HttpClientTest, SendsProxyCredentialsWhenAUserIsGiven)
{
    TinyProxy proxy(QStringLiteral("alice"), QStringLiteral("s3cret"));
    ASSERT_TRUE(proxy.started()) << "tinyproxy did not start";
    server.setBody(ListPath, "authorised");

    client.setProxy(proxyAt(proxy.port(), QStringLiteral("alice"), QStringLiteral("s3cret")));
    EXPECT_EQ(client.get(url()), QByteArray("authorised"));

    client.setProxy(proxyAt(proxy.port(), QStringLiteral("alice"), QStringLiteral("wrong")));
    EXPECT_THROW(client.get(url()), EHttpError);
}

TEST_F(HttpClientTest, ABlankProxyUserSendsNoCredentials)
{
    RecordingProxy proxy;
    client.setProxy(proxyAt(proxy.port(), QStringLiteral("  "), QStringLiteral("secret")));
    EXPECT_THROW(client.get(url()), EHttpError); // the recorder refuses every request
    ASSERT_EQ(proxy.requestHeads().size(), 1);
    const QString head = proxy.requestHeads().first();
    EXPECT_TRUE(head.startsWith(QStringLiteral("CONNECT 127.0.0.1:"))) << head.toStdString();
    EXPECT_TRUE(header(head, QStringLiteral("Proxy-Authorization")).isEmpty())
        << head.toStdString();

    client.setProxy(proxyAt(proxy.port(), QStringLiteral(" bob"), QStringLiteral("pw")));
    EXPECT_THROW(client.get(url()), EHttpError);
    ASSERT_EQ(proxy.requestHeads().size(), 2);
    // The user goes untrimmed, as typed.
    EXPECT_EQ(header(proxy.requestHeads().at(1), QStringLiteral("Proxy-Authorization")),
              QStringLiteral("Proxy-Authorization: Basic ") +
                  QString::fromLatin1(QByteArray(" bob:pw").toBase64()));
}

TEST_F(HttpClientTest, ProxyOffGoesDirectWhateverTheEnvironmentSays)
{
    RecordingProxy proxy;
    const QByteArray proxyUrl = "http://" + proxy.hostAndPort().toUtf8();
    qputenv("https_proxy", proxyUrl);
    qputenv("HTTPS_PROXY", proxyUrl);
    server.setBody(ListPath, "direct");
    ProxySettings off = proxyAt(proxy.port());
    off.use = false;
    client.setProxy(off);
    const QByteArray body = client.get(url());
    qunsetenv("https_proxy");
    qunsetenv("HTTPS_PROXY");
    EXPECT_EQ(body, QByteArray("direct"));
    EXPECT_TRUE(proxy.requestHeads().isEmpty());
}

TEST_F(HttpClientTest, ALengthNamedWronglyNeitherExhaustsMemoryNorPassesForTheBody)
{
    server.setBody(ListPath, QByteArray(4096, 'a'));
    client.setMaxBodyBytes(8192);

    // Far more than memory holds: nothing is taken in advance, and the body
    // that ends short of the length is a failure.
    server.setNamedLength(ListPath, qint64(1) << 50);
    EXPECT_THROW(client.get(url()), EHttpError);

    // Less than the body: the reply is what the length names.
    server.setNamedLength(ListPath, 100);
    EXPECT_EQ(client.get(url()), QByteArray(100, 'a'));

    // More than the limit: refused as a large reply is.
    server.setBody(ListPath, QByteArray(9000, 'a'));
    server.setNamedLength(ListPath, 9000);
    EXPECT_TRUE(refusedAsLargerThan(8192));
}
