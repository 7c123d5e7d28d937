// The download queue against a real HTTP server on the loopback interface.
#include "core/remote/OVURLManager.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QThread>
#include <QTimeZone>

#include <thread>

namespace {

class URLManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        manager.setTimeout(45.0);
    }

    QString url(const QString &path) const { return server.baseUrl() + path; }

    // Queues one request and waits for its notification.
    OVNotification load(const QString &path, const QVariantMap &userInfo = {})
    {
        NotificationWaiter waiter("TestLoaded");
        manager.loadURLString(url(path), "test", "TestLoaded", userInfo);
        auto n = waiter.wait(10000);
        EXPECT_TRUE(n.has_value()) << path.toStdString();
        return n.value_or(OVNotification{});
    }

    FixtureHttpServer server;
    OVURLManager manager;
};

OVURLPtr requestOf(const OVNotification &n)
{
    return n.object.value<OVURLPtr>();
}

} // namespace

TEST_F(URLManagerTest, NeverRunsMoreThanSixAtOnce)
{
    FixtureHttpServer second;
    ASSERT_TRUE(second.start());
    auto gates = QList<std::shared_ptr<FixtureGate>>();
    for (int i = 0; i < 7; ++i) {
        auto gate = std::make_shared<FixtureGate>();
        gates << gate;
        FixtureResponse held = FixtureResponse::text("frame " + QByteArray::number(i));
        held.gate = gate;
        (i % 2 ? second : server).serve(QStringLiteral("/held/%1").arg(i), held);
    }
    NotificationWaiter done("Held");
    for (int i = 0; i < 7; ++i)
        manager.loadURLString((i % 2 ? second : server).baseUrl() + QStringLiteral("/held/%1").arg(i), "held", "Held");

    auto openNow = [&] { return server.openConnections() + second.openConnections(); };
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() + second.requestCount() == 6; }));
    waitUntil([] { return false; }, 200); // give a seventh request the chance to show up
    EXPECT_EQ(server.requestCount() + second.requestCount(), 6);
    EXPECT_EQ(server.requestCount("/held/6"), 0);
    EXPECT_LE(openNow(), 6);

    gates[0]->open();
    ASSERT_TRUE(done.wait(5000).has_value());
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/held/6") == 1; }));
    for (auto &gate : gates)
        gate->open();
    ASSERT_TRUE(waitUntil([&] { return done.count() == 7; }, 10000));
    EXPECT_LE(server.maxConcurrentConnections() + second.maxConcurrentConnections(), 6);
    EXPECT_TRUE(manager.managedURLStatus().isEmpty());
}

TEST_F(URLManagerTest, NotifiesOnTheMainThreadWithRequestAndUserInfo)
{
    server.serve("/ok", FixtureResponse::text("hello world"));
    FixtureResponse chunked = FixtureResponse::text(QByteArray(3000, 'c'));
    chunked.chunked = true;
    server.serve("/chunked", chunked);
    server.route("GET", "/moved", [&](const FixtureRequest &) {
        FixtureResponse r = FixtureResponse::text("", "text/plain", 302);
        r.headers.append(qMakePair(QByteArray("Location"), QByteArray("/ok")));
        return r;
    });
    server.serve("/missing", FixtureResponse::error(404));
    server.serve("/broken", FixtureResponse::text("server trouble", "text/plain", 500));

    struct Case
    {
        const char *path;
        bool ready;
        QByteArray body;
        int64_t total;
    };
    const Case cases[] = {
        {"/ok", true, "hello world", 11},
        {"/chunked", true, QByteArray(3000, 'c'), 0},
        {"/moved", true, "hello world", 11},
        {"/missing", false, "error 404", 9},
        {"/broken", false, "server trouble", 14},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        QThread *deliveredOn = nullptr;
        OVNotificationCenter::defaultCenter().addObserver(this, "TestLoaded", [&](const OVNotification &) {
            deliveredOn = QThread::currentThread();
        });
        const OVNotification n = load(c.path, {{"tag", c.path}});
        OVNotificationCenter::defaultCenter().removeObserver(this);
        const OVURLPtr request = requestOf(n);
        ASSERT_TRUE(request);
        EXPECT_EQ(deliveredOn, QThread::currentThread());
        EXPECT_EQ(n.userInfo.value("tag").toString(), c.path);
        EXPECT_EQ(request->dataReady(), c.ready);
        EXPECT_EQ(request->errorOccurred(), !c.ready);
        EXPECT_EQ(request->getData(), c.body);
        EXPECT_EQ(request->bytesTotal(), c.total);
    }
}

