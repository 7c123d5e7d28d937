// Which jobs one pass of the loader's worker takes, drops and releases.
#include "map/gl/OVTextureLoader.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

namespace {

OVTextureLoaderJobPtr load(const QString &key, bool cancelIfOld = false)
{
    auto job = std::make_shared<OVTextureLoaderJob>();
    job->textureKey = key;
    job->cancelIfOld = cancelIfOld;
    return job;
}

OVTextureLoaderJobPtr deletion(uint32_t number, bool highPriority)
{
    auto job = std::make_shared<OVTextureLoaderJob>();
    job->isDeleteJob = true;
    job->textureNumber = number;
    job->highPriority = highPriority;
    return job;
}

TEST(TextureLoaderPass, AHighPriorityDeleteBehindThirtyLoadsIsTakenFirstPass)
{
    QList<OVTextureLoaderJobPtr> queue;
    for (int i = 0; i < 30; ++i)
        queue.append(load(QStringLiteral("k%1").arg(i)));
    const OVTextureLoaderJobPtr urgent = deletion(9, true);
    queue.append(urgent);
    queue.append(deletion(10, false));
    const OVTextureLoaderPass pass = OVTextureLoader::selectPass(queue);
    ASSERT_EQ(pass.taken.size(), 11);
    EXPECT_TRUE(pass.taken.contains(urgent));
    EXPECT_EQ(queue.size(), 21);
    EXPECT_EQ(queue.first()->textureKey, QStringLiteral("k10"));
    EXPECT_TRUE(queue.last()->isDeleteJob); // the ordinary delete waits its turn
    EXPECT_TRUE(pass.dropped.isEmpty());
    EXPECT_TRUE(pass.releasedKeys.isEmpty());
}

TEST(TextureLoaderPass, StaleJobsBeyondTheFiftiethAreDroppedAndTheirKeysReleased)
{
    QList<OVTextureLoaderJobPtr> queue;
    for (int i = 0; i < 10; ++i)
        queue.append(load(QStringLiteral("taken%1").arg(i)));
    for (int i = 0; i < 50; ++i)
        queue.append(load(QStringLiteral("kept%1").arg(i), true));
    for (int i = 0; i < 11; ++i)
        queue.append(load(QStringLiteral("late%1").arg(i), i % 2 == 0));
    const OVTextureLoaderPass pass = OVTextureLoader::selectPass(queue);
    EXPECT_EQ(pass.taken.size(), 10);
    EXPECT_EQ(pass.dropped.size(), 6);
    EXPECT_EQ(queue.size(), 55);
    ASSERT_EQ(pass.releasedKeys.size(), 11);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(pass.releasedKeys[i], QStringLiteral("late%1").arg(i));
    for (const OVTextureLoaderJobPtr &job : pass.dropped)
        EXPECT_TRUE(job->cancelIfOld);
    EXPECT_EQ(queue[49]->textureKey, QStringLiteral("kept49"));
    EXPECT_EQ(queue[50]->textureKey, QStringLiteral("late1"));
}

TEST(TextureLoaderPass, FiftyWaitingJobsAreAllKept)
{
    QList<OVTextureLoaderJobPtr> queue;
    for (int i = 0; i < 60; ++i)
        queue.append(load(QStringLiteral("k%1").arg(i), true));
    const OVTextureLoaderPass pass = OVTextureLoader::selectPass(queue);
    EXPECT_EQ(queue.size(), 50);
    EXPECT_TRUE(pass.dropped.isEmpty());
}

TEST(TextureLoaderPass, PixelsRepackIntoSmallerFormats)
{
    const QByteArray rgba("\xFF\x80\x10\x00\x08\x10\x18\xFF", 8);
    const auto rgb5a1 = OVTextureLoader::compressedPixelsFromSource(rgba, GL_RGB5_A1);
    ASSERT_TRUE(rgb5a1);
    ASSERT_EQ(rgb5a1->size(), 4);
    const auto *values = reinterpret_cast<const uint16_t *>(rgb5a1->constData());
    EXPECT_EQ(values[0], 0xF800 | (0x80 / 8 * 64) | (0x10 / 8 * 2));
    EXPECT_EQ(values[1], 0x0800 | (0x10 / 8 * 64) | (0x18 / 8 * 2) | 1);
    EXPECT_EQ(OVTextureLoader::compressedPixelsFromSource(rgba, GL_LUMINANCE_ALPHA),
              QByteArray("\x84\x00\x0F\xFF", 4));
    EXPECT_FALSE(OVTextureLoader::compressedPixelsFromSource(QByteArray(6, '\0'), GL_RGBA));
    EXPECT_FALSE(OVTextureLoader::compressedPixelsFromSource(rgba, GL_BGRA));
}

} // namespace
