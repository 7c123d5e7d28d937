// The two-key dictionary: both key modes, storage order, sizing and refused misuse.
#include "core/OVIndexSetAdditions.h"
#include "core/OVMultikeyDictionary.h"

#include <gtest/gtest.h>

using Dictionary = OVMultikeyDictionary<QString>;

TEST(MultikeyDictionary, IntegerPairsAreOrdered)
{
    Dictionary d;
    EXPECT_EQ(d.dictionaryMode(), OVMultikeyDictionaryMode::Integer);
    d.setObjectForIntegerKey(QStringLiteral("a"), 3, 4);
    d.setObjectForIntegerKey(QStringLiteral("b"), 4, 3);
    EXPECT_EQ(d.count(), 2u);
    EXPECT_EQ(d.objectForIntegerKey(3, 4), QStringLiteral("a"));
    EXPECT_EQ(d.objectForIntegerKey(4, 3), QStringLiteral("b"));
    EXPECT_FALSE(d.objectForIntegerKey(3, 3));
}

TEST(MultikeyDictionary, ReplaceAndRemoveByStoringNothing)
{
    Dictionary d;
    d.setObjectForIntegerKey(QStringLiteral("a"), 1, 2);
    d.setObjectForIntegerKey(QStringLiteral("b"), 1, 2);
    EXPECT_EQ(d.count(), 1u);
    EXPECT_EQ(d.objectForIntegerKey(1, 2), QStringLiteral("b"));
    d.setObjectForIntegerKey(std::nullopt, 1, 2);
    EXPECT_EQ(d.count(), 0u);
    EXPECT_FALSE(d.objectForIntegerKey(1, 2));
    d.removeObjectForIntegerKey(1, 2); // absent: nothing happens
    EXPECT_EQ(d.count(), 0u);
}

TEST(MultikeyDictionary, RemovalMovesTheLastEntryIntoTheGap)
{
    Dictionary d;
    d.setObjectForIntegerKey(QStringLiteral("first"), 0, 0);
    d.setObjectForIntegerKey(QStringLiteral("second"), 0, 1);
    d.setObjectForIntegerKey(QStringLiteral("third"), 0, 2);
    d.removeObjectForIntegerKey(0, 0);
    EXPECT_EQ(d.allValues(), (QList<QString>{QStringLiteral("third"), QStringLiteral("second")}));
}

TEST(MultikeyDictionary, CapacityGrowsAndShrinksInStepsOfTen)
{
    struct Case { int stores; size_t capacity; };
    const Case cases[] = {{0, 10}, {9, 10}, {10, 20}, {19, 20}, {20, 30}, {35, 40}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.stores << " stores");
        Dictionary d;
        for (int i = 0; i < c.stores; ++i)
            d.setObjectForIntegerKey(QString::number(i), i, -i);
        EXPECT_EQ(d.count(), size_t(c.stores));
        EXPECT_EQ(d.capacity(), c.capacity);
    }

    Dictionary d;
    for (int i = 0; i < 35; ++i)
        d.setObjectForIntegerKey(QString::number(i), i, 0);
    for (int i = 0; i < 15; ++i)
        d.removeObjectForIntegerKey(i, 0);
    EXPECT_EQ(d.count(), 20u);
    EXPECT_EQ(d.capacity(), 30u); // twenty free slots at the 15th removal: shrunk to count + 10
    d.removeAllObjects();
    EXPECT_EQ(d.capacity(), 10u);
    EXPECT_EQ(d.count(), 0u);
}

TEST(MultikeyDictionary, ObjectKeysCompareByValue)
{
    auto d = Dictionary::objectKeyed();
    QString a = QStringLiteral("tile");
    d.setObjectForObjectKey(QStringLiteral("v"), QVariant(a), QVariant(7));
    // A separately built string of the same text finds the entry.
    const QString same = QStringLiteral("ti") + QStringLiteral("le");
    EXPECT_EQ(d.objectForObjectKey(same, 7), QStringLiteral("v"));
    EXPECT_FALSE(d.objectForObjectKey(same, 8));
    d.removeObjectForObjectKey(same, 7);
    EXPECT_EQ(d.count(), 0u);
}

TEST(MultikeyDictionary, MisuseThrowsWithTheOperationAndFault)
{
    Dictionary integer;
    auto object = Dictionary::objectKeyed();
    struct Case { const char *message; std::function<void()> call; };
    const Case cases[] = {
        {"[OVMultikeyDictionary objectForObjectKey:objectKey:] Dictionary isn't in object mode.",
         [&] { integer.objectForObjectKey(1, 2); }},
        {"[OVMultikeyDictionary setObject:forObjectKey:objectKey:] Dictionary isn't in object mode.",
         [&] { integer.setObjectForObjectKey(QStringLiteral("x"), QVariant(1), QVariant(2)); }},
        {"[OVMultikeyDictionary removeObjectForObjectKey:objectKey:] Dictionary isn't in object mode.",
         [&] { integer.removeObjectForObjectKey(1, 2); }},
        {"[OVMultikeyDictionary objectForIntegerKey:integerKey:] Dictionary isn't in integer mode.",
         [&] { object.objectForIntegerKey(1, 2); }},
        {"[OVMultikeyDictionary setObject:forIntegerKey:integerKey:] Dictionary isn't in integer mode.",
         [&] { object.setObjectForIntegerKey(QStringLiteral("x"), 1, 2); }},
        {"[OVMultikeyDictionary removeObjectForIntegerKey:integerKey:] Dictionary isn't in integer mode.",
         [&] { object.removeObjectForIntegerKey(1, 2); }},
        {"[OVMultikeyDictionary setObject:forObjectKey:objectKey:] A key was nil.",
         [&] { object.setObjectForObjectKey(QStringLiteral("x"), QVariant(), QVariant(2)); }},
        {"[OVMultikeyDictionary objectForObjectKey:objectKey:] A key was nil.",
         [&] { object.objectForObjectKey(1, QVariant()); }},
        // The key check comes before the mode check.
        {"[OVMultikeyDictionary removeObjectForObjectKey:objectKey:] A key was nil.",
         [&] { integer.removeObjectForObjectKey(QVariant(), 2); }},
    };
    object.setObjectForObjectKey(QStringLiteral("kept"), 1, 2);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        try {
            c.call();
            ADD_FAILURE() << "no exception";
        } catch (const OVMultikeyDictionaryMisuse &e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(object.count(), 1u);
    EXPECT_EQ(integer.count(), 0u);
}

TEST(MultikeyDictionary, Description)
{
    Dictionary d;
    d.setObjectForIntegerKey(QStringLiteral("x"), 3, -4);
    EXPECT_EQ(d.description(),
              QStringLiteral("OVMultikeyDictionary(Count: 1, Capacity: 10, Type: Integer) {\n"
                             "  KeyA: 3   KeyB: -4   Value: x\n}"));
    auto o = Dictionary::objectKeyed();
    o.setObjectForObjectKey(QStringLiteral("y"), QStringLiteral("a"), QStringLiteral("b"));
    EXPECT_EQ(o.description(),
              QStringLiteral("OVMultikeyDictionary(Count: 1, Capacity: 10, Type: Object) {\n"
                             "  KeyA: a   KeyB: b   Value: y\n}"));
}

TEST(IndexSetAdditions, Intersection)
{
    EXPECT_EQ(ovIntersectionWithIndexSet({1, 2, 5}, {2, 3, 5}), (OVIndexSet{2, 5}));
    EXPECT_EQ(ovIntersectionWithIndexSet({1, 2}, {}), OVIndexSet{});
}
