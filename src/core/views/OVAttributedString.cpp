// Measuring and drawing of single-line labels over QFontMetricsF, QPainter::drawText and
// QPainterPath::addText.
#include "core/views/OVAttributedString.h"

#include "core/views/OVYUp.h"
#include "platform/OVLog.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

// Stroke widths at or below this are no outline and stay out of the attribute dictionary.
constexpr double kMinimumStrokeWidth = 0.01;

// A dictionary's attributes, resolved for drawing.
struct TextStyle
{
    QFont font;
    QColor color;       // invalid: the painter's colour
    double strokeWidth; // 0 unless above the minimum
    QColor strokeColor; // invalid: none
    quint64 alignment;
};

QFont systemFont()
{
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

QColor colorAttribute(const QVariantMap &attributes, QLatin1String key)
{
    const QVariant value = attributes.value(key);
    return value.canConvert<QColor>() ? value.value<QColor>() : QColor();
}

TextStyle styleFrom(const QVariantMap &attributes)
{
    TextStyle style;
    const QVariant font = attributes.value(OVFontAttributeName);
    style.font = font.canConvert<QFont>() ? font.value<QFont>() : systemFont();
    style.color = colorAttribute(attributes, OVForegroundColorAttributeName);
    const double width = attributes.value(OVStrokeWidthAttributeName).toDouble();
    style.strokeWidth = width > kMinimumStrokeWidth ? width : 0.0;
    style.strokeColor = colorAttribute(attributes, OVStrokeColorAttributeName);
    const QVariant paragraph = attributes.value(OVParagraphStyleAttributeName);
    style.alignment = paragraph.canConvert<OVParagraphStyle>() ? paragraph.value<OVParagraphStyle>().alignment
                                                               : quint64(OVAttributedString::Left);
    return style;
}

// The colour a painter fills with when the text names none: its brush, else its pen.
QColor currentFillColor(const QPainter &painter)
{
    return painter.brush().style() != Qt::NoBrush ? painter.brush().color() : painter.pen().color();
}

} // namespace

OVAttributedString::OVAttributedString(const QString &string)
{
    setString(string);
}

OVAttributedString::OVAttributedString(const QString &string, const QVariantMap &attributes)
    : OVAttributedString(string)
{
    setAttributes(attributes);
}

void OVAttributedString::drawOVString(QPainter &painter, const QString &string, const QVariantMap &attributes,
                                      const QRectF &rect)
{
    OVAttributedString(string, attributes).drawInRect(painter, rect);
}

QVariantMap OVAttributedString::defaultAttributes()
{
    return QVariantMap{{OVFontAttributeName, systemFont()}};
}

OVParagraphStyle OVAttributedString::paragraphStyleForAlignment(quint64 alignment)
{
    if (alignment == Center)
        return OVParagraphStyle::truncatingTail(OVParagraphStyle::Center);
    if (alignment == Left)
        return OVParagraphStyle::truncatingTail(OVParagraphStyle::Left);
    return OVParagraphStyle::truncatingTail(OVParagraphStyle::Right);
}

QVariantMap OVAttributedString::addLeftAttributes(const QVariantMap &attributes)
{
    QVariantMap copy = attributes;
    copy.insert(OVParagraphStyleAttributeName, QVariant::fromValue(paragraphStyleForAlignment(Left)));
    return copy;
}

QVariantMap OVAttributedString::addRightAttributes(const QVariantMap &attributes)
{
    QVariantMap copy = attributes;
    copy.insert(OVParagraphStyleAttributeName, QVariant::fromValue(paragraphStyleForAlignment(Right)));
    return copy;
}

QVariantMap OVAttributedString::addCenterAttributes(const QVariantMap &attributes)
{
    QVariantMap copy = attributes;
    copy.insert(OVParagraphStyleAttributeName, QVariant::fromValue(paragraphStyleForAlignment(Center)));
    return copy;
}

void OVAttributedString::setAttributes(const QVariantMap &attributes)
{
    mColor = colorAttribute(attributes, OVForegroundColorAttributeName);
    mStrokeColor = colorAttribute(attributes, OVStrokeColorAttributeName);
    const QVariant font = attributes.value(OVFontAttributeName);
    mFont = font.canConvert<QFont>() ? std::optional<QFont>(font.value<QFont>()) : std::nullopt;
    mStrokeWidth = attributes.value(OVStrokeWidthAttributeName).toDouble();
    const QVariant paragraph = attributes.value(OVParagraphStyleAttributeName);
    if (!paragraph.isValid()) {
        mAlignment = Left;
    } else if (paragraph.canConvert<OVParagraphStyle>()) {
        const quint64 alignment = paragraph.value<OVParagraphStyle>().alignment;
        if (alignment <= Center)
            mAlignment = alignment;
    }
    mCachedSize = QSizeF(0, 0);
}

QVariantMap OVAttributedString::attributeDictionary() const
{
    QVariantMap attributes;
    if (mFont)
        attributes.insert(OVFontAttributeName, *mFont);
    if (mColor.isValid())
        attributes.insert(OVForegroundColorAttributeName, mColor);
    attributes.insert(OVParagraphStyleAttributeName, QVariant::fromValue(paragraphStyle()));
    if (mStrokeWidth > kMinimumStrokeWidth)
        attributes.insert(OVStrokeWidthAttributeName, float(mStrokeWidth));
    if (mStrokeColor.isValid())
        attributes.insert(OVStrokeColorAttributeName, mStrokeColor);
    return attributes;
}

