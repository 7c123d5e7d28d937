// The label pass: which labels are drawn where, which textures are asked for, and when the last
// pass is reused.
#include "map/layers/OVMapTextLayer.h"
#include "map/gl/OVTextureRegistry.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

/// A label of a fixed size in points, its texture in a chosen state.
class SizedLabel : public OVMapAttributedString
{
public:
    SizedLabel(const QString &text, QSizeF size, double latitude, double longitude, int32_t status)
        : OVMapAttributedString(text)
        , mSize(size)
    {
        setGeoPoint(OVGeoPointMake(latitude, longitude));
        setTextureStatus(status);
    }
    QSizeF labelSize() override { return string().isEmpty() ? QSizeF() : mSize; }

private:
    QSizeF mSize;
};

using Labels = QList<OVMapAttributedStringPtr>;

OVMapAttributedStringPtr label(double latitude, double longitude, int32_t status = OVMapAttributedString::Loaded,
                               QSizeF size = QSizeF(40.0, 12.0), const QString &text = QStringLiteral("Place"))
{
    return std::make_shared<SizedLabel>(text, size, latitude, longitude, status);
}

const OVGeoRect kWorld = OVGeoRectMake(-90.0, -180.0, 90.0, 180.0);
const OVMapTextLayer::PassOptions kChecked{true, 0};

Labels drawnLabels(const OVMapTextPassResult &result)
{
    Labels labels;
    for (const OVMapTextDraw &drawn : result.draws)
        labels.append(drawn.label);
    return labels;
}

TEST(MapLabelPass, ALabelCoversItsSizeAtTheResolutionFromItsAnchor)
{
    const OVMapTextPassResult result = OVMapTextLayer::pass({label(10.0, 20.0)}, {}, kWorld, 10.0, kChecked);
    ASSERT_EQ(result.draws.size(), 1);
    const OVGeoRect r = result.draws.front().rect;
    EXPECT_NEAR(r.minPoint.latitude, 10.0, 1e-6);
    EXPECT_NEAR(r.minPoint.longitude, 20.0, 1e-6);
    EXPECT_NEAR(r.maxPoint.latitude - r.minPoint.latitude, 1.2, 1e-6);
    EXPECT_NEAR(r.maxPoint.longitude - r.minPoint.longitude, 4.0, 1e-6);
}

TEST(MapLabelPass, TheAnchorSnapsToWholePixelsOfTheView)
{
    const OVMapTextPassResult result = OVMapTextLayer::pass({label(10.04, 20.06)}, {}, kWorld, 10.0, kChecked);
    ASSERT_EQ(result.draws.size(), 1);
    EXPECT_NEAR(result.draws.front().rect.minPoint.latitude, 10.0, 1e-6);
    EXPECT_NEAR(result.draws.front().rect.minPoint.longitude, 20.1, 1e-6);
}

