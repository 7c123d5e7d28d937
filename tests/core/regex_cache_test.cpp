// The compiled-pattern cache: LRU order inside a set, eviction, clearing, forgetting a subject,
// and two threads sharing one pattern.
#include "RegexTestSupport.h"

#include "core/regex/ERXLruWord.h"
#include "core/regex/ERXRegexCache.h"
#include "core/regex/ExtRegexAdditions.h"

#include <gtest/gtest.h>

#include <thread>

using namespace ExtRegexAdditions;

namespace {

int entryIndexOf(const QString &pattern)
{
    ERXRegexCache &cache = ERXRegexCache::shared();
    std::unique_lock<std::mutex> lock(cache.mutex());
    return cache.entryIndexOf(lock, pattern, 0);
}

// `count` patterns that all fall into one cache set.
QStringList patternsOfOneSet(int count)
{
    QStringList patterns;
    const int set = ERXRegexCache::setIndexFor(QStringLiteral("p0"), 0);
    for (int i = 0; patterns.size() < count; ++i) {
        const QString pattern = QStringLiteral("p%1").arg(i);
        if (ERXRegexCache::setIndexFor(pattern, 0) == set)
            patterns.append(pattern);
    }
    return patterns;
}

} // namespace

TEST(RegexCache, LruWordFillsWayThreeFirstAndEvictsTheLeastRecentlyUsed)
{
    ERXLruWord word;
    QList<int> victims;
    for (int i = 0; i < 4; ++i) {
        victims.append(word.victim());
        word.touch(word.victim());
    }
    EXPECT_EQ(victims, (QList<int>{3, 2, 1, 0}));
    EXPECT_EQ(word.victim(), 3);
    word.touch(3);
    EXPECT_EQ(word.victim(), 2);
    word.touch(2);
    word.touch(1);
    EXPECT_EQ(word.victim(), 0);
}

TEST(RegexCache, FifthPatternOfASetEvictsTheLeastRecentlyUsed)
{
    clearStringCache();
    const QStringList patterns = patternsOfOneSet(5);
    const int set = ERXRegexCache::setIndexFor(patterns[0], 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(isRegexValid(patterns[i]));
        EXPECT_EQ(entryIndexOf(patterns[i]), set * 4 + 3 - i) << patterns[i].toStdString();
    }
    // Using the oldest again refreshes it; the fifth then takes the second one's way.
    EXPECT_FALSE(isMatchedByRegex(QStringLiteral("x"), patterns[0]));
    EXPECT_TRUE(isRegexValid(patterns[4]));
    EXPECT_EQ(entryIndexOf(patterns[1]), -1);
    EXPECT_EQ(entryIndexOf(patterns[4]), set * 4 + 2);
    EXPECT_EQ(entryIndexOf(patterns[0]), set * 4 + 3);
    EXPECT_EQ(entryIndexOf(patterns[3]), set * 4 + 0);

    clearStringCache();
    EXPECT_EQ(entryIndexOf(patterns[0]), -1);
    EXPECT_TRUE(isMatchedByRegex(QStringLiteral("p0"), patterns[0]));
    EXPECT_EQ(entryIndexOf(patterns[0]), set * 4 + 3);
}

TEST(RegexCache, EngineKeepsItsCopyOfTheSubjectUntilFlushed)
{
    QString subject = QStringLiteral("KJFK 18010KT");
    subject.detach();
    EXPECT_TRUE(isMatchedByRegex(subject, QStringLiteral("KT$")));
    EXPECT_FALSE(subject.isDetached());
    flushCachedRegexData(subject);
    EXPECT_TRUE(subject.isDetached());
}

TEST(RegexCache, TwoThreadsShareOnePatternOnDifferentSubjects)
{
    const QString regex = QStringLiteral("(\\d{3})(\\d{2})KT");
    const QStringList subjects = {QStringLiteral("KJFK 18010KT 10SM"), QStringLiteral("KSEA 27015KT 09004KT")};
    QList<QList<QStringList>> expected;
    for (const QString &subject : subjects)
        expected.append(arrayOfCaptureComponentsMatchedByRegex(subject, regex));

    std::atomic<int> mismatches{0};
    const auto work = [&](int which) {
        for (int i = 0; i < 2000; ++i) {
            if (arrayOfCaptureComponentsMatchedByRegex(subjects[which], regex) != expected[which])
                ++mismatches;
            if (stringByMatching(subjects[which], regex, 1) != expected[which][0][1])
                ++mismatches;
        }
    };
    std::thread first(work, 0);
    std::thread second(work, 1);
    first.join();
    second.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(RegexCache, LookupWithoutTheLockIsAnInternalInconsistency)
{
    ERXRegexCache &cache = ERXRegexCache::shared();
    std::unique_lock<std::mutex> notHeld(cache.mutex(), std::defer_lock);
    const std::optional<ERXException> raised =
        raisedBy([&] { cache.lookup(notHeld, QStringLiteral("a"), 0, nullptr); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->name(), ERXInternalInconsistencyException);
    EXPECT_TRUE(raised->userInfo().value("description").toString().startsWith("Invalid parameter not satisfying: "));
    EXPECT_EQ(raised->userInfo().value("exceptionName"), ERXInternalInconsistencyException);
    EXPECT_TRUE(isMatchedByRegex(QStringLiteral("a"), QStringLiteral("a")));
}