void OVAttributedString::setString(const QString &string)
{
    mString = string;
    mCachedSize = QSizeF(0, 0);
}

void OVAttributedString::setFont(const std::optional<QFont> &font)
{
    if (font == mFont)
        return;
    mFont = font;
    mCachedSize = QSizeF(0, 0);
}

void OVAttributedString::setStrokeWidth(double width)
{
    if (width == mStrokeWidth)
        return;
    mStrokeWidth = width;
    mCachedSize = QSizeF(0, 0);
}

QSizeF OVAttributedString::size()
{
    if (mString.isNull())
        return QSizeF(0, 0);
    if (mCachedSize.width() != 0.0 && mCachedSize.height() != 0.0)
        return mCachedSize;
    mCachedSize = sizeWithAttributes(attributeDictionary());
    return mCachedSize;
}

QSizeF OVAttributedString::sizeWithAttributes(const QVariantMap &attributes) const
{
    if (mString.isNull())
        return QSizeF(0, 0);
    const QFontMetricsF metrics(styleFrom(attributes).font);
    return QSizeF(metrics.horizontalAdvance(mString), metrics.height());
}

double OVAttributedString::outlinePenWidth(double strokeWidth, const QFont &font)
{
    const double pixelSize = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    return std::fabs(strokeWidth) / 100.0 * pixelSize;
}

void OVAttributedString::drawInRect(QPainter &painter, const QRectF &rect) const
{
    drawInRect(painter, rect, attributeDictionary());
}

void OVAttributedString::drawInRect(QPainter &painter, const QRectF &rect, const QVariantMap &attributes) const
{
    if (mString.isNull())
        return;
    const TextStyle style = styleFrom(attributes);
    const QFontMetricsF metrics(style.font);
    const QString shown = metrics.elidedText(mString, Qt::ElideRight, rect.width());
    const double advance = metrics.horizontalAdvance(shown);
    double x = 0.0;
    if (style.alignment == Center)
        x = (rect.width() - advance) / 2.0;
    else if (style.alignment != Left)
        x = rect.width() - advance;

    painter.save();
    OVYUp::enterUprightFrame(painter, rect);
    const QColor fill = style.color.isValid() ? style.color : painter.pen().color();
    const QPointF origin(x, metrics.ascent());
    if (style.strokeWidth > 0.0) {
        // An outline width asks for the outline alone.
        QPainterPath outline;
        outline.addText(origin, style.font, shown);
        const QColor stroke = style.strokeColor.isValid() ? style.strokeColor : fill;
        painter.strokePath(outline, QPen(stroke, outlinePenWidth(style.strokeWidth, style.font)));
    } else {
        painter.setFont(style.font);
        painter.setPen(fill);
        painter.drawText(origin, shown);
    }
    painter.restore();
}

void OVAttributedString::drawAtPoint(QPainter &painter, const QPointF &point)
{
    drawInRect(painter, QRectF(point, size()));
}

void OVAttributedString::drawInRectInContext(const QRectF &rect, QPainter *context) const
{
    if (mString.isNull())
        return;
    if (!context) {
        OVDebugLog(QStringLiteral("[OVAttributedString drawInRect:inContext:] Context is NULL."));
        return;
    }
    // The rectangle's top edge: its far y edge in a y-up space, its near one in a y-down space.
    const bool yUp = OVYUp::isYUp(*context);
    drawLineInContext(*context, QPointF(rect.x(), yUp ? rect.y() + rect.height() : rect.y()), true,
                      "drawInRect:inContext:");
}

void OVAttributedString::drawAtPointInContext(const QPointF &point, QPainter *context) const
{
    if (mString.isNull() || !context)
        return;
    drawLineInContext(*context, point, false, "drawAtPoint:inContext:");
}

void OVAttributedString::drawLineInContext(QPainter &context, const QPointF &anchor, bool hangFromTop,
                                           const char *operation) const
{
    const TextStyle style = styleFrom(attributeDictionary());
    QColor fill = style.color;
    if (!fill.isValid()) {
        OVDebugLog(QStringLiteral("[OVAttributedString %1] Drawing the string in the current fill color.  "
                                  "Attributed color will be ignored.")
                       .arg(QLatin1String(operation)));
        fill = currentFillColor(context);
    }

    QPainterPath line;
    line.addText(QPointF(0, 0), style.font, mString);
    // Hanging from the top: the baseline sits the rounded-up height of the ink below the top.
    const double baseline = hangFromTop ? std::ceil(line.boundingRect().height()) : 0.0;
    line.translate(0.0, baseline);

    context.save();
    context.setRenderHint(QPainter::Antialiasing);
    OVYUp::enterUprightFrame(context, anchor);
    if (style.strokeWidth > 0.0) {
        const QColor stroke = style.strokeColor.isValid() ? style.strokeColor : fill;
        context.strokePath(line, QPen(stroke, outlinePenWidth(style.strokeWidth, style.font), Qt::SolidLine,
                                      Qt::FlatCap, Qt::MiterJoin));
    } else {
        context.fillPath(line, fill);
    }
    // With a stroke colour the line is drawn again without the outline, so the fill lies on top.
    if (style.strokeColor.isValid())
        context.fillPath(line, fill);
    context.restore();
}
