// Geo datasets: addresses from URLs, patterns and inventories, downloads through the shared queue,
// the processing hook, and the grid lookup of dataset items.
#include "core/remote/OVGeoDataset.h"
#include "core/remote/OVURLManager.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC);
}

// Records what reaches the hook.
class RecordingDataset : public OVGeoDataset
{
public:
    void processDownloadedData(const QByteArray &data) override
    {
        OVGeoDataset::processDownloadedData(data);
        hookCalls << data;
        setDataReady(true);
    }
    QList<QByteArray> hookCalls;
};

class GeoDatasetTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    void reloadAndWait(RecordingDataset &dataset)
    {
        dataset.reloadDataIfNeeded();
        ASSERT_TRUE(waitUntil([&] { return !dataset.dataLoading(); }));
    }

    FixtureHttpServer server;
};

} // namespace

TEST_F(GeoDatasetTest, PatternDatesAreFormattedInUTCWhateverTheLocalZone)
{
    ASSERT_EQ(qgetenv("TZ"), "America/New_York");
    server.route("GET", "/radar/202403100630.png", [](const FixtureRequest &) { return FixtureResponse::text("spring"); });
    server.route("GET", "/radar/202411030530.png", [](const FixtureRequest &) { return FixtureResponse::text("autumn"); });
    const QString pattern = "'" + server.baseUrl() + "/radar/'yyyyMMddHHmm'.png'";

    RecordingDataset dataset;
    dataset.setURLStringFormat(pattern, utc(2024, 3, 10, 6, 30));
    reloadAndWait(dataset);
    dataset.setURLStringFormat(pattern, utc(2024, 11, 3, 5, 30)); // a new date asks for a new URL
    reloadAndWait(dataset);
    EXPECT_EQ(dataset.hookCalls, (QList<QByteArray>{"spring", "autumn"}));
    EXPECT_EQ(server.requestCount("/radar/202403100630.png"), 1);
    EXPECT_EQ(server.requestCount("/radar/202411030530.png"), 1);
}

TEST_F(GeoDatasetTest, ImagesDecodeFailuresNeverReachTheHookAndHeldDataIsReprocessed)
{
    server.serveFile("/tile.png", testDataPath("core/remote/tile_4x4.png"), "image/png");
    server.serve("/missing.png", FixtureResponse::error(404));

    RecordingDataset image;
    image.setDownloadType(OVGeoDataset::Image);
    EXPECT_EQ(image.name(), "Image Dataset");
    image.setUrlString(server.baseUrl() + "/tile.png");
    reloadAndWait(image);
    ASSERT_EQ(image.image().size(), QSize(4, 4));
    EXPECT_EQ(image.image().pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(image.image().pixelColor(3, 3), QColor(255, 0, 0));

    // Marked needed while holding data: the hook sees the same bytes again, and the next reload
    // is not blocked.
    image.reloadDataIfNeeded();
    EXPECT_EQ(image.hookCalls.size(), 1) << "not needed: nothing happens";
    image.setInventory(nullptr);
    image.updateDataset();
    image.setUrlString(image.urlString());
    image.inventoryUpdated({});
    RecordingDataset held;
    held.setUrlString(server.baseUrl() + "/tile.png");
    held.setData("held bytes");
    held.reloadDataIfNeeded();
    EXPECT_EQ(held.hookCalls, (QList<QByteArray>{"held bytes"}));
    EXPECT_FALSE(held.dataLoading());
    EXPECT_EQ(server.requestCount("/tile.png"), 1);

    RecordingDataset missing;
    missing.setUrlString(server.baseUrl() + "/missing.png");
    reloadAndWait(missing);
    EXPECT_TRUE(missing.hookCalls.isEmpty());
    EXPECT_FALSE(missing.dataReady());
    EXPECT_FALSE(missing.dataNeeded()) << "a failed download waits until marked needed again";
}

TEST_F(GeoDatasetTest, AnUnloadedInventoryIsLoadedFirstThenItsClosestTimeIsUsed)
{
    server.serve("/frames.txt", FixtureResponse::text("202401150900\n202401151000\n"));
    server.route("GET", "/frame/202401151000.png", [](const FixtureRequest &) { return FixtureResponse::text("frame"); });
    auto inventory = OVInventory::inventoryWithURLString(server.baseUrl() + "/frames.txt");

    RecordingDataset dataset;
    dataset.setInventory(inventory);
    dataset.setUrlString("'" + server.baseUrl() + "/frame/'yyyyMMddHHmm'.png'");
    NotificationWaiter updated(OVInventoryUpdatedNotification, QVariant::fromValue(inventory));
    dataset.reloadDataIfNeeded();
    ASSERT_TRUE(updated.wait().has_value());
    EXPECT_EQ(server.requestCount(), 1) << "only the inventory is requested";
    EXPECT_TRUE(dataset.dataNeeded());

    reloadAndWait(dataset);
    EXPECT_EQ(dataset.hookCalls, (QList<QByteArray>{"frame"}));
}

TEST(GeoDatasetItem, GridLookupTable)
{
    // 4 columns x 3 rows, value = index.
    std::vector<double> values(12);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = double(i);
    struct Case
    {
        const char *name;
        bool flipped;
        double shift;
        double latitude, longitude;
        int64_t index;
    };
    const Case cases[] = {
        {"south pole, west edge", false, 0, -90, -180, 0},
        {"north pole is the last row", false, 0, 90, 0, 10},
        {"flipped: north pole is row 0 ... ", true, 0, 90, -180, 0},
        {"flipped: south pole is the last row", true, 0, -90, -180, 8},
        {"longitude 180 wraps to column 0", false, 0, -45, 180, 4},
        {"last half-cell wraps too", false, 0, -45, 170, 4},
        {"shift moves the column", false, 90, -45, -180, 5},
        {"shift wraps around", false, 360, -45, -90, 5},
        {"the equator rounds half up to row 2", false, 0, 0, -180, 8},
    };
    OVGeoDatasetItem item;
    EXPECT_EQ(item.gridIndexForLatitude(0, 0), -1);
    EXPECT_EQ(item.dataForGeoPoint(OVGeoPointMake(0, 0)), -1000.0);
    item.setData(values.data(), int64_t(values.size()));
    item.setDataWidth(4);
    item.setDataHeight(3);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        item.setDataIsFlipped(c.flipped);
        item.setLongitudeShift(c.shift);
        EXPECT_EQ(item.gridIndexForLatitude(c.latitude, c.longitude), c.index);
        EXPECT_EQ(item.dataForGeoPoint(OVGeoPointMake(c.latitude, c.longitude)), double(c.index));
    }
    item.setData(nullptr, 0);
    EXPECT_EQ(item.numPoints(), 0);
}
