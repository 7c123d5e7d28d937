// The network monitor: the reachability flag rules as bit tests, the mapping of Qt's network
// states onto them, and the change notification.
#include "app/Reachability.h"
#include "AppTestSupport.h"

#include <gtest/gtest.h>

namespace {

using R = Reachability;

struct FlagCase
{
    const char *name;
    uint32_t flags;
    int networkStatus;
    int localWiFiStatus;
};

} // namespace

TEST(Reachability, FlagRules)
{
    const FlagCase cases[] = {
        {"none", 0, 0, 0},
        {"reachable", R::Reachable, 1, 0},
        {"reachable, connection required", R::Reachable | R::ConnectionRequired, 0, 0},
        {"reachable, direct", R::Reachable | R::IsDirect, 1, 1},
        {"reachable, direct, connection required", R::Reachable | R::IsDirect | R::ConnectionRequired, 0, 1},
        {"direct only", R::IsDirect, 0, 0},
        {"every other flag", R::TransientConnection | R::ConnectionOnTraffic | R::InterventionRequired | R::IsLocalAddress, 0, 0},
        {"bit values", 0x2u | 0x20000u, 1, 1},
    };
    for (const FlagCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(R::networkStatusForFlags(c.flags), c.networkStatus);
        EXPECT_EQ(R::localWiFiStatusForFlags(c.flags), c.localWiFiStatus);
    }
}

TEST(Reachability, FlagStatusLine)
{
    EXPECT_EQ(R::flagStatusLine(R::Reachable | R::IsDirect, "networkStatusForFlags"),
              QStringLiteral("Reachability Flag Status: R -----d networkStatusForFlags"));
    EXPECT_EQ(R::flagStatusLine(0xFFFFFFFFu, "localWiFiStatusForFlags"),
              QStringLiteral("Reachability Flag Status: R tcCild localWiFiStatusForFlags"));
}

TEST(Reachability, QtStatesAsStatus)
{
    using Q = QNetworkInformation::Reachability;
    const std::pair<Q, int> cases[] = {
        {Q::Online, 1}, {Q::Unknown, 1}, {Q::Disconnected, 0}, {Q::Local, 0}, {Q::Site, 0},
    };
    auto source = std::make_unique<SwitchableNetwork>();
    SwitchableNetwork *network = source.get();
    const auto reachability = Reachability::reachabilityForInternetConnection(std::move(source));
    for (const auto &[state, status] : cases) {
        SCOPED_TRACE(int(state));
        network->set(state);
        EXPECT_EQ(reachability->currentReachabilityStatus(), status);
        EXPECT_FALSE(reachability->connectionRequired());
    }
}

TEST(Reachability, PostsEachChangeOnceStarted)
{
    auto source = std::make_unique<SwitchableNetwork>();
    SwitchableNetwork *network = source.get();
    const auto reachability = Reachability::reachabilityForInternetConnection(std::move(source));
    NotificationWaiter changes(kNetworkReachabilityChangedNotification);

    network->set(QNetworkInformation::Reachability::Disconnected);
    EXPECT_EQ(changes.count(), 0) << "nothing is posted before startNotifier";

    ASSERT_TRUE(reachability->startNotifier());
    network->set(QNetworkInformation::Reachability::Online);
    network->set(QNetworkInformation::Reachability::Disconnected);
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes.received().first().object.value<QObject *>(), reachability.get());

    reachability->stopNotifer();
    network->set(QNetworkInformation::Reachability::Online);
    EXPECT_EQ(changes.count(), 2);
}
