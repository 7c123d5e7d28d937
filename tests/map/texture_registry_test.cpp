// The texture registry: one budget over every loader, expired and least recently used items
// dropped first, pattern deletes counted back from the newest use, pending keys.
#include "map/gl/OVTextureLoader.h"
#include "map/gl/OVTextureRegistry.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QSet>

#include <optional>

namespace {

struct StoredItem
{
    const char *key;
    uint64_t size;
    int lastUsedSecondsAgo;
};

enum class Action { AddNew, DeleteMatching, SetBudget };

struct RegistryCase
{
    const char *name;
    uint64_t budget;
    QList<StoredItem> items;
    Action action;
    uint64_t bytes;                 // AddNew: size of the new texture; SetBudget: the budget
    std::optional<QString> pattern; // DeleteMatching
    double grace;                   // DeleteMatching
    QSet<QString> expectedKeys;
};

class TextureRegistry : public ::testing::Test
{
protected:
    TextureRegistry()
        : registry(clock, [this](uint32_t number) { return liveTextures.contains(number); })
        , loader(nullptr, registry)
    {
    }

    OVTextureLoaderItemPtr add(const QString &key, uint64_t size, uint32_t number = 1)
    {
        auto item = std::make_shared<OVTextureLoaderItem>(&loader, key, clock);
        item->setSize(size);
        item->setTextureNumber(number);
        registry.addItem(item, &loader, key);
        return item;
    }

    QSet<QString> keys() const
    {
        QSet<QString> found;
        for (const OVTextureLoaderItemPtr &item : registry.allItemsForLoader(&loader))
            found.insert(item->key());
        return found;
    }

