// The shared list of times for which a kind of map data exists (radar and satellite frames,
// model fields), read from a small text file on a server and refreshed on a timer.
//
// One inventory per URL for the whole process (`inventoryWithURLString`). Each line of the list
// that holds a time matching `regexPattern` (year, month, day, hour, minute) adds that UTC time,
// in file order. A refresh that brings a changed list posts "OVInventoryUpdatedNotification"
// with the inventory as object; a failed or empty download keeps the dates it had.
// Main thread only: timers, downloads and notifications all run there.
#pragma once

#include "core/OVReloadNotifications.h"
#include "platform/OVClock.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>

#include <memory>

class QTimer;
struct OVNotification;

inline const QString OVInventoryUpdatedNotification = QStringLiteral("OVInventoryUpdatedNotification");
inline const QString OVInventoryURLLoadedNotification = QStringLiteral("ovinventoryurlloadednotification");

class OVInventory
{
public:
    /// The process's inventory for exactly this URL text, made on first use; none for "".
    static std::shared_ptr<OVInventory> inventoryWithURLString(const QString &urlString);

    OVInventory();
    ~OVInventory();
    OVInventory(const OVInventory &) = delete;
    OVInventory &operator=(const OVInventory &) = delete;

    /// Queues a download of the list (nothing without a URL).
    void update();
    /// `update` unless a download was attempted within `updateTimeInterval` and dates exist.
    void updateIfNeeded();
    void inventoryLoaded(const OVNotification &notification);
    void parseInventoryString(const QString &text);

    /// The listed time nearest to the date (the first of equals); invalid without a list.
    QDateTime closestInventoryToDate(const QDateTime &date) const;
    QDateTime closestInventory() const { return closestInventoryToDate(mClock->now()); }
    /// The latest listed time more than 1 s before the date.
    QDateTime closestInventoryBeforeDate(const QDateTime &date) const;
    /// The earliest listed time more than 1 s after the date.
    QDateTime closestInventoryAfterDate(const QDateTime &date) const;

    QString urlString() const { return mUrlString; }
    /// A different URL forgets the list.
    void setUrlString(const QString &urlString);
    QString inventoryDescription() const { return mInventoryDescription; }
    void setInventoryDescription(const QString &text) { mInventoryDescription = text; }
    QString regexPattern() const { return mRegexPattern; }
    void setRegexPattern(const QString &pattern) { mRegexPattern = pattern; }
    double updateTimeInterval() const { return mUpdateTimeInterval; }
    /// Restarts the refresh timer with the new period.
    void setUpdateTimeInterval(double seconds);
    QByteArray lastLoadedData() const { return mLastLoadedData; }
    QList<QDateTime> inventoryDates() const { return mInventoryDates; }
    QDateTime lastAttemptedDownload() const { return mLastAttemptedDownload; }
    bool inventoryLoading() const { return mInventoryLoading; }
    bool dataReady() const { return mDataReady; }
    /// The source of "now" (the system clock unless a test sets another; not owned).
    void setClock(const OVClock *clock) { mClock = clock ? clock : &OVClock::system(); }

private:
    void restartTimer();

    QString mUrlString;
    QString mInventoryDescription = QStringLiteral("Data Inventory");
    QString mRegexPattern = QStringLiteral("([0-9]{4})([0-9]{2})([0-9]{2})([0-9]{2})([0-9]{2})");
    double mUpdateTimeInterval = 1800;
    std::unique_ptr<QTimer> mTimer;
    QByteArray mLastLoadedData;
    QList<QDateTime> mInventoryDates;
    bool mInventoryLoading = false;
    bool mDataReady = false;
    QDateTime mLastAttemptedDownload;
    const OVClock *mClock = &OVClock::system();
};

using OVInventoryPtr = std::shared_ptr<OVInventory>;
Q_DECLARE_METATYPE(OVInventoryPtr)
