#include "platform/OVNotificationCenter.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QThread>

#include <memory>
#include <thread>

namespace {

OVNotificationCenter &center()
{
    return OVNotificationCenter::defaultCenter();
}

} // namespace

TEST(NotificationCenter, DeliversToObserversInRegistrationOrderAndFiltersByObject)
{
    QStringList calls;
    int a = 0, b = 0, c = 0;
    center().addObserver(&a, "Order", [&](const OVNotification &) { calls << "a"; });
    center().addObserver(&b, "Order", [&](const OVNotification &) { calls << "b"; });
    center().addObserver(&c, "Order", [&](const OVNotification &n) { calls << "c:" + n.userInfo.value("k").toString(); },
                         QVariant(QStringLiteral("only-this")));
    center().addObserver(&c, "Other", [&](const OVNotification &) { calls << "other"; });

    center().post("Order", QVariant(QStringLiteral("something-else")));
    center().post("Order", QVariant(QStringLiteral("only-this")), {{"k", "v"}});
    EXPECT_EQ(calls, (QStringList{"a", "b", "a", "b", "c:v"}));

    for (const void *owner : {(void *)&a, (void *)&b, (void *)&c})
        center().removeObserver(owner);
    calls.clear();
    center().post("Order");
    EXPECT_TRUE(calls.isEmpty());
}

TEST(NotificationCenter, SharedPointerObjectsFilterByIdentity)
{
    auto first = std::make_shared<int>(1);
    auto second = std::make_shared<int>(1);
    int hits = 0;
    center().addObserver(this, "Ptr", [&](const OVNotification &) { ++hits; }, QVariant::fromValue(first));
    center().post("Ptr", QVariant::fromValue(second));
    center().post("Ptr", QVariant::fromValue(first));
    EXPECT_EQ(hits, 1);
    center().removeObserver(this);
}

TEST(NotificationCenter, MainThreadPostFromWorkerDeliversOnMainThread)
{
    QThread *deliveredOn = nullptr;
    center().addObserver(this, "FromWorker", [&](const OVNotification &) { deliveredOn = QThread::currentThread(); });
    NotificationWaiter waiter("FromWorker");
    std::thread worker([] { OVNotificationCenter::defaultCenter().postOnMainThread("FromWorker"); });
    worker.join();
    ASSERT_TRUE(waiter.wait(2000).has_value());
    EXPECT_EQ(deliveredOn, QThread::currentThread());
    center().removeObserver(this);
}

TEST(NotificationCenter, WaitingMainThreadPostHasDeliveredWhenItReturns)
{
    std::atomic<bool> delivered{false};
    std::atomic<bool> seenByWorker{false};
    center().addObserver(this, "Waited", [&](const OVNotification &) { delivered = true; });
    std::thread worker([&] {
        OVNotificationCenter::defaultCenter().postOnMainThread("Waited", QVariant(), {}, true);
        seenByWorker = delivered.load();
    });
    ASSERT_TRUE(waitUntil([&] { return seenByWorker.load(); }, 2000));
    worker.join();
    center().removeObserver(this);
}

TEST(NotificationCenter, ObserverRemovedBeforeDeliveryIsNotCalled)
{
    int calls = 0;
    center().addObserver(this, "Queued", [&](const OVNotification &) { ++calls; });
    center().postOnMainThread("Queued");   // queued, not yet delivered
    center().removeObserver(this);
    NotificationWaiter after("Queued");
    center().postOnMainThread("Queued");
    ASSERT_TRUE(after.wait(2000).has_value());
    EXPECT_EQ(calls, 0);

    // Removal from inside a delivery stops the later observers of the same owner.
    int selfRemoving = 0;
    center().addObserver(this, "Self", [&](const OVNotification &) {
        ++selfRemoving;
        center().removeObserver(this);
    });
    center().addObserver(this, "Self", [&](const OVNotification &) { ++selfRemoving; });
    center().post("Self");
    EXPECT_EQ(selfRemoving, 1);
}
