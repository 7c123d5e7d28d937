// A two-pane view: a left and a right view with a 1-wide divider the user drags, a button bar
// under the left pane, optional snapping to a set width, size limits, and a position remembered
// in the user defaults (a float under the save name).
//
// Geometry is y-up: the left view sits above the 24-high button bar, the right view spans the
// full height. Hovering over the divider or the bar's grip shows the split cursor; dragging
// shows the closed hand. Main thread.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include <array>
#include <functional>

class QToolButton;

class OVSplitView : public QWidget
{
    Q_OBJECT

public:
    using Action = std::function<void()>;
    /// The save name used until another is set.
    static QString defaultSaveName() { return QStringLiteral("OVSplitView divided percentage"); }

    explicit OVSplitView(QWidget *parent = nullptr);

    /// The old view is deleted, the new one becomes a child; then the frames are refreshed.
    QWidget *leftView() const { return mLeftView; }
    void setLeftView(QWidget *view);
    QWidget *rightView() const { return mRightView; }
    void setRightView(QWidget *view);

    QString saveName() const { return mSaveName; }
    void setPositionSaveName(const QString &name);

    /// Lays the panes out again: at the snap size when snapped, else at the split percentage.
    void refreshFrame();
    double splitPercent() const { return mSplitPercent; }
    /// Places the divider at percent x width within the size limits, then stores the resulting
    /// percentage (and writes it under the save name).
    void setSplitPercent(double percent);
    double splitOffset() const { return mSplitPercent * width(); }
    void setSplitOffset(double offset);

    double snapSize() const { return mSnapSize; }
    /// 0 = no snapping. The view counts as snapped when the left view's whole width equals it.
    void setSnapSize(double size);
    bool isSnapped() const { return mSnapped; }

    /// Size limits in points; -1 = no limit.
    void setLeftViewMinSize(double size) { mLeftViewMinSize = size; }
    void setLeftViewMaxSize(double size) { mLeftViewMaxSize = size; }
    void setRightViewMinSize(double size) { mRightViewMinSize = size; }
    void setRightViewMaxSize(double size) { mRightViewMaxSize = size; }

    /// Appends a button showing `image` that runs `action`; `properties` may hold "tooltip".
    void addButtonWithImage(const QPixmap &image, Action action, const QVariantMap &properties = {});
    /// Index 0..3: the plus, minus, gear and info images; other indexes do nothing.
    void addSpecialButton(int index, Action action, const QVariantMap &properties = {});
    void refreshButtons();
    void undisplayButtons();
    void clearButtons();
    /// Applies to every button holding that very image.
    void buttonWithImageSetEnabled(const QPixmap &image, bool enabled);
    void buttonWithImageSetToolTip(const QPixmap &image, const QString &toolTip);
    void specialButtonSetEnabled(int index, bool enabled);
    void specialButtonSetToolTip(int index, const QString &toolTip);
    /// The special image of index 0..3 (null for others).
    QPixmap specialImage(int index) const;
    /// The buttons shown, left to right.
    QList<QToolButton *> shownButtons() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct ButtonEntry
    {
        QPixmap image;
        Action action;
        QString toolTip;
        QPointer<QToolButton> button; // while shown
    };

    void replaceView(QPointer<QWidget> &slot, QWidget *view);
    double leftWidth() const;
    QRectF barGripRect() const;
    QRectF dividerRect() const;
    void updateHover(const QPointF &yUpPoint);
    void updateCursor();

    QList<ButtonEntry> mButtons;
    std::array<QPixmap, 4> mSpecialImages;
    QPointer<QWidget> mLeftView;
    QPointer<QWidget> mRightView;
    QString mSaveName = defaultSaveName();
    double mLeftViewMinSize = -1.0;
    double mLeftViewMaxSize = -1.0;
    double mRightViewMinSize = -1.0;
    double mRightViewMaxSize = -1.0;
    double mSplitPercent = 0.25;
    double mInitialMouseX = 0.0;
    double mInitialOffset = 0.0;
    bool mShouldDrag = false;
    double mSnapSize = 0.0;
    bool mSnapped = false;
    bool mInBarRect = false;
    bool mInSplitRect = false;
};