    FakeClock clock;
    QSet<uint32_t> liveTextures;
    OVTextureRegistry registry;
    OVTextureLoader loader; // without a context: only a key in the registry here
};

TEST_F(TextureRegistry, MakesRoomAndDropsByPatternAsTheCasesSay)
{
    const RegistryCase cases[] = {
        {"the older item goes until the new one fits", 1000, {{"a600", 600, 20}, {"b300", 300, 10}},
         Action::AddNew, 200, std::nullopt, 0, {"b300", "new"}},
        {"grace 0 keeps only matches used as late as the newest",
         100000, {{"radar/a", 10, 5}, {"radar/b", 10, 0}, {"terrain/c", 10, 0}, {"terrain/d", 10, 3}},
         Action::DeleteMatching, 0, QStringLiteral("radar"), 0.0, {"radar/b", "terrain/c", "terrain/d"}},
        {"grace 10 counts back from the newest use, not from now",
         100000, {{"radar/newest", 10, 3}, {"radar/old", 10, 14}, {"radar/within", 10, 12}},
         Action::DeleteMatching, 0, QStringLiteral("radar"), 10.0, {"radar/newest", "radar/within"}},
        {"no pattern means every item of the loader", 100000, {{"x/a", 10, 30}, {"y/b", 10, 0}},
         Action::DeleteMatching, 0, std::nullopt, 10.0, {"y/b"}},
        {"a lower budget evicts at once, expired items first", 2000,
         {{"expired", 100, 1801}, {"oldest", 300, 100}, {"older", 300, 50}, {"newest", 200, 10}},
         Action::SetBudget, 500, std::nullopt, 0, {"older", "newest"}},
        {"an expired item goes even when everything fits", 100000, {{"expired", 100, 1801}, {"fresh", 100, 0}},
         Action::AddNew, 10, std::nullopt, 0, {"fresh", "new"}},
        {"an item unused for exactly 1800 s has not expired", 2000, {{"edge", 100, 1800}, {"fresh", 100, 0}},
         Action::AddNew, 10, std::nullopt, 0, {"edge", "fresh", "new"}},
        {"a lone texture larger than the budget stays", 100, {{"old", 50, 5}},
         Action::AddNew, 500, std::nullopt, 0, {"new"}},
        {"a format outside the table costs nothing and evicts nothing", 100, {{"old", 100, 5}},
         Action::AddNew, 0, std::nullopt, 0, {"old", "new"}},
    };
    for (const RegistryCase &c : cases) {
        SCOPED_TRACE(c.name);
        registry.deleteAllTextures(&loader);
        registry.setMaxTextureMemory(c.budget);
        const QDateTime now = clock.now();
        QList<OVTextureLoaderItemPtr> made;
        for (const StoredItem &stored : c.items)
            made.append(add(QString::fromLatin1(stored.key), stored.size));
        for (qsizetype i = 0; i < made.size(); ++i)
            made[i]->setCreationTime(now.addSecs(-c.items[i].lastUsedSecondsAgo));
        made.clear();
        switch (c.action) {
        case Action::AddNew:
            add(QStringLiteral("new"), c.bytes);
            break;
        case Action::DeleteMatching:
            loader.deleteTexturesWithKeyMatchingPattern(c.pattern, c.grace);
            break;
        case Action::SetBudget:
            registry.setMaxTextureMemory(c.bytes);
            break;
        }
        EXPECT_EQ(keys(), c.expectedKeys);
    }
}

TEST_F(TextureRegistry, ChargesBytesPerPixelOfTheInternalFormat)
{
    EXPECT_EQ(OVTextureRegistry::pixelSizeOfFormat(GL_INTENSITY), 1u);
    EXPECT_EQ(OVTextureRegistry::pixelSizeOfFormat(GL_RGB5_A1), 2u);
    EXPECT_EQ(OVTextureRegistry::pixelSizeOfFormat(0x84ED /* GL_COMPRESSED_RGB */), 2u);
    EXPECT_EQ(OVTextureRegistry::pixelSizeOfFormat(GL_RGB), 3u);
    EXPECT_EQ(OVTextureRegistry::pixelSizeOfFormat(GL_RGBA), 4u);
    EXPECT_EQ(OVTextureRegistry::pixelSizeOfFormat(GL_RGBA16), 8u);
    EXPECT_EQ(OVTextureRegistry::pixelSizeOfFormat(GL_BGRA), 0u);
    EXPECT_EQ(registry.maxTextureMemory(), 104857600u);
}

TEST_F(TextureRegistry, ALookupOfATextureGoneFromGLAnswersNoneAndForgetsIt)
{
    liveTextures = {5};
    add(QStringLiteral("alive"), 10, 5);
    add(QStringLiteral("gone"), 10, 6);
    EXPECT_EQ(loader.textureNumberForKey(QStringLiteral("alive")), 5u);
    EXPECT_EQ(loader.textureNumberForKey(QStringLiteral("gone")), 0xFFFFFFFFu);
    EXPECT_EQ(keys(), QSet<QString>{QStringLiteral("alive")});
    EXPECT_EQ(loader.textureNumberForKey(QStringLiteral("never")), 0xFFFFFFFFu);
}

TEST_F(TextureRegistry, ALookupMarksTheItemUsed)
{
    const OVTextureLoaderItemPtr item = add(QStringLiteral("k"), 10, 5);
    liveTextures = {5};
    clock.advance(1799);
    EXPECT_EQ(loader.textureNumberForKey(QStringLiteral("k")), 5u);
    clock.advance(1799);
    EXPECT_FALSE(item->hasExpired());
    clock.advance(2);
    EXPECT_TRUE(item->hasExpired());
}

TEST_F(TextureRegistry, APendingKeyIsRefusedUntilReleased)
{
    EXPECT_FALSE(registry.isKeyPending(QStringLiteral("tile")));
    EXPECT_TRUE(registry.queueKey(QStringLiteral("tile")));
    EXPECT_TRUE(registry.isKeyPending(QStringLiteral("tile")));
    EXPECT_FALSE(registry.isKeyPending(QStringLiteral("other")));
    EXPECT_FALSE(registry.queueKey(QStringLiteral("tile")));
    registry.dequeueKey(QStringLiteral("tile"));
    EXPECT_FALSE(registry.isKeyPending(QStringLiteral("tile")));
    EXPECT_TRUE(registry.queueKey(QStringLiteral("tile")));
}

TEST_F(TextureRegistry, AReplacedItemLeavesAndTheUseCountsOnce)
{
    add(QStringLiteral("k"), 100);
    add(QStringLiteral("k"), 30);
    EXPECT_EQ(registry.textureMemoryUsed(), 30u);
    EXPECT_TRUE(registry.descriptionOfAllLoadedTextures().contains(QStringLiteral("  k\n")));
}

} // namespace
