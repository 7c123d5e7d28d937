// The slot cache: least-recently-used replacement, lookups, removal and resizing.
#include "core/OVCacheHandler.h"

#include <gtest/gtest.h>

namespace {

QVariantMap item(const QString &name)
{
    return {{"icao", name}};
}

QStringList names(const OVCacheHandler &cache)
{
    QStringList list;
    for (const QVariantMap &stored : cache.objects())
        list.append(stored.value("icao").toString());
    return list;
}

} // namespace

TEST(CacheHandler, LeastRecentlyUsedSlotIsReplaced)
{
    OVCacheHandler cache(3);
    for (const char *name : {"P", "Q", "R", "S"})
        cache.cacheItem(item(name));
    EXPECT_EQ(names(cache), (QStringList{"S", "Q", "R"}));
    EXPECT_EQ(cache.cacheCounters(), (QList<uint64_t>{0, 2, 1}));

    EXPECT_EQ(cache.itemWithKey("icao", "Q"), item("Q"));
    cache.cacheItem(item("T"));
    EXPECT_EQ(names(cache), (QStringList{"S", "Q", "T"}));
    EXPECT_FALSE(cache.itemWithKey("icao", "P"));
}

TEST(CacheHandler, NilArgumentsAnswerNilAndLeaveAgesAlone)
{
    OVCacheHandler cache(3);
    cache.cacheItem(item("P"));
    cache.cacheItem(item("Q"));
    const QList<uint64_t> ages = cache.cacheCounters();
    EXPECT_FALSE(cache.itemWithKey(QString(), "P"));
    EXPECT_FALSE(cache.itemWithKey("icao", QString()));
    EXPECT_FALSE(cache.itemWithKey("icao", std::shared_ptr<int>()));
    EXPECT_EQ(cache.cacheCounters(), ages);
    cache.resetIndex(3); // out of bounds: nothing changes
    EXPECT_EQ(cache.cacheCounters(), ages);
}

TEST(CacheHandler, SlotCounts)
{
    struct Case
    {
        int64_t requested, expected;
    };
    for (const Case &c : {Case{0, 1}, Case{-1, 1}, Case{1, 1}, Case{10, 10}}) {
        SCOPED_TRACE(c.requested);
        EXPECT_EQ(OVCacheHandler(c.requested).numCachedObjects(), c.expected);
    }
    EXPECT_EQ(OVCacheHandler().numCachedObjects(), 10);

    OVCacheHandler cache(5);
    for (const char *name : {"A", "B", "C"})
        cache.cacheItem(item(name));
    cache.setNumSlots(10);
    EXPECT_EQ(names(cache), (QStringList{"A", "B", "C"}));
    cache.setNumSlots(5);
    EXPECT_EQ(cache.numCachedObjects(), 5);
    EXPECT_TRUE(cache.objects().isEmpty());
    EXPECT_EQ(cache.cacheCounters(), QList<uint64_t>(5, 0));
}

TEST(CacheHandler, RemovalEmptiesEveryMatchAndEmptySlotsFillFirst)
{
    OVCacheHandler cache(4);
    for (const char *name : {"A", "B", "A", "C"})
        cache.cacheItem(item(name));
    cache.removeItemWithKey("icao", "A");
    EXPECT_EQ(names(cache), (QStringList{"B", "C"}));
    EXPECT_EQ(cache.cacheCounters(), (QList<uint64_t>{0, 2, 0, 0}));
    EXPECT_EQ(cache.oldestIndex(), 0);
    cache.removeAllItems();
    EXPECT_TRUE(cache.objects().isEmpty());
    EXPECT_EQ(cache.cacheCounters(), QList<uint64_t>(4, 0));
}

TEST(CacheHandler, IdentityLookupAndEvictedItemsStayValid)
{
    OVCacheHandler cache(1);
    auto connection = std::make_shared<QString>("station db");
    auto lookalike = std::make_shared<QString>("station db");
    cache.cacheItem({{"icao", "KJFK"}, {"dbConnection", QVariant::fromValue(connection)}});
    EXPECT_FALSE(cache.itemWithKey("dbConnection", lookalike));
    const auto found = cache.itemWithKey("dbConnection", connection);
    ASSERT_TRUE(found);
    cache.cacheItem(item("KBOS")); // evicts the only slot
    connection.reset();
    EXPECT_EQ(*found->value("dbConnection").value<std::shared_ptr<QString>>(), "station db");
}