TEST_F(URLManagerTest, QueueingFromAWorkerTwiceGivesTwoLoads)
{
    server.serve("/twice", FixtureResponse::text("x"));
    NotificationWaiter waiter("Twice");
    std::thread worker([&] {
        manager.loadURLString(url("/twice"), "worker", "Twice");
        manager.loadURLString(url("/twice"), "worker", "Twice");
    });
    worker.join();
    EXPECT_TRUE(manager.isManagingURLString(url("/twice")));
    ASSERT_TRUE(waitUntil([&] { return waiter.count() == 2; }));
    EXPECT_EQ(server.requestCount("/twice"), 2);
    EXPECT_FALSE(manager.isManagingURLString(url("/twice")));

    // An entry without a notification name leaves quietly.
    NotificationWaiter anything("");
    manager.loadURLString(url("/twice"));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/twice") == 3 && manager.managedURLStatus().isEmpty(); }));
    for (const OVNotification &n : anything.received())
        EXPECT_TRUE(n.name.startsWith("OVURL") || n.name == OVNotifyURLManagerChange) << n.name.toStdString();
}

TEST_F(URLManagerTest, LoadsThatNeverAnswerAreEndedByTheTimeoutPass)
{
    manager.setTimeout(0.2);
    FixtureResponse hanging = FixtureResponse::text("late");
    hanging.gate = std::make_shared<FixtureGate>(); // never opened
    server.serve("/hang", hanging);

    const OVNotification hung = load("/hang");
    EXPECT_TRUE(requestOf(hung)->errorOccurred());
    EXPECT_FALSE(requestOf(hung)->dataReady());

    auto cacheOnlyBeyondRange = OVURL::createWithURLString(url("/never-sent"));
    cacheOnlyBeyondRange->setCacheMode(3);
    NotificationWaiter waiter("Ended");
    manager.loadURL(cacheOnlyBeyondRange, "mode 3", "Ended");
    manager.loadURLString("http://bad host/with spaces", "bad", "Ended");
    ASSERT_TRUE(waitUntil([&] { return waiter.count() == 2; }, 5000));
    for (const OVNotification &n : waiter.received())
        EXPECT_TRUE(requestOf(n)->errorOccurred());
    EXPECT_EQ(server.requestCount("/never-sent"), 0);
    manager.setTimeout(45.0);
}

TEST_F(URLManagerTest, RefusedConnectionsFailAtOnceAndAbsentURLsAreRefused)
{
    FixtureHttpServer closed;
    ASSERT_TRUE(closed.start());
    const QString deadUrl = closed.baseUrl() + "/gone";
    closed.stop();
    NotificationWaiter waiter("Refused");
    manager.loadURLString(deadUrl, "dead", "Refused");
    auto n = waiter.wait(5000);
    ASSERT_TRUE(n.has_value());
    EXPECT_TRUE(requestOf(*n)->errorOccurred());

    LogCapture log;
    manager.loadURL(nullptr);
    manager.loadURLString(QString());
    EXPECT_EQ(log.lines().count("[OVURLManager loadURL] URL is nil."), 2);
    EXPECT_TRUE(manager.managedURLStatus().isEmpty());
}

