// A rounded bubble with an arrow on one side that hosts another view: the popovers of the graph
// settings and of the map view.
//
// Geometry in the view's y-up space. Arrow mode 0 puts the arrow on the left edge pointing left
// and the content at (16, 4); mode 1 on the right edge pointing right, content at (4, 4); any
// other mode draws no bubble and leaves the content where it is. The arrow sits at the top of its
// side and reaches the view's edge. Main thread.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointer>
#include <QSizeF>
#include <QWidget>

class OVBubbleView : public QWidget
{
    Q_OBJECT

public:
    explicit OVBubbleView(QWidget *parent = nullptr);
    ~OVBubbleView() override;

    int arrowDisplayMode() const { return mArrowDisplayMode; }
    void setArrowDisplayMode(int mode);
    double cornerRadius() const { return mCornerRadius; }
    void setCornerRadius(double radius);
    /// Half the height of the arrow's base.
    double arrowDimension() const { return mArrowDimension; }
    void setArrowDimension(double dimension);
    /// An invalid colour is not drawn.
    QColor fillColor() const { return mFillColor; }
    void setFillColor(const QColor &color);
    QColor strokeColor() const { return mStrokeColor; }
    void setStrokeColor(const QColor &color);

    /// The hosted view (a child of the bubble); the previous one is removed and deleted.
    QWidget *contentView() const { return mContentView; }
    void setContentView(QWidget *view);

    /// The content's size + (16, 8); (16, 8) without content.
    QSizeF requestedSize() const;

    /// The bubble outline for the current mode (empty for modes other than 0 and 1).
    QPainterPath bubblePath() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeContent();

    int mArrowDisplayMode = 0;
    double mCornerRadius = 5.0;
    double mArrowDimension = 15.0;
    QColor mFillColor = QColor::fromRgbF(0.9333f, 0.9372f, 0.9411f, 1.0f);
    QColor mStrokeColor = QColor::fromRgbF(0.6275f, 0.6275f, 0.6275f, 1.0f);
    QPointer<QWidget> mContentView;
};
