#include "core/OVAnimation.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <mutex>

namespace {

struct RecordingDelegate : OVAnimationDelegate
{
    std::mutex mutex;
    QList<float> progress;
    int finished = 0;
    bool offMainThread = false;
    bool onMainThread = false;

    void animationProgressed(OVAnimation &a) override
    {
        std::lock_guard lock(mutex);
        progress << a.currentProgress();
        (QThread::currentThread() == qApp->thread() ? onMainThread : offMainThread) = true;
    }
    void animationFinished(OVAnimation &) override
    {
        std::lock_guard lock(mutex);
        ++finished;
    }
};

} // namespace

TEST(Animation, ThreadedProgressRisesToExactlyOne)
{
    OVAnimation animation(0.2, OVTimedAnimation::Curve::EaseInOut);
    animation.setFrameRate(60);
    animation.setAnimationBlockingMode(OVTimedAnimation::BlockingMode::NonBlockingThreaded);
    RecordingDelegate delegate;
    animation.setDelegate(&delegate);
    animation.startAnimation();
    EXPECT_TRUE(animation.isAnimating());
    ASSERT_TRUE(waitUntil([&] { return !animation.isAnimating(); }, 3000));
    std::lock_guard lock(delegate.mutex);
    EXPECT_TRUE(delegate.offMainThread);
    EXPECT_FALSE(delegate.onMainThread);
    ASSERT_GE(delegate.progress.size(), 3);
    EXPECT_TRUE(std::is_sorted(delegate.progress.begin(), delegate.progress.end()));
    EXPECT_EQ(delegate.progress.last(), 1.0f);
    EXPECT_EQ(delegate.finished, 1);
}

TEST(Animation, OnlyExactlyOneFinishes)
{
    OVAnimation animation(1.0, OVTimedAnimation::Curve::Linear);
    RecordingDelegate delegate;
    animation.setDelegate(&delegate);
    animation.setCurrentProgress(0.999f);
    EXPECT_EQ(delegate.progress.size(), 1);
    EXPECT_EQ(delegate.finished, 0);
    animation.setCurrentProgress(1.0f);
    EXPECT_EQ(delegate.finished, 1);
}

TEST(Animation, ResetWhileRunningStopsEveryCallback)
{
    OVAnimation animation(5.0, OVTimedAnimation::Curve::Linear);
    animation.setAnimationBlockingMode(OVTimedAnimation::BlockingMode::NonBlockingThreaded);
    RecordingDelegate delegate;
    animation.setDelegate(&delegate);
    animation.startAnimation();
    ASSERT_TRUE(waitUntil([&] { std::lock_guard l(delegate.mutex); return delegate.progress.size() >= 2; }, 2000));
    animation.resetAnimation();
    EXPECT_FALSE(animation.isAnimating());
    EXPECT_EQ(animation.currentProgress(), 0.0f);
    qsizetype seen = 0;
    {
        std::lock_guard l(delegate.mutex);
        seen = delegate.progress.size();
    }
    waitUntil([] { return false; }, 100);
    std::lock_guard l(delegate.mutex);
    EXPECT_EQ(delegate.progress.size(), seen);
    EXPECT_EQ(delegate.finished, 0);
}

TEST(Animation, NonBlockingReportsOnTheMainThreadAndRestartsFromZero)
{
    OVAnimation animation(0.1, OVTimedAnimation::Curve::Linear);
    animation.setAnimationBlockingMode(OVTimedAnimation::BlockingMode::NonBlocking);
    RecordingDelegate delegate;
    animation.setDelegate(&delegate);
    animation.startAnimation();
    ASSERT_TRUE(waitUntil([&] { return delegate.finished == 1; }, 3000));
    EXPECT_TRUE(delegate.onMainThread);
    EXPECT_FALSE(delegate.offMainThread);

    delegate.progress.clear();
    animation.setAnimationBlockingMode(OVTimedAnimation::BlockingMode::Blocking);
    animation.startAnimation(); // at 1.0: starts again from 0, returns at the end
    EXPECT_FALSE(animation.isAnimating());
    EXPECT_EQ(delegate.finished, 2);
    EXPECT_LT(delegate.progress.first(), 0.5f);
}
