// The map's settings bubble: the settings view wrapped in an OVBubbleView inside a frameless,
// translucent tool window, opened beside the gear button and closed again by the gear, or by
// any click or key press elsewhere.
//
// While it is open an application event filter watches mouse and key presses. It never keeps
// an event from its receiver: a press in the bubble passes; a press in the map's window on the
// gear passes (the gear's own click closes the bubble); any other press closes the bubble first
// and then goes on to its receiver, so a click on the map still drags or zooms it. The filter
// is removed when the bubble closes. The settings view is made afresh at every opening, so its
// controls show the stored values. GUI thread.
#pragma once

#include "core/views/OVBubbleView.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>

class QAbstractButton;
class QWidget;

class NBMapPrefsPopover : public QObject
{
    Q_OBJECT

public:
    /// How far the bubble's top sits above the gear's top.
    static constexpr int kRaise = 10;

    /// Where the bubble goes, in global coordinates, and which side its arrow is on.
    struct Placement
    {
        QPoint topLeft;
        int arrowDisplayMode = 1;
    };
    /// Left of the gear with its arrow on the right (mode 1), its top 10 points above the
    /// gear's top; to the right of the gear (mode 0) when that corner is off the screen.
    static Placement place(const QRect &gearGlobal, const QSize &bubble, const QRect &screenAvailable);

    /// `makeContent` gives a new settings view (owned by the bubble) at each opening.
    NBMapPrefsPopover(QWidget *mapView, QAbstractButton *gear, std::function<QWidget *()> makeContent);
    ~NBMapPrefsPopover() override;

    /// Closes an open bubble, else opens it.
    void showPrefs();
    void close();
    bool isOpen() const { return mWindow != nullptr; }
    /// The tool window while open.
    QWidget *window() const { return mWindow; }
    OVBubbleView *bubble() const { return mBubble; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open();
    bool belongsToPopover(QObject *object) const;
    bool isOnGear(QObject *object, const QEvent *event) const;

    QPointer<QWidget> mMapView;
    QPointer<QAbstractButton> mGear;
    std::function<QWidget *()> mMakeContent;
    QPointer<QWidget> mWindow;
    QPointer<OVBubbleView> mBubble;
    bool mMonitoring = false;
};
