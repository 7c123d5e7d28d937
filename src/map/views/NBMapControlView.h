// The map's control panel: a translucent dark panel with a tab at its top left edge that slides
// in from the map's right edge and back out, leaving only the tab in view.
//
// The outline is drawn y-up through OVYUp. `show` and `hide` move the panel over 250 ms; a move
// under way counts as done when the panel decides which way its tab sends it, so two quick
// clicks on the tab bring it back where it was. The panel keeps to its superview's right edge
// when that is resized. GUI thread.
#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

class NBMapControlView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kSlideMs = 250;
    static constexpr double kCornerRadius = 15.0;
    /// Gap between the panel's top and its superview's top.
    static constexpr int kTopMargin = 8;

    explicit NBMapControlView(QWidget *parent = nullptr);

    double tabWidth() const { return mTabWidth; }
    double shadowWidth() const { return mShadowWidth; }

    /// The panel's outline in its own y-up space.
    QPainterPath outline() const;

    /// Slides the panel fully into its superview, 8 points below its top.
    void show();
    /// Slides the panel out to the right until only the tab is in view.
    void hide();
    /// Shows a panel that reaches beyond its superview's right edge, else hides it.
    void toggleShown();
    /// Places the panel hidden at once (only the tab in view).
    void placeHidden();
    bool isShown() const { return mShown; }
    /// Where the panel is or is moving to, in its superview.
    QPoint targetPosition() const;
    QPropertyAnimation *slideAnimation() const { return mSlide; }
    /// The tab's click area (toggles the panel), in widget coordinates.
    QRect tabRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// Slides the panel in (`shown`) or out, from where it is now.
    void slide(bool shown);
    QPoint shownPosition() const;
    QPoint hiddenPosition() const;
    void watchSuperview();

    double mTabWidth = 30.0;
    double mShadowWidth = 8.0;
    QPointer<QPropertyAnimation> mSlide;
    QPointer<QWidget> mWatched;
    bool mShown = false;
};
