// The assistant with the grid cache folder set (once per process, so in a test program of its
// own): a repeated request is answered from the cache without a request to the server.
#include "OpenDAPTestSupport.h"
#include "opendap/OVOpenDAPAssistant.h"
#include "opendap/OVOpenDAPCache.h"

#include "core/NBRegisteredDefaults.h"
#include "core/OVGrid.h"
#include "platform/OVUserDefaults.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <QDir>
#include <QTemporaryDir>

#include <atomic>
#include <mutex>

namespace {

std::shared_ptr<OVGrid> requestGrid(const QString &variable, double level, const QDateTime &forecastTime, int64_t type)
{
    std::mutex mutex;
    std::shared_ptr<OVGrid> answer;
    std::atomic<int> calls{0};
    const QDateTime run(QDate(2024, 3, 19), QTime(0, 0), QTimeZone::utc());
    OVOpenDAPAssistant::requestGridForVariable(variable, level, run, forecastTime, type,
                                               [&](std::shared_ptr<OVGrid> grid) {
                                                   std::lock_guard lock(mutex);
                                                   answer = std::move(grid);
                                                   ++calls;
                                               });
    EXPECT_TRUE(waitUntil([&] { return calls > 0; }, 15000));
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(calls, 1);
    std::lock_guard lock(mutex);
    return answer;
}

} // namespace

TEST(AssistantWithCache, ASecondIdenticalRequestIsAnsweredFromTheCache)
{
    DAP2Service service;
    service.serveModelServer();
    QTemporaryDir folder;
    OVOpenDAPCache::sharedCache().setCacheDirectory(folder.path());
    ASSERT_TRUE(OVOpenDAPCache::sharedCache().cacheReady());

    const QDateTime forecast(QDate(2024, 3, 19), QTime(3, 0), QTimeZone::utc());
    for (int64_t type : {20, 44}) {
        SCOPED_TRACE(type);
        const QString variable = type == 20 ? QStringLiteral("tmpprs") : QStringLiteral("tmp2m");
        const auto fresh = requestGrid(variable, 500.0, forecast, type);
        ASSERT_TRUE(fresh);
        service.http.clearRequests();
        const auto cached = requestGrid(variable, 500.0, forecast, type);
        ASSERT_TRUE(cached);
        EXPECT_EQ(service.http.requests().size(), 0);
        EXPECT_NE(cached, fresh);
        EXPECT_EQ(cached->values(), fresh->values());
        EXPECT_EQ(cached->xResolution(), fresh->xResolution());
        EXPECT_EQ(cached->yResolution(), fresh->yResolution());
        EXPECT_EQ(cached->geoRect().minPoint.longitude, double(float(fresh->geoRect().minPoint.longitude)));
        EXPECT_EQ(cached->geoRect().maxPoint.longitude, double(float(fresh->geoRect().maxPoint.longitude)));
        EXPECT_EQ(cached->geoRect().minPoint.latitude, double(float(fresh->geoRect().minPoint.latitude)));
        EXPECT_EQ(cached->geoRect().maxPoint.latitude, double(float(fresh->geoRect().maxPoint.latitude)));
    }
    EXPECT_EQ(QDir(folder.filePath("Grids")).entryList(QDir::Files),
              (QStringList{"20_20240319000000_1_tmpprs_2.data", "44_20240319000000_1_tmp2m_0.data"}));
    OVUserDefaults::standard().removeObject(NBSettingKey::modelDataServerURL);
}
