// System sleep and wake over a private message bus on which the test plays logind: the
// controller follows "PrepareForSleep", ticks at once after waking, and ignores the network
// while the system sleeps.
#include "AppControllerFixture.h"
#include "core/NBPrefController.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>

namespace {

class PowerTest : public AppControllerTest
{
protected:
    void SetUp() override
    {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon.waitForStarted(10000)) << "dbus-daemon is needed";
        ASSERT_TRUE(waitUntil([&] { return daemon.canReadLine(); }, 10000));
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        logind = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("logind")));
        ASSERT_TRUE(logind->isConnected());
        ASSERT_TRUE(logind->registerService(QStringLiteral("org.freedesktop.login1")));
    }
    void TearDown() override
    {
        AppControllerTest::TearDown();
        QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
        QDBusConnection::disconnectFromBus(QStringLiteral("controller"));
        daemon.terminate();
        daemon.waitForFinished(5000);
    }

    NBController &launchOnBus()
    {
        NBControllerEnvironment environment = env.make();
        const QString bus = address;
        environment.systemBus = [bus] { return QDBusConnection::connectToBus(bus, QStringLiteral("controller")); };
        controller = std::make_unique<NBController>(std::move(environment));
        controller->awakeFromNib();
        controller->applicationDidFinishLaunching();
        return *controller;
    }

    void prepareForSleep(bool start)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << start;
        ASSERT_TRUE(logind->send(signal));
    }

    QProcess daemon;
    QString address;
    std::unique_ptr<QDBusConnection> logind;
};

} // namespace

TEST_F(PowerTest, WhileAsleepANetworkChangeAltersNothing)
{
    launchOnBus();
    NBPrefController::setStatusMessage(QStringLiteral("before"));
    prepareForSleep(true);
    ASSERT_TRUE(waitUntil([] { return NBController::systemSleeping(); }));

    env.network->set(QNetworkInformation::Reachability::Disconnected);
    EXPECT_EQ(NBPrefController::statusMessage(), QStringLiteral("before"));
    EXPECT_TRUE(controller->isReachable());
}

TEST_F(PowerTest, WakingTicksAtOnce)
{
    launchOnBus();
    env.scheduler->advance(2.0);
    EXPECT_FALSE(NBController::systemJustWokeUp());
    env.scheduler->set(env.scheduler->now().addSecs(7200)); // slept two hours: an update is due
    NotificationWaiter updates(QStringLiteral("OVNotifyForceReload"));

    prepareForSleep(true);
    ASSERT_TRUE(waitUntil([] { return NBController::systemSleeping(); }));
    EXPECT_EQ(updates.count(), 0);
    prepareForSleep(false);
    ASSERT_TRUE(waitUntil([&] { return updates.count() == 1; }));
    EXPECT_TRUE(NBController::systemJustWokeUp());
    EXPECT_FALSE(NBController::systemSleeping());
    EXPECT_EQ(controller->lastUpdateTime(), env.scheduler->now());
}

TEST_F(AppControllerTest, WithoutABusSleepIsNotFollowed)
{
    LogCapture log;
    launch();
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to register for sleep/wake events.")));
    EXPECT_TRUE(controller->appDidFinishLaunching());
}
