// Inventories of dataset times, loaded from a real HTTP server through the shared download queue.
#include "core/remote/OVInventory.h"
#include "platform/OVLog.h"
#include "support/FakeClock.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

class InventoryTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    // A fresh inventory for a path of this test's server; waits for its first load.
    OVInventoryPtr loadedInventory(const QString &path)
    {
        auto inventory = OVInventory::inventoryWithURLString(server.baseUrl() + path);
        inventory->setClock(&clock);
        NotificationWaiter updated(OVInventoryUpdatedNotification, QVariant::fromValue(inventory));
        inventory->update();
        EXPECT_TRUE(updated.wait().has_value());
        return inventory;
    }

    // Loads once more and waits until the download has been handled.
    void reload(const OVInventoryPtr &inventory)
    {
        const int before = server.requestCount();
        inventory->update();
        ASSERT_TRUE(waitUntil([&] { return server.requestCount() > before && !inventory->inventoryLoading(); }))
            << server.requestCount() << " requests, loading " << inventory->inventoryLoading();
    }

    FixtureHttpServer server;
    FakeClock clock{utc(2024, 1, 15, 10, 10)};
};

} // namespace

TEST_F(InventoryTest, ParsesTimesFromLinesAsTheyCome)
{
    server.serveFile("/inv.txt", testDataPath("core/remote/inventory.txt"), "text/plain");
    auto inventory = loadedInventory("/inv.txt");
    EXPECT_EQ(inventory, OVInventory::inventoryWithURLString(server.baseUrl() + "/inv.txt"));
    EXPECT_EQ(OVInventory::inventoryWithURLString(QString()), nullptr);
    ASSERT_TRUE(inventory->dataReady());
    // Month 13 and text without a time are skipped; digits inside text and CRLF lines count.
    EXPECT_EQ(inventory->inventoryDates(),
              (QList<QDateTime>{utc(2024, 1, 15, 9, 30), utc(2024, 1, 15, 10, 0), utc(2024, 1, 15, 10, 30),
                                utc(2024, 1, 15, 10, 45)}));

    struct Case
    {
        const char *name;
        QDateTime date;
        QDateTime closest, before, after;
    };
    const Case cases[] = {
        {"between", utc(2024, 1, 15, 10, 10), utc(2024, 1, 15, 10, 0), utc(2024, 1, 15, 10, 0), utc(2024, 1, 15, 10, 30)},
        {"equal is neither before nor after", utc(2024, 1, 15, 10, 30), utc(2024, 1, 15, 10, 30), utc(2024, 1, 15, 10, 0), utc(2024, 1, 15, 10, 45)},
        {"within a second", utc(2024, 1, 15, 10, 30, 1), utc(2024, 1, 15, 10, 30), utc(2024, 1, 15, 10, 0), utc(2024, 1, 15, 10, 45)},
        {"tie goes to the first", utc(2024, 1, 15, 9, 45), utc(2024, 1, 15, 9, 30), utc(2024, 1, 15, 9, 30), utc(2024, 1, 15, 10, 0)},
        {"before all", utc(2024, 1, 1, 0, 0), utc(2024, 1, 15, 9, 30), QDateTime(), utc(2024, 1, 15, 9, 30)},
        {"after all", utc(2024, 2, 1, 0, 0), utc(2024, 1, 15, 10, 45), utc(2024, 1, 15, 10, 45), QDateTime()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(inventory->closestInventoryToDate(c.date), c.closest);
        EXPECT_EQ(inventory->closestInventoryBeforeDate(c.date), c.before);
        EXPECT_EQ(inventory->closestInventoryAfterDate(c.date), c.after);
    }
    EXPECT_EQ(inventory->closestInventory(), utc(2024, 1, 15, 10, 0)) << "now comes from the clock";
}

TEST_F(InventoryTest, OnlyAChangedGoodListReplacesTheDates)
{
    QByteArray body = "202401150930\n";
    int status = 200;
    server.route("GET", "/live.txt", [&](const FixtureRequest &) { return FixtureResponse::text(body, "text/plain", status); });
    auto inventory = loadedInventory("/live.txt");
    const QList<QDateTime> first{utc(2024, 1, 15, 9, 30)};
    ASSERT_EQ(inventory->inventoryDates(), first);

    NotificationWaiter updates(OVInventoryUpdatedNotification, QVariant::fromValue(inventory));
    reload(inventory); // the same bytes again
    body = "nothing listed\n";
    reload(inventory);
    body = "202401151100\n";
    status = 500; // a failed load never counts, whatever its body
    reload(inventory);
    EXPECT_EQ(inventory->inventoryDates(), first);
    EXPECT_EQ(updates.count(), 1) << "only the list without times was new";

    status = 200;
    reload(inventory);
    EXPECT_EQ(inventory->inventoryDates(), (QList<QDateTime>{utc(2024, 1, 15, 11, 0)}));
    EXPECT_EQ(updates.count(), 2);
}

TEST_F(InventoryTest, RefreshesOnItsTimerAndWhenStale)
{
    server.serveFile("/timed.txt", testDataPath("core/remote/inventory_changed.txt"), "text/plain");
    auto inventory = loadedInventory("/timed.txt");
    inventory->updateIfNeeded(); // just loaded: nothing to do
    EXPECT_EQ(server.requestCount("/timed.txt"), 1);
    clock.advance(1801);
    inventory->updateIfNeeded();
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/timed.txt") == 2; }));

    inventory->setUpdateTimeInterval(0.05);
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/timed.txt") >= 4; }, 3000));
    inventory->setUpdateTimeInterval(1800);
}
