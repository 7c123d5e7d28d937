// What stands in for the dock tile: the window icon is the application icon with the badge
// label (the first place's temperature) drawn as a red badge at its top right, and a tray icon,
// where the desktop has a tray, shows the same picture with the dock menu as its context menu.
// Main thread.
#pragma once

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>

class QMenu;

class NBDockTile : public QObject
{
    Q_OBJECT

public:
    /// `dockMenu` makes a new context menu for the tray each time it is about to open.
    explicit NBDockTile(std::function<QMenu *(QSystemTrayIcon *tray)> dockMenu, QObject *parent = nullptr);
    ~NBDockTile() override;

    QString badgeLabel() const { return mLabel; }
    /// Sets the label (empty: no badge) and redraws the icons.
    void setBadgeLabel(const QString &label);
    /// The tray icon; null when the desktop has no tray.
    QSystemTrayIcon *tray() const { return mTray; }

    /// The application icon drawn at `size` pixels.
    static QImage applicationIcon(int size);
    /// The application icon at `size` pixels with `label` as a red badge (none when empty).
    static QImage badgedIcon(int size, const QString &label);
    /// The colour of the badge.
    static QColor badgeColor() { return QColor(220, 30, 30); }

private:
    void redraw();

    QString mLabel;
    QPointer<QSystemTrayIcon> mTray;
    QMenu *mTrayMenu = nullptr;
    std::function<QMenu *(QSystemTrayIcon *)> mDockMenu;
};