TEST(MapLabelPass, LabelsInViewOrForcedAreDrawn)
{
    const OVGeoRect view = OVGeoRectMake(0.0, 0.0, 10.0, 10.0);
    struct Case
    {
        const char *name;
        double longitude;
        bool force;
        bool drawn;
    };
    const Case cases[] = {
        {"inside", 5.0, false, true},
        {"straddling the west edge", -2.0, false, true},
        {"outside", -10.0, false, false},
        {"outside, forced", -10.0, true, true},
        {"touching the edge only", -4.0, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OVMapAttributedStringPtr l = label(5.0, c.longitude);
        l->setForceDraw(c.force);
        EXPECT_EQ(OVMapTextLayer::pass({l}, {}, view, 10.0, kChecked).draws.size(), c.drawn ? 1 : 0);
    }
}

TEST(MapLabelPass, ALabelWithinTenPixelsOfAnEarlierOneIsHidden)
{
    // The first label ends at longitude 4; the second starts 9 or 11 pixels (0.1 degree each) on.
    struct Case
    {
        double gapPixels;
        bool check;
        int drawn;
    };
    for (const Case &c : {Case{9.0, true, 1}, Case{11.0, true, 2}, Case{9.0, false, 2}}) {
        SCOPED_TRACE(c.gapPixels);
        const Labels labels = {label(0.0, 0.0), label(0.0, 4.0 + c.gapPixels / 10.0)};
        const OVMapTextPassResult result = OVMapTextLayer::pass(labels, {}, kWorld, 10.0, {c.check, 0});
        ASSERT_EQ(result.draws.size(), c.drawn);
        EXPECT_EQ(result.draws.front().label, labels.front());
    }
}

TEST(MapLabelPass, AMaximumDrawsTheFirstLabelsInOrder)
{
    Labels labels;
    for (int i = 0; i < 10; ++i)
        labels.append(label(0.0, i * 10.0));
    const OVMapTextPassResult result = OVMapTextLayer::pass(labels, {}, kWorld, 10.0, {true, 5});
    EXPECT_EQ(drawnLabels(result), labels.mid(0, 5));
    EXPECT_TRUE(result.cache.valid);
}

TEST(MapLabelPass, ALoadingLabelLeavesThePassIncompleteSoItRunsAgain)
{
    const Labels labels = {label(0.0, 0.0), label(20.0, 0.0, OVMapAttributedString::Requested)};
    const OVMapTextPassResult first = OVMapTextLayer::pass(labels, {}, kWorld, 10.0, kChecked);
    EXPECT_EQ(drawnLabels(first), labels.mid(0, 1));
    EXPECT_FALSE(first.cache.valid);
    EXPECT_TRUE(first.requests.isEmpty()); // already on its way

    labels[1]->setTextureStatus(OVMapAttributedString::Loaded);
    const OVMapTextPassResult second = OVMapTextLayer::pass(labels, first.cache, kWorld, 10.0, kChecked);
    EXPECT_FALSE(second.reused);
    EXPECT_EQ(drawnLabels(second), labels);
    EXPECT_TRUE(second.cache.valid);
}

TEST(MapLabelPass, ACompletePassIsReusedUntilTheViewChanges)
{
    const Labels labels = {label(0.0, 0.0), label(20.0, 0.0)};
    const OVMapTextPassResult first = OVMapTextLayer::pass(labels, {}, kWorld, 10.0, kChecked);
    ASSERT_TRUE(first.cache.valid);
    labels[1]->unloadTexture(); // no loader: nothing happens
    labels[1]->setTextureStatus(OVMapAttributedString::NoTexture);
    const OVMapTextPassResult again = OVMapTextLayer::pass(labels, first.cache, kWorld, 10.0, kChecked);
    EXPECT_TRUE(again.reused);
    EXPECT_EQ(drawnLabels(again), labels.mid(0, 1));
    EXPECT_EQ(again.requests, labels.mid(1, 1)); // remade, and shown in place once loaded
    EXPECT_TRUE(again.cache.valid);

    EXPECT_FALSE(OVMapTextLayer::pass(labels, first.cache, kWorld, 11.0, kChecked).reused);
    EXPECT_FALSE(OVMapTextLayer::pass(labels, first.cache, OVGeoRectMake(-80, -180, 90, 180), 10.0, kChecked).reused);
}

TEST(MapLabelPass, AnEmptyListIsCached)
{
    const OVMapTextPassResult first = OVMapTextLayer::pass({}, {}, kWorld, 10.0, kChecked);
    EXPECT_TRUE(first.cache.valid);
    const OVMapTextPassResult second = OVMapTextLayer::pass({}, first.cache, kWorld, 10.0, kChecked);
    EXPECT_TRUE(second.reused);
    EXPECT_TRUE(second.draws.isEmpty());
}

TEST(MapLabelPass, AnEmptyLabelIsPassedOverAndThePassCompletes)
{
    const Labels labels = {label(0.0, 0.0, OVMapAttributedString::NoTexture, QSizeF(), QString()), label(20.0, 0.0)};
    const OVMapTextPassResult result = OVMapTextLayer::pass(labels, {}, kWorld, 10.0, kChecked);
    EXPECT_TRUE(result.requests.isEmpty());
    EXPECT_EQ(drawnLabels(result), labels.mid(1, 1));
    EXPECT_TRUE(result.cache.valid);
}

TEST(MapLabelPass, ALabelUnderOneStillLoadingAsksForNoTexture)
{
    const Labels labels = {
        label(0.0, 0.0, OVMapAttributedString::Requested),
        label(0.5, 1.0, OVMapAttributedString::NoTexture), // overlaps the loading one
        label(0.5, 2.0, OVMapAttributedString::Loaded),    // overlaps it too, but can show now
        label(30.0, 0.0, OVMapAttributedString::NoTexture),
    };
    const OVMapTextPassResult result = OVMapTextLayer::pass(labels, {}, kWorld, 10.0, kChecked);
    EXPECT_EQ(result.requests, labels.mid(3, 1));
    EXPECT_EQ(drawnLabels(result), labels.mid(2, 1));
    EXPECT_FALSE(result.cache.valid);
}

TEST(MapLabelPass, NoResolutionDrawsNothing)
{
    EXPECT_TRUE(OVMapTextLayer::pass({label(0.0, 0.0)}, {}, OVGeoRect{}, 0.0, kChecked).draws.isEmpty());
}

TEST(MapTextLayer, BringToFrontMatchesWithinAThousandthOfADegree)
{
    OVTextureRegistry registry;
    auto loader = std::make_shared<OVTextureLoader>(nullptr, registry);
    for (double offset : {0.0005, 0.001}) {
        SCOPED_TRACE(offset);
        OVMapTextLayer layer(nullptr, loader);
        const Labels labels = {label(10.0, 10.0, 2, QSizeF(40, 12), QStringLiteral("A")),
                               label(0.0, 0.0, 2, QSizeF(40, 12), QStringLiteral("B"))};
        layer.setStrings(labels);
        layer.bringToFront(QStringLiteral("B"), OVGeoPointMake(offset, -offset));
        EXPECT_EQ(layer.strings().front(), offset < 0.001 ? labels[1] : labels[0]);
        EXPECT_EQ(labels[1]->textureLoader(), loader);
    }
}

TEST(MapTextLayer, WithoutALoaderLabelsAreRefused)
{
    LogCapture log;
    OVMapTextLayer layer(nullptr, nullptr);
    layer.setStrings({label(0.0, 0.0)});
    EXPECT_TRUE(layer.strings().isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("[OVMapTextLayer setStrings:] Must have a textureLoader.")));
}

} // namespace
