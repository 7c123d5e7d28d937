// Label textures: rendered at twice their size, premultiplied and upright; asked for once; never
// deleting a name that is not theirs; deleted by the text layer's clean-up; drawn by the text layer
// above and right of the anchor.
#include "map/layers/OVMapTextLayer.h"

#include "support/FakeMapView.h"
#include "support/GLTestContext.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QOpenGLFunctions_2_1>

#include <cmath>

namespace {

class LabelTextureGL : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.isValid());
        loader = std::make_shared<OVTextureLoader>(gl.context(), registry);
        ASSERT_TRUE(loader->hasContext());
        baseline = liveTextures(); // the harness's framebuffer has one
    }

    OVMapAttributedStringPtr makeLabel(const QString &text, const OVGeoPoint &point = OVGeoPointMake(0.0, 0.0))
    {
        OVMapAttributedStringPtr label =
            OVMapAttributedString::placeLabel(text, 16.0, QColor(255, 255, 255), QColor(0, 0, 0, 230), 20.0, point);
        label->setTextureLoader(loader);
        return label;
    }

    /// Texture names alive among the first few, less the harness's own.
    int labelTextures() { return liveTextures() - baseline; }
    int liveTextures()
    {
        gl.makeCurrent();
        int count = 0;
        for (GLuint name = 1; name < 64; ++name)
            count += gl.gl()->glIsTexture(name) == GL_TRUE ? 1 : 0;
        return count;
    }

    /// Lets the loader finish what it was given and its callbacks arrive.
    static void settle()
    {
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
    }

    GLTestContext gl{QSize(200, 100)};
    OVTextureRegistry registry;
    std::shared_ptr<OVTextureLoader> loader;
    int baseline = 0;
};

TEST_F(LabelTextureGL, TheImageIsTwiceTheSizeAndPremultiplied)
{
    OVMapAttributedStringPtr label = makeLabel(QStringLiteral("Denver"));
    const QSizeF size = label->labelSize();
    const QImage image = label->renderImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_RGBA8888_Premultiplied);
    EXPECT_EQ(image.width(), int(std::ceil(2.0 * size.width())));
    EXPECT_EQ(image.height(), int(std::ceil(2.0 * size.height())));
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const uchar *px = row + 4 * x;
            ASSERT_LE(px[0], px[3]);
            ASSERT_LE(px[1], px[3]);
            ASSERT_LE(px[2], px[3]);
            inked += px[0] > 200 ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 20);
    EXPECT_TRUE(makeLabel(QString())->renderImage().isNull());
}

TEST_F(LabelTextureGL, AskingTwiceMakesOneTexture)
{
    OVMapAttributedStringPtr label = makeLabel(QStringLiteral("London"));
    label->generateTexture();
    label->generateTexture();
    ASSERT_TRUE(waitUntil([&] { return label->textureStatus() == OVMapAttributedString::Loaded; }));
    settle();
    EXPECT_EQ(labelTextures(), 1);
    label.reset(); // deletes its texture
    settle();
    EXPECT_TRUE(waitUntil([&] { return labelTextures() == 0; }));
}

TEST_F(LabelTextureGL, UnloadingWhileRequestedDeletesOnlyTheTextureThatArrives)
{
    gl.makeCurrent();
    GLuint other = 0; // a texture of someone else, under the name the label last had
    gl.gl()->glGenTextures(1, &other);
    gl.gl()->glBindTexture(GL_TEXTURE_2D, other);
    OVMapAttributedStringPtr label = makeLabel(QStringLiteral("Paris"));
    label->setTextureID(other);
    label->generateTexture();
    EXPECT_EQ(label->textureStatus(), OVMapAttributedString::Requested);
    label->unloadTexture();
    EXPECT_EQ(label->textureStatus(), OVMapAttributedString::NoTexture);
    settle();
    EXPECT_TRUE(waitUntil([&] { return labelTextures() == 1; }));
    gl.makeCurrent();
    EXPECT_TRUE(gl.gl()->glIsTexture(other));
    EXPECT_EQ(label->textureStatus(), OVMapAttributedString::NoTexture);
    gl.gl()->glDeleteTextures(1, &other);
}

