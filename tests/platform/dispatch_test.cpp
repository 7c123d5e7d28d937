#include "platform/OVDispatch.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(Dispatch, SerialQueueRunsOneJobAtATimeInSubmissionOrder)
{
    OVSerialQueue queue("test.serial");
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::vector<int> order; // touched only on the queue
    constexpr int kThreads = 6;
    constexpr int kPerThread = 300;
    std::vector<std::thread> submitters;
    for (int t = 0; t < kThreads; ++t) {
        submitters.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                queue.async([&, t, i] {
                    if (running.fetch_add(1) != 0)
                        overlapped = true;
                    order.push_back(t * kPerThread + i);
                    running.fetch_sub(1);
                });
            }
        });
    }
    for (auto &s : submitters)
        s.join();
    size_t total = 0;
    queue.sync([&] { total = order.size(); });
    EXPECT_EQ(total, size_t(kThreads * kPerThread));
    EXPECT_FALSE(overlapped);
    // Jobs of one submitter keep their order.
    std::vector<int> lastOf(kThreads, -1);
    for (int v : order) {
        EXPECT_GT(v % kPerThread, lastOf[v / kPerThread]);
        lastOf[v / kPerThread] = v % kPerThread;
    }
}

TEST(Dispatch, SyncFromTheQueueItselfRunsInline)
{
    OVSerialQueue queue("test.reentrant");
    bool inner = false;
    queue.sync([&] {
        EXPECT_TRUE(queue.isCurrent());
        queue.sync([&] { inner = true; });
    });
    EXPECT_TRUE(inner);
    EXPECT_FALSE(queue.isCurrent());
}

TEST(Dispatch, GroupWaitAndNotify)
{
    OVDispatchGroup group;
    std::atomic<int> done{0};
    for (int i = 0; i < 20; ++i)
        group.async([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            ++done;
        });
    EXPECT_TRUE(group.wait(5000));
    EXPECT_EQ(done.load(), 20);

    OVDispatchGroup pending;
    pending.enter();
    EXPECT_FALSE(pending.wait(20));
    bool notified = false;
    pending.notifyMain([&] { notified = true; });
    EXPECT_FALSE(waitUntil([&] { return notified; }, 50));
    pending.leave();
    EXPECT_TRUE(waitUntil([&] { return notified; }, 2000));
    EXPECT_TRUE(pending.wait(0));
}

TEST(Dispatch, ApplyCoversEveryIndexOnceEvenWhenNested)
{
    constexpr size_t kCount = 1000;
    std::vector<std::atomic<int>> hits(kCount);
    OVDispatch::apply(kCount, [&](size_t i) { ++hits[i]; });
    for (size_t i = 0; i < kCount; ++i)
        ASSERT_EQ(hits[i].load(), 1) << "index " << i;

    std::atomic<int> inner{0};
    OVDispatch::apply(16, [&](size_t) { OVDispatch::apply(16, [&](size_t) { ++inner; }); });
    EXPECT_EQ(inner.load(), 256);
    OVDispatch::apply(0, [](size_t) { FAIL(); });
}
