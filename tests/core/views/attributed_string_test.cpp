// Drawable text: the attribute dictionary, the size cache, alignment, outlines, placement in
// y-up and y-down painters, and drawing off the main thread.
#include "core/views/OVAttributedString.h"
#include "core/views/OVYUp.h"
#include "support/draw_test_util.h"
#include "platform/OVLog.h"
#include "support/TestHelpers.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <future>

namespace {

QFont dejaVu(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QVariantMap attributes(const QFont &font, const QColor &color)
{
    return {{OVFontAttributeName, font}, {OVForegroundColorAttributeName, color}};
}

class Label : public OVAttributedString
{
public:
    using OVAttributedString::OVAttributedString;
};

} // namespace

TEST(OVAttributedString, ViewFormInAYUpViewEqualsPlainQtAtTheConvertedPosition)
{
    const QFont font = dejaVu(14);
    OVAttributedString label(QStringLiteral("Wind 12 kt"), attributes(font, Qt::black));
    const QRectF yUpRect(7, 20, 120, 18);

    QImage drawn = transparentImage(160, 60);
    {
        QPainter painter(&drawn);
        OVYUp::begin(painter, drawn.height());
        label.drawInRect(painter, yUpRect);
    }
    QImage plain = transparentImage(160, 60);
    {
        QPainter painter(&plain);
        painter.setFont(font);
        painter.drawText(QRectF(OVYUp::toWidgetGeometry(yUpRect, plain.height())), Qt::AlignLeft | Qt::AlignTop,
                         label.string());
    }
    EXPECT_FALSE(inkBounds(plain).isEmpty());
    EXPECT_EQ(drawn, plain);
}

TEST(OVAttributedString, OutlineLiesUnderTheFill)
{
    OVAttributedString label(QStringLiteral("I"), attributes(dejaVu(80, true), Qt::blue));
    label.setStrokeColor(Qt::red);
    label.setStrokeWidth(10); // 8 px pen: 4 px of outline show outside the glyph
    QImage image = transparentImage(100, 100);
    {
        QPainter painter(&image);
        OVYUp::begin(painter, image.height());
        label.drawInRectInContext(QRectF(20, 0, 80, 95), &painter);
    }
    const QRect ink = inkBounds(image, 200);
    ASSERT_FALSE(ink.isEmpty());
    const int row = ink.center().y();
    int left = 0;
    while (left < image.width() && pixelAt(image, left, row).alpha() < 200)
        ++left;
    EXPECT_TRUE(sameColor(pixelAt(image, left + 1, row), Qt::red, 40)) << pixelAt(image, left + 1, row).name().toStdString();
    EXPECT_TRUE(sameColor(pixelAt(image, ink.center().x(), row), Qt::blue, 2));
}

TEST(OVAttributedString, ContextFormHangsTheInkFromTheTopInBothOrientations)
{
    // Capital letters without round tops or descenders: the ink top is exact.
    OVAttributedString label(QStringLiteral("HITEL"), attributes(dejaVu(30), Qt::black));
    struct Case
    {
        const char *name;
        bool yUp;
        QRectF rect;
        int topRow; // in the image
    };
    const Case cases[] = {
        {"y-up painter", true, QRectF(5, 10, 200, 50), 100 - 60},
        {"y-down painter", false, QRectF(5, 10, 200, 50), 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = transparentImage(220, 100);
        {
            QPainter painter(&image);
            if (c.yUp)
                OVYUp::begin(painter, image.height());
            label.drawInRectInContext(c.rect, &painter);
        }
        const QRect ink = inkBounds(image, 0);
        EXPECT_EQ(ink.top(), c.topRow);
        // The line starts at the rectangle's x (plus the first glyph's side bearing).
        EXPECT_GE(ink.left(), 5);
        EXPECT_LT(ink.left(), 9);
        EXPECT_LT(ink.height(), 30);
        // Glyphs stay upright: "H" spans the full cap height at the left.
        EXPECT_GT(pixelAt(image, ink.left() + 1, c.topRow + 2).alpha(), 0);
    }
}

TEST(OVAttributedString, NullContextAndNoStringDrawNothing)
{
    OVSetDebugLoggingEnabled(1);
    LogCapture log;
    OVAttributedString(QStringLiteral("x")).drawInRectInContext(QRectF(0, 0, 10, 10), nullptr);
    OVSetDebugLoggingEnabled(0);
    EXPECT_TRUE(log.contains(QStringLiteral("[OVAttributedString drawInRect:inContext:] Context is NULL.")));

    QImage image = transparentImage(20, 20);
    QPainter painter(&image);
    OVAttributedString none;
    none.drawInRectInContext(QRectF(0, 0, 20, 20), &painter);
    none.drawInRect(painter, QRectF(0, 0, 20, 20));
    painter.end();
    EXPECT_TRUE(inkBounds(image).isEmpty());
}

TEST(OVAttributedString, SizeIsMeasuredOnceAndClearedOnlyByChangesThatAlterIt)
{
    OVAttributedString none;
    EXPECT_EQ(none.size(), QSizeF(0, 0));
    EXPECT_EQ(none.cachedStringSize(), QSizeF(0, 0));

    const QFont font = dejaVu(12);
    const QFontMetricsF metrics(font);
    struct Case
    {
        const char *name;
        std::function<void(OVAttributedString &)> change;
        bool keepsCache;
    };
    const Case cases[] = {
        {"colour", [](OVAttributedString &l) { l.setColor(Qt::red); }, true},
        {"stroke colour", [](OVAttributedString &l) { l.setStrokeColor(Qt::red); }, true},
        {"alignment", [](OVAttributedString &l) { l.setAlignment(2); }, true},
        {"stroke 2 to 2", [](OVAttributedString &l) { l.setStrokeWidth(2); }, true},
        {"same font", [font](OVAttributedString &l) { l.setFont(font); }, true},
        {"stroke 2 to 3", [](OVAttributedString &l) { l.setStrokeWidth(3); }, false},
        {"other font", [](OVAttributedString &l) { l.setFont(dejaVu(13)); }, false},
        {"string", [](OVAttributedString &l) { l.setString(QStringLiteral("other")); }, false},
        {"attributes", [](OVAttributedString &l) { l.setAttributes({}); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVAttributedString label(QStringLiteral("Pressure"), attributes(font, Qt::black));
        label.setStrokeWidth(2);
        EXPECT_EQ(label.size(), QSizeF(metrics.horizontalAdvance(label.string()), metrics.height()));
        c.change(label);
        EXPECT_EQ(label.cachedStringSize().isEmpty(), !c.keepsCache);
    }
}

TEST(OVAttributedString, AttributeDictionaryAndAlignment)
{
    OVAttributedString label(QStringLiteral("x"));
    label.setStrokeWidth(0.005);
    EXPECT_FALSE(label.attributeDictionary().contains(OVStrokeWidthAttributeName));
    label.setStrokeWidth(0.02);
    EXPECT_FLOAT_EQ(label.attributeDictionary().value(OVStrokeWidthAttributeName).toFloat(), 0.02f);

    struct Case
    {
        const char *name;
        quint64 before;
        QVariant style; // set through setAttributes
        quint64 after;
    };
    auto style = [](quint64 alignment) { return QVariant::fromValue(OVParagraphStyle{alignment}); };
    const Case cases[] = {
        {"no style gives left", 2, QVariant(), 0},
        {"right", 0, style(1), 1},
        {"centred", 0, style(2), 2},
        {"justified keeps the previous", 2, style(OVParagraphStyle::Justified), 2},
        {"natural keeps the previous", 1, style(OVParagraphStyle::Natural), 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        label.setAlignment(c.before);
        QVariantMap dictionary;
        if (c.style.isValid())
            dictionary.insert(OVParagraphStyleAttributeName, c.style);
        label.setAttributes(dictionary);
        EXPECT_EQ(label.alignment(), c.after);
    }

    struct Shared
    {
        quint64 alignment;
        quint64 style;
    };
    for (const Shared s : {Shared{0, 0}, Shared{1, 1}, Shared{2, 2}, Shared{3, 1}, Shared{7, 1}}) {
        SCOPED_TRACE(s.alignment);
        label.setAlignment(s.alignment);
        EXPECT_EQ(label.paragraphStyle(), OVParagraphStyle::truncatingTail(s.style));
    }
}

TEST(OVAttributedString, ViewFormAlignsWithinTheRectangle)
{
    const QFont font = dejaVu(14);
    OVAttributedString label(QStringLiteral("Humidity"), attributes(font, Qt::black));
    const double advance = QFontMetricsF(font).horizontalAdvance(label.string());
    struct Case
    {
        quint64 alignment;
        double inkStart; // approximate left of the ink
    };
    const double width = 200;
    for (const Case c : {Case{0, 10}, Case{1, 10 + width - advance}, Case{2, 10 + (width - advance) / 2},
                         Case{9, 10 + width - advance}}) {
        SCOPED_TRACE(c.alignment);
        label.setAlignment(c.alignment);
        QImage image = transparentImage(240, 40);
        {
            QPainter painter(&image);
            OVYUp::begin(painter, image.height());
            label.drawInRect(painter, QRectF(10, 5, width, 30));
        }
        EXPECT_NEAR(inkBounds(image).left(), c.inkStart, 3.0);
    }
}

TEST(OVAttributedString, OvStringMakesTheCallersClass)
{
    const std::shared_ptr<Label> label = OVAttributedString::ovString<Label>(QStringLiteral("N"), {});
    ASSERT_TRUE(label);
    EXPECT_EQ(label->string(), QStringLiteral("N"));
    const auto base = OVAttributedString::ovString(QStringLiteral("N"), OVAttributedString::defaultAttributes());
    EXPECT_TRUE(base->font().has_value());
    EXPECT_FALSE(std::dynamic_pointer_cast<Label>(base));
}

TEST(OVAttributedString, DrawsIntoAnImageOffTheMainThread)
{
    auto render = [] {
        OVAttributedString label(QStringLiteral("Chicago"), attributes(dejaVu(18), Qt::darkGreen));
        label.setStrokeColor(Qt::white);
        label.setStrokeWidth(6);
        QImage image = transparentImage(120, 30);
        QPainter painter(&image);
        OVYUp::begin(painter, image.height());
        label.drawInRectInContext(QRectF(2, 2, 116, 26), &painter);
        painter.end();
        return image;
    };
    const QImage worker = std::async(std::launch::async, render).get();
    EXPECT_FALSE(inkBounds(worker).isEmpty());
    EXPECT_EQ(worker, render());
}
