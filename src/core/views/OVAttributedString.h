// Drawable single-line text: every custom view measures and draws its labels with it (graph
// legends and read-outs, the hover view, the current-conditions view, map labels).
//
// A label holds a string with a font, a fill colour, an optional outline (stroke width and
// colour) and an alignment, and caches its measured size: labels are measured on every redraw,
// so only a change that can alter the size (string, font, stroke width, a new attribute set)
// clears the cache.
//
// Two ways of drawing, both into a QPainter and both upright whatever the painter's orientation
// (the glyphs are counter-flipped about the text's top edge or baseline when the painter's space
// is y-up):
//  - the view form (`drawInRect`, `drawAtPoint`) hangs the line from the rectangle's top, aligned
//    and truncated at the tail to the rectangle's width; with a stroke width it draws the outline
//    only, as the attribute asks;
//  - the context form (`drawInRectInContext`, `drawAtPointInContext`) draws the typeset line from
//    its glyph outlines; a label with a stroke colour is drawn twice at the same place, outline
//    first, so the fill lies on top.
//
// Threads: one label is used by one thread at a time. Drawing into a QImage off the main thread
// is allowed (map labels); drawing into a QPixmap or a widget only on the main thread.
#pragma once

#include "core/OVTextAttributes.h"

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

class QPainter;

class OVAttributedString
{
public:
    /// Alignment codes: 0 left, 1 right, 2 centred; any other value draws right-aligned.
    enum Alignment : quint64 { Left = 0, Right = 1, Center = 2 };

    OVAttributedString() = default;
    explicit OVAttributedString(const QString &string);
    OVAttributedString(const QString &string, const QVariantMap &attributes);
    virtual ~OVAttributedString() = default;

    /// A new label of class T (this class or a subclass) made with (string, attributes).
    template <class T = OVAttributedString>
    static std::shared_ptr<T> ovString(const QString &string, const QVariantMap &attributes = {})
    {
        static_assert(std::is_base_of_v<OVAttributedString, T>, "T must be a drawable text");
        return std::make_shared<T>(string, attributes);
    }

    /// Draws `string` with `attributes` into `rect` (view form) through a temporary label.
    static void drawOVString(QPainter &painter, const QString &string, const QVariantMap &attributes,
                             const QRectF &rect);

    /// Only the system font at the system font size.
    static QVariantMap defaultAttributes();
    /// A copy of `attributes` with the left, right or centred tail-truncating paragraph style.
    static QVariantMap addLeftAttributes(const QVariantMap &attributes = {});
    static QVariantMap addRightAttributes(const QVariantMap &attributes = {});
    static QVariantMap addCenterAttributes(const QVariantMap &attributes = {});
    /// The shared tail-truncating style of an alignment code: 2 centred, 0 left, others right.
    static OVParagraphStyle paragraphStyleForAlignment(quint64 alignment);

    /// Colour, font and stroke colour from the dictionary (none when missing), the stroke width
    /// (0 when missing), and the alignment of its paragraph style when that is 0, 1 or 2 (0 without
    /// a style; other values keep the current alignment). Clears the size cache.
    void setAttributes(const QVariantMap &attributes);
    /// Font and colour when set, the paragraph style always, the stroke width only above 0.01,
    /// the stroke colour when set.
    QVariantMap attributeDictionary() const;
    OVParagraphStyle paragraphStyle() const { return paragraphStyleForAlignment(mAlignment); }

    QString string() const { return mString; }
    void setString(const QString &string);
    /// No font means the system font.
    std::optional<QFont> font() const { return mFont; }
    void setFont(const std::optional<QFont> &font);
    /// An invalid colour means none: the painter's current colour is used.
    QColor color() const { return mColor; }
    void setColor(const QColor &color) { mColor = color; }
    /// Outline width as a percentage of the font's pixel size; 0 = no outline.
    double strokeWidth() const { return mStrokeWidth; }
    void setStrokeWidth(double width);
    /// An invalid colour means no outline pass.
    QColor strokeColor() const { return mStrokeColor; }
    void setStrokeColor(const QColor &color) { mStrokeColor = color; }
    quint64 alignment() const { return mAlignment; }
    void setAlignment(quint64 alignment) { mAlignment = alignment; }

    /// The measured size (cached); zero without a string.
    QSizeF size();
    /// The cache as it stands (zero = not measured).
    QSizeF cachedStringSize() const { return mCachedSize; }
    /// The measured size of the string with other attributes; zero without a string.
    QSizeF sizeWithAttributes(const QVariantMap &attributes) const;

    /// View form: the line hangs from the rectangle's top edge, aligned and tail-truncated.
    void drawInRect(QPainter &painter, const QRectF &rect) const;
    void drawInRect(QPainter &painter, const QRectF &rect, const QVariantMap &attributes) const;
    /// View form: the text box's corner nearest the origin of the painter's space at `point`.
    void drawAtPoint(QPainter &painter, const QPointF &point);

    /// Context form: the line's ink hangs from the rectangle's top edge (its baseline sits the
    /// rounded-up ink height below the top). A null context logs and draws nothing.
    void drawInRectInContext(const QRectF &rect, QPainter *context) const;
    /// Context form: the line's origin (start of the baseline) at `point`.
    void drawAtPointInContext(const QPointF &point, QPainter *context) const;

    /// Pen width of the outline for a font: |strokeWidth| / 100 x pixel size.
    static double outlinePenWidth(double strokeWidth, const QFont &font);

private:
    void drawLineInContext(QPainter &context, const QPointF &anchor, bool hangFromTop, const char *operation) const;

    QString mString;
    std::optional<QFont> mFont;
    QColor mColor;
    double mStrokeWidth = 0.0;
    QColor mStrokeColor;
    quint64 mAlignment = Left;
    QSizeF mCachedSize{0, 0};
};