TEST_F(URLManagerTest, SendsTheProcessUserAgentMethodAndBody)
{
    server.route("POST", "/form", [](const FixtureRequest &r) { return FixtureResponse::text(r.body); });
    OVURL::setUserAgent("NimbrelCore/2.0 test");
    auto post = OVURL::createWithURLString(url("/form"));
    post->setHttpMethod("POST");
    post->setHttpBody("key=1&types=obs");
    NotificationWaiter waiter("Posted");
    manager.loadURL(post, "post", "Posted");
    ASSERT_TRUE(waiter.wait().has_value());
    OVURL::setUserAgent(QString());
    EXPECT_EQ(post->getData(), "key=1&types=obs");
    const FixtureRequest seen = server.requests().constLast();
    EXPECT_EQ(seen.headers.value("user-agent"), "NimbrelCore/2.0 test");
    EXPECT_EQ(seen.method, "POST");

    // A foreground load on a worker thread answers synchronously; failures leave no data.
    server.serve("/fg", FixtureResponse::text("foreground"));
    auto fg = OVURL::createWithURLString(url("/fg"));
    auto missing = OVURL::createWithURLString(url("/absent"));
    std::thread worker([&] {
        fg->loadURLInForeground();
        missing->loadURLInForeground();
    });
    worker.join();
    EXPECT_EQ(fg->getData(), "foreground");
    EXPECT_TRUE(fg->dataReady());
    EXPECT_FALSE(fg->errorOccurred());
    EXPECT_TRUE(missing->dataReady());
    EXPECT_TRUE(missing->errorOccurred());
    EXPECT_TRUE(missing->getData().isEmpty());
}

TEST_F(URLManagerTest, CachedLoadsFinishEvenWhenTheServerTurnsToErrors)
{
    int status = 200;
    server.route("GET", "/cached", [&](const FixtureRequest &) {
        FixtureResponse r = FixtureResponse::text("cached body", "text/plain", status);
        r.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("max-age=0")));
        return r;
    });
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        auto url = OVURL::createWithURLString(this->url("/cached"));
        url->setCacheMode(OVURL::ReturnCacheElseLoad);
        NotificationWaiter waiter("Cached");
        manager.loadURL(url, "cached", "Cached");
        ASSERT_TRUE(waiter.wait(5000).has_value());
        EXPECT_TRUE(url->dataReady() || url->errorOccurred());
        status = 503;
    }
}

TEST(URLManagerQueueEntry, StatusMapListsWhatIsSetUnderTheListingsKeys)
{
    const QDateTime queued(QDate(2024, 5, 6), QTime(7, 8, 9), QTimeZone::utc());
    const OVURLPtr url = OVURL::createWithURLString(QStringLiteral("http://127.0.0.1:1/a"));
    struct Case
    {
        OVURLManager::QueueEntry entry;
        QStringList keys;
    };
    const Case cases[] = {
        {{url, url->urlString(), queued, QStringLiteral("Queued"), QString(), QString(), {}, std::nullopt},
         {"queuedTime", "urlKey", "urlStatus", "urlString"}},
        {{url, url->urlString(), queued, QStringLiteral("Loading"), QStringLiteral("Forecast"),
          QStringLiteral("Done"), {{QStringLiteral("n"), 1}}, queued.addSecs(3)},
         {"loadTime", "notifyName", "notifyUserInfo", "queuedTime", "urlDescription", "urlKey", "urlStatus",
          "urlString"}},
    };
    for (const Case &c : cases) {
        const QVariantMap map = c.entry.toStatusMap();
        EXPECT_EQ(map.keys(), c.keys);
        EXPECT_EQ(map.value("urlKey").value<OVURLPtr>(), url);
        EXPECT_EQ(map.value("urlString").toString(), url->urlString());
        EXPECT_EQ(map.value("queuedTime").toDateTime(), queued);
        EXPECT_EQ(map.value("urlStatus").toString(), c.entry.status);
        if (c.entry.loadTime) {
            EXPECT_EQ(map.value("loadTime").toDateTime(), *c.entry.loadTime);
            EXPECT_EQ(map.value("urlDescription").toString(), "Forecast");
            EXPECT_EQ(map.value("notifyName").toString(), "Done");
            EXPECT_EQ(map.value("notifyUserInfo").toMap().value("n").toInt(), 1);
        }
    }
}
