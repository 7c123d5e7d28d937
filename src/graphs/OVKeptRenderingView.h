// A view that draws into any QPainter and keeps its last rendering for the repaints Qt asks for
// on its own (an overlay moving above it, an expose): the graph and its legend redraw a whole
// picture only after something that changes it.
//
// Subclasses implement `paint`; every setter that changes the picture calls `setNeedsDisplay`,
// which drops the kept image and schedules a repaint. The kept image has the widget's device pixel
// ratio. Main thread.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

class OVKeptRenderingView : public QWidget
{
    Q_OBJECT

public:
    explicit OVKeptRenderingView(QWidget *parent = nullptr);

    /// Draws the whole view into `painter` (a widget, a QImage, a printer), in Qt's y-down space.
    virtual void paint(QPainter &painter) = 0;

    /// Marks the picture as changed: the kept rendering is dropped and a repaint scheduled.
    void setNeedsDisplay();
    /// Whether a rendering is kept (tests and the benchmark look at it).
    bool hasKeptRendering() const { return !mKept.isNull(); }

    /// `setNeedsDisplay` for a view of this kind, a plain `update` for any other widget.
    static void markForRedisplay(QWidget *view);

protected:
    /// Whether this view or one of its ancestors is hidden.
    bool isHiddenOrInHiddenAncestor() const;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage mKept;
};
