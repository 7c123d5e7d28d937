// The OpenGL harness later map tests draw with: a compatibility context under Xvfb draws a
// textured quad into a framebuffer, and the read-back shows it the right way up.
#include "map/layers/OVMapLayer.h"

#include "support/GLTestContext.h"
#include "support/ImageCompare.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>

namespace {

TEST(GLHarness, ACompatibilityContextDrawsATexturedQuad)
{
    GLTestContext gl(QSize(16, 8));
    ASSERT_TRUE(gl.isValid());
    EXPECT_EQ(gl.context()->format().profile(), QSurfaceFormat::CompatibilityProfile);
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));

    // Row 0 red, green; row 1 blue, white.
    const uchar pixels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    GLuint texture = 0;
    gl.gl()->glGenTextures(1, &texture);
    gl.gl()->glBindTexture(GL_TEXTURE_2D, texture);
    gl.gl()->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.gl()->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.gl()->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);

    gl.beginDrawing(Qt::black);
    gl.drawTexturedQuad(texture, QRectF(4.0, 0.0, 8.0, 8.0));
    const QImage image = gl.readBack();

    EXPECT_EQ(image.pixelColor(5, 1), QColor(255, 0, 0));    // texture row 0 at the top
    EXPECT_EQ(image.pixelColor(10, 1), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(5, 6), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 0, 0));      // outside the quad
    EXPECT_TRUE(imageMatches(image, QStringLiteral("map/harness_quad")));
    gl.gl()->glDeleteTextures(1, &texture);
}

TEST(GLHarness, MesaSmoothsPoints)
{
    GLTestContext gl;
    ASSERT_TRUE(gl.isValid());
    struct Layer final : OVMapLayer
    {
        using OVMapLayer::OVMapLayer;
        void draw() override {}
    } layer(nullptr, nullptr);
    EXPECT_TRUE(layer.shouldSmoothPoints());
}

} // namespace
