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
    /// `dockMenu` makes a new context menu for the tray each time it is about to open; the
    /// tray's menu ends with "Show Nimbrel Core" and "Quit" after those items.
    explicit NBDockTile(std::function<QMenu *(QSystemTrayIcon *tray)> dockMenu, QObject *parent = nullptr);
    ~NBDockTile() override;

    QString badgeLabel() const { return mLabel; }
    /// Sets the label (empty: no badge) and redraws the icons.
    void setBadgeLabel(const QString &label);
    /// The tray icon; shown only where the desktop has a tray.
    QSystemTrayIcon *tray() const { return mTray; }
    /// The tray icon's context menu.
    QMenu *trayMenu() const { return mTrayMenu; }

    /// The application icon drawn at `size` pixels.
    static QImage applicationIcon(int size);
    /// The application icon at `size` pixels with `label` as a red badge (none when empty, and
    /// none below kSmallestBadgedSize, where its text could not be read).
    static QImage badgedIcon(int size, const QString &label);
    static constexpr int kSmallestBadgedSize = 32;
    /// The colour of the badge.
    static QColor badgeColor() { return QColor(220, 30, 30); }

signals:
    /// A click on the tray icon, or its menu's "Show Nimbrel Core".
    void showMainWindowRequested();
    /// The tray menu's "Quit".
    void quitRequested();

private:
    void redraw();
    void fillTrayMenu();

    QString mLabel;
    QPointer<QSystemTrayIcon> mTray;
    QMenu *mTrayMenu = nullptr;
    std::function<QMenu *(QSystemTrayIcon *)> mDockMenu;
};