TEST_F(LabelTextureGL, ALabelDestroyedWhileLoadingLeavesNoTexture)
{
    OVMapAttributedStringPtr label = makeLabel(QStringLiteral("Oslo"));
    label->generateTexture();
    label.reset();
    settle();
    EXPECT_TRUE(waitUntil([&] { return labelTextures() == 0; }));
}

TEST_F(LabelTextureGL, TheLayersCleanupDeletesTheTexturesOfItsLabels)
{
    FakeMapController controller;
    OVMapTextLayer layer(&controller, loader);
    const QList<OVMapAttributedStringPtr> labels{makeLabel(QStringLiteral("Lima")),
                                                 makeLabel(QStringLiteral("Quito"), OVGeoPointMake(1.0, 1.0))};
    layer.setStrings(labels);
    for (const OVMapAttributedStringPtr &label : labels)
        label->generateTexture();
    const auto statuses = [&] {
        QList<int32_t> found;
        for (const OVMapAttributedStringPtr &label : labels)
            found.append(label->textureStatus());
        return found;
    };
    ASSERT_TRUE(waitUntil([&] {
        return statuses() == QList<int32_t>(2, OVMapAttributedString::Loaded) && labelTextures() == 2;
    }, 30000));

    layer.cleanupMemory();
    EXPECT_EQ(statuses(), QList<int32_t>(2, OVMapAttributedString::NoTexture));
    EXPECT_TRUE(waitUntil([&] { return labelTextures() == 0; }, 30000));
}

TEST_F(LabelTextureGL, TheLayerDrawsTheInkAboveAndRightOfTheAnchorUpright)
{
    // 200 x 100 px over 20 x 10 degrees: 10 px per degree, anchor at pixel (50, 50) from the top.
    FakeMapView view;
    view.rect = OVGeoRectMake(0.0, 0.0, 10.0, 20.0);
    view.size = QSizeF(200.0, 100.0);
    view.resolution = 10.0;
    FakeMapController controller;
    controller.mapView = &view;
    OVMapTextLayer layer(&controller, loader);
    layer.setCheckOverlappingStrings(true);
    OVMapAttributedStringPtr label = makeLabel(QStringLiteral("LLL"), OVGeoPointMake(5.0, 5.0));
    label->setPlotPoint(false);
    layer.setStrings({label});

    const auto frame = [&] {
        gl.beginDrawing(Qt::black);
        QOpenGLFunctions_2_1 *f = gl.gl();
        f->glMatrixMode(GL_PROJECTION);
        f->glLoadIdentity();
        f->glOrtho(0.0, 20.0, 0.0, 10.0, -100.0, 100.0);
        f->glMatrixMode(GL_MODELVIEW);
        f->glLoadIdentity();
        layer.draw();
        return gl.readBack();
    };
    frame(); // asks for the texture
    ASSERT_TRUE(waitUntil([&] { return label->textureStatus() == OVMapAttributedString::Loaded; }));
    const QImage image = frame();
    EXPECT_TRUE(layer.cache().valid);

    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).red() > 200)
                ink |= QRect(x, y, 1, 1);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 50);
    EXPECT_LE(ink.bottom(), 50);
    EXPECT_LT(ink.left(), 60);
    EXPECT_GE(ink.top(), 50 - int(std::ceil(label->labelSize().height())) - 1);
    // "L" is upright when its foot, at the bottom of the ink, is wider than its stem.
    const auto widthOfRow = [&](int y) {
        int n = 0;
        for (int x = ink.left(); x <= ink.right(); ++x)
            n += image.pixelColor(x, y).red() > 200 ? 1 : 0;
        return n;
    };
    EXPECT_GT(widthOfRow(ink.bottom() - 1), widthOfRow(ink.top() + 1));
}

} // namespace
