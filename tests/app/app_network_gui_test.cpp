// Network loss and return over a network switched by hand and a stepped clock: the status text,
// the update when the network returns, and the one delayed dialog early in a run.
#include "AppControllerFixture.h"
#include "core/NBPrefController.h"

namespace {

using Q = QNetworkInformation::Reachability;

struct NetworkCase
{
    const char *name;
    double lossAt;   // seconds after launch
    double backAfter; // seconds after the loss; negative: never
    const char *statusText;
    bool expectAlert;
};

void PrintTo(const NetworkCase &c, std::ostream *out)
{
    *out << c.name;
}

class NetworkTest : public AppControllerTest, public testing::WithParamInterface<NetworkCase>
{
};

} // namespace

TEST_P(NetworkTest, StatusTextUpdateAndDelayedDialog)
{
    const NetworkCase &c = GetParam();
    launch();
    ASSERT_TRUE(env.network);
    env.scheduler->advance(c.lossAt);
    env.network->set(Q::Disconnected);
    EXPECT_EQ(NBPrefController::statusMessage(), QStringLiteral("Not Connected"));
    EXPECT_FALSE(controller->isReachable());

    NotificationWaiter updates(QStringLiteral("OVNotifyForceReload"));
    if (c.backAfter >= 0) {
        env.scheduler->advance(c.backAfter);
        env.network->set(Q::Online);
        EXPECT_EQ(updates.count(), 1) << "the network's return starts an update at once";
    }
    if (c.expectAlert) {
        env.scheduler->advance(44.9 - (c.backAfter >= 0 ? c.backAfter : 0));
        EXPECT_TRUE(env.alerts->alerts.empty()) << "too early";
        env.scheduler->advance(0.1);
    }
    env.scheduler->advance(600);

    EXPECT_EQ(NBPrefController::statusMessage(), QString::fromUtf8(c.statusText));
    if (!c.expectAlert) {
        EXPECT_TRUE(env.alerts->alerts.empty());
        return;
    }
    ASSERT_EQ(env.alerts->alerts.size(), 1u);
    const RecordedAlert &alert = env.alerts->alerts.front();
    EXPECT_FALSE(alert.critical);
    EXPECT_EQ(alert.title, QStringLiteral("Network Error."));
    EXPECT_EQ(alert.message, QStringLiteral("Nimbrel Core could not connect to the internet.  Some data may not be available."));
    EXPECT_EQ(alert.button, QStringLiteral("OK"));
}

INSTANTIATE_TEST_SUITE_P(Network, NetworkTest,
                         testing::Values(NetworkCase{"LostAt5sBack20sLater", 5, 20, "Loading...", false},
                                         NetworkCase{"LostAfter10Minutes", 600, -1, "Not Connected", false},
                                         NetworkCase{"LostAt10sNeverBack", 10, -1, "Not Connected", true}),
                         [](const testing::TestParamInfo<NetworkCase> &info) { return std::string(info.param.name); });

TEST_F(AppControllerTest, TheDialogComesAt55SecondsAfterALossAt10Seconds)
{
    launch();
    env.scheduler->advance(10);
    env.network->set(Q::Disconnected);
    env.scheduler->advance(44.999);
    EXPECT_TRUE(env.alerts->alerts.empty());
    env.scheduler->advance(0.001);
    EXPECT_EQ(env.alerts->alerts.size(), 1u);
    EXPECT_EQ(controller->launchTime().msecsTo(env.scheduler->now()), 55000);
}
