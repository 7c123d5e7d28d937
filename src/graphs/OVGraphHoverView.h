// The read-out that follows the pointer over the graph stack: a vertical marker line through the
// graph at the pointer's x (a half ellipse on the cylinder), a dot on the value and a small dark
// bubble with a pointer triangle that shows the time and the values under the pointer.
//
// The container owns one, places it over the graph under the pointer with `frameForGraphView`,
// sets x, y and the texts and shows or hides it. It never takes the mouse. It is shown and
// hidden through its opacity (so a fade can run later); it starts hidden. Qt's y-down space.
// Main thread.
#pragma once

#include <QColor>
#include <QRect>
#include <QSizeF>
#include <QWidget>

#include <memory>

class OVAttributedString;

class OVGraphHoverView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double opacity READ opacity WRITE setOpacity)

public:
    /// Room the view keeps on each side of the graph.
    static constexpr double kSideRoom = 11.0;

    explicit OVGraphHoverView(QWidget *parent = nullptr);
    ~OVGraphHoverView() override;

    /// Brings the view to the front of its siblings and makes it opaque.
    void showReadout();
    void hideReadout();
    /// Whether the opacity is below 0.1.
    bool isReadoutHidden() const { return mOpacity < 0.1; }
    double opacity() const { return mOpacity; }
    void setOpacity(double opacity);

    /// Pointer x measured from the graph's left edge (the view starts 11 to its left); -1 = none.
    double x() const { return mX; }
    void setX(double x);
    /// y of the value dot, measured from the top of the graph area.
    double y() const { return mY; }
    void setY(double y);
    bool drawVerticalLine() const { return mDrawVerticalLine; }
    void setDrawVerticalLine(bool on);
    bool drawYPoint() const { return mDrawYPoint; }
    void setDrawYPoint(bool on);
    /// Set only by `frameForGraphView`.
    bool drawBubbleOnBottom() const { return mDrawBubbleOnBottom; }
    bool checkForBubbleSpace() const { return mCheckForBubbleSpace; }
    void setCheckForBubbleSpace(bool on) { mCheckForBubbleSpace = on; }
    /// First line of the bubble (time), main value and optional second value right of it.
    const std::shared_ptr<OVAttributedString> &timeString() const { return mTimeString; }
    const std::shared_ptr<OVAttributedString> &label() const { return mLabel; }
    const std::shared_ptr<OVAttributedString> &label2() const { return mLabel2; }
    /// Outline, marker line and separator; invalid = none.
    QColor lineColor() const { return mLineColor; }
    void setLineColor(const QColor &color);
    QColor bubbleBackgroundColor() const { return mBubbleBackgroundColor; }
    void setBubbleBackgroundColor(const QColor &color);
    /// 0: straight marker line; 1 or more: a half ellipse of that half-width.
    double lineBulgeAmount() const { return mLineBulgeAmount; }
    void setLineBulgeAmount(double amount);

    /// Width and height of the bubble's content (texts with their margins).
    QSizeF bubbleContentSize() const;
    /// The frame (in the parent's coordinates) that covers `graph` with room for the bubble above
    /// it, or below it when there is no room above and `checkForBubbleSpace` is set.
    QRect frameForGraphView(const QWidget &graph);

    /// The pointer's x in the view (x + 11, rounded).
    double pointerX() const;
    /// The bubble's body (without its pointer triangle) for the present texts and size.
    QRectF bubbleBodyRect() const;

    /// Draws the read-out into any painter, in the view's coordinates.
    void paint(QPainter &painter);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double mX = -1.0;
    double mY = 0.0;
    bool mDrawVerticalLine = true;
    bool mDrawYPoint = false;
    bool mDrawBubbleOnBottom = false;
    bool mCheckForBubbleSpace = true;
    std::shared_ptr<OVAttributedString> mTimeString;
    std::shared_ptr<OVAttributedString> mLabel;
    std::shared_ptr<OVAttributedString> mLabel2;
    QColor mLineColor = Qt::white;
    QColor mBubbleBackgroundColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.8f);
    double mLineBulgeAmount = 0.0;
    double mOpacity = 0.0;
};
