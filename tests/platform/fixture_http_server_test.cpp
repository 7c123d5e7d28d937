// The fixture server is what every network test stands on, so it is checked once here with
// Qt's own client.
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>

namespace {

QNetworkReply *get(QNetworkAccessManager &manager, const QString &url)
{
    QNetworkRequest request{QUrl(url)};
    return manager.get(request);
}

} // namespace

TEST(FixtureHttpServer, RecordsRequestsAndCountsConcurrentConnections)
{
    FixtureHttpServer server;
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    auto gate = std::make_shared<FixtureGate>();
    FixtureResponse held = FixtureResponse::text("held");
    held.gate = gate;
    server.serve("/held", held);
    server.route("POST", "/echo", [](const FixtureRequest &r) {
        return FixtureResponse::text(r.body + "|" + r.query.toUtf8() + "|" + r.headers.value("x-probe"));
    });

    QNetworkAccessManager manager;
    QList<QNetworkReply *> replies;
    for (int i = 0; i < 4; ++i)
        replies << get(manager, server.baseUrl() + "/held?n=" + QString::number(i));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/held") == 4; }));
    EXPECT_EQ(server.openConnections(), 4);
    EXPECT_TRUE(std::none_of(replies.begin(), replies.end(), [](QNetworkReply *r) { return r->isFinished(); }));
    gate->open();
    ASSERT_TRUE(waitUntil([&] { return std::all_of(replies.begin(), replies.end(), [](QNetworkReply *r) { return r->isFinished(); }); }));
    for (QNetworkReply *r : replies) {
        EXPECT_EQ(r->readAll(), "held");
        r->deleteLater();
    }
    EXPECT_EQ(server.maxConcurrentConnections(), 4);

    QNetworkRequest post{QUrl(server.baseUrl() + "/echo?a=1&b=%20")};
    post.setRawHeader("X-Probe", "yes");
    post.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    QNetworkReply *echo = manager.post(post, "key=value");
    ASSERT_TRUE(waitUntil([&] { return echo->isFinished(); }));
    EXPECT_EQ(echo->readAll(), "key=value|a=1&b=%20|yes");
    const FixtureRequest recorded = server.requests().constLast();
    EXPECT_EQ(recorded.method, "POST");
    EXPECT_EQ(recorded.path, "/echo");
    EXPECT_EQ(recorded.headers.value("content-type"), "application/x-www-form-urlencoded");
    echo->deleteLater();
}

TEST(FixtureHttpServer, FailuresChunkingDropsAndIPv6)
{
    FixtureHttpServer server;
    ASSERT_TRUE(server.start());
    server.serve("/fail", FixtureResponse::error(503));
    FixtureResponse chunked = FixtureResponse::text(QByteArray(5000, 'x'));
    chunked.chunked = true;
    server.serve("/chunked", chunked);
    FixtureResponse dropped = FixtureResponse::text(QByteArray(5000, 'y'));
    dropped.dropAfterBytes = 200;
    server.serve("/dropped", dropped);

    QNetworkAccessManager manager;
    auto fetch = [&](const QString &url) {
        QNetworkReply *r = get(manager, url);
        EXPECT_TRUE(waitUntil([&] { return r->isFinished(); }));
        r->deleteLater();
        return r;
    };
    QNetworkReply *fail = fetch(server.baseUrl() + "/fail");
    EXPECT_EQ(fail->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 503);
    EXPECT_EQ(fetch(server.baseUrl() + "/chunked")->readAll().size(), 5000);
    QNetworkReply *drop = fetch(server.baseUrl() + "/dropped");
    EXPECT_NE(drop->error(), QNetworkReply::NoError);
    EXPECT_EQ(fetch(server.baseUrl() + "/nowhere")->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 404);
    if (!server.baseUrlV6().isEmpty()) {
        EXPECT_EQ(fetch(server.baseUrlV6() + "/chunked")->readAll().size(), 5000);
    }
}

TEST(FixtureHttpServer, TlsModeServesOnlyToClientsThatTrustItsCertificate)
{
    FixtureHttpServer server(FixtureHttpServer::Mode::Tls);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    server.serve("/secure", FixtureResponse::text("secret"));

    QNetworkAccessManager manager;
    QNetworkReply *untrusted = get(manager, server.baseUrl() + "/secure");
    ASSERT_TRUE(waitUntil([&] { return untrusted->isFinished(); }, 10000));
    EXPECT_EQ(untrusted->error(), QNetworkReply::SslHandshakeFailedError);
    untrusted->deleteLater();

    QNetworkRequest request{QUrl(server.baseUrl() + "/secure")};
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.addCaCertificates(QSslCertificate::fromData(server.certificatePem()));
    request.setSslConfiguration(config);
    QNetworkAccessManager trustingManager;
    QNetworkReply *trusted = trustingManager.get(request);
    ASSERT_TRUE(waitUntil([&] { return trusted->isFinished(); }, 10000));
    EXPECT_EQ(trusted->error(), QNetworkReply::NoError) << trusted->errorString().toStdString();
    EXPECT_EQ(trusted->readAll(), "secret");
    trusted->deleteLater();
}
