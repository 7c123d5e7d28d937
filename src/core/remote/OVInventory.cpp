#include "core/remote/OVInventory.h"

#include "core/NSDateUtil.h"
#include "core/regex/ExtRegexAdditions.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVNotificationCenter.h"

#include <QMap>
#include <QTimer>
#include <QTimeZone>

#include <cmath>
#include <mutex>

std::shared_ptr<OVInventory> OVInventory::inventoryWithURLString(const QString &urlString)
{
    if (urlString.isEmpty())
        return nullptr;
    // Inventories live as long as the process: the registry is never destroyed.
    static std::mutex registryMutex;
    static auto *registry = new QMap<QString, std::shared_ptr<OVInventory>>;
    std::lock_guard lock(registryMutex);
    std::shared_ptr<OVInventory> &inventory = (*registry)[urlString];
    if (!inventory) {
        inventory = std::make_shared<OVInventory>();
        inventory->setUrlString(urlString);
    }
    return inventory;
}

OVInventory::OVInventory()
{
    restartTimer();
    auto &center = OVNotificationCenter::defaultCenter();
    center.addObserver(this, OVNotifyLoadDataIfNeeded, [this](const OVNotification &) { updateIfNeeded(); });
    center.addObserver(this, OVInventoryURLLoadedNotification,
                       [this](const OVNotification &n) { inventoryLoaded(n); });
    center.addObserver(this, OVNotifyForceReload, [this](const OVNotification &) { update(); });
}

OVInventory::~OVInventory()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

void OVInventory::restartTimer()
{
    mTimer = std::make_unique<QTimer>();
    mTimer->setInterval(int(std::min(mUpdateTimeInterval * 1000.0, 2147483647.0)));
    QObject::connect(mTimer.get(), &QTimer::timeout, mTimer.get(), [this] { update(); });
    mTimer->start();
}

void OVInventory::setUpdateTimeInterval(double seconds)
{
    mUpdateTimeInterval = seconds;
    restartTimer();
}

void OVInventory::setUrlString(const QString &urlString)
{
    if (urlString == mUrlString)
        return;
    mUrlString = urlString;
    mInventoryDates.clear();
    mLastLoadedData.clear();
    mInventoryLoading = false;
    mDataReady = false;
}

void OVInventory::update()
{
    if (mUrlString.isEmpty())
        return;
    mInventoryLoading = true;
    mLastAttemptedDownload = mClock->now();
    OVURLManager::sharedURLManager().loadURL(OVURL::createWithURLString(mUrlString),
                                             mInventoryDescription.isNull() ? QString(u""_qs) : mInventoryDescription,
                                             OVInventoryURLLoadedNotification);
}

void OVInventory::updateIfNeeded()
{
    const bool recent = mLastAttemptedDownload.isValid()
        && mLastAttemptedDownload.msecsTo(mClock->now()) <= qint64(mUpdateTimeInterval * 1000.0);
    if (recent && !mInventoryDates.isEmpty())
        return;
    update();
}

void OVInventory::inventoryLoaded(const OVNotification &notification)
{
    const OVURLPtr url = notification.object.value<OVURLPtr>();
    if (!url || url->urlString() != mUrlString)
        return;
    // A failed download (an error page, or a list cut off midway) never replaces a good list.
    const QByteArray bytes = url->errorOccurred() ? QByteArray() : url->getData();
    if (bytes.isEmpty() || bytes == mLastLoadedData) {
        mInventoryLoading = false;
        return;
    }
    mLastLoadedData = bytes;
    parseInventoryString(QString::fromLatin1(bytes));
    mInventoryLoading = false;
    OVNotificationCenter::defaultCenter().post(OVInventoryUpdatedNotification,
                                               QVariant::fromValue(inventoryWithURLString(mUrlString)));
}

void OVInventory::parseInventoryString(const QString &text)
{
    QList<QDateTime> dates;
    const QTimeZone utc = QTimeZone::utc();
    for (const QString &line : text.split(u'\n')) {
        const QStringList parts = ExtRegexAdditions::captureComponentsMatchedByRegex(line, mRegexPattern);
        if (parts.size() != 6)
            continue;
        const int year = parts[1].toInt();
        const int month = parts[2].toInt();
        const int day = parts[3].toInt();
        const int hour = parts[4].toInt();
        const int minute = parts[5].toInt();
        if (year < 1 || year > 2999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0
            || hour > 23 || minute < 0 || minute > 59)
            continue;
        dates.append(NSDateUtil::dateForYear(year, month, day, hour, minute, 0, utc));
    }
    if (dates.isEmpty())
        return;
    mInventoryDates = dates;
    mDataReady = true;
}

namespace {

qint64 msBetween(const QDateTime &from, const QDateTime &to)
{
    return from.msecsTo(to);
}

} // namespace

QDateTime OVInventory::closestInventoryToDate(const QDateTime &date) const
{
    if (!mDataReady || mInventoryDates.isEmpty() || !date.isValid())
        return QDateTime();
    QDateTime best;
    qint64 bestDistance = 0;
    for (const QDateTime &candidate : mInventoryDates) {
        const qint64 distance = std::llabs(msBetween(date, candidate));
        if (!best.isValid() || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

QDateTime OVInventory::closestInventoryBeforeDate(const QDateTime &date) const
{
    if (!mDataReady || !date.isValid())
        return QDateTime();
    QDateTime best;
    for (const QDateTime &candidate : mInventoryDates) {
        if (msBetween(candidate, date) > 1000 && (!best.isValid() || candidate > best))
            best = candidate;
    }
    return best;
}

QDateTime OVInventory::closestInventoryAfterDate(const QDateTime &date) const
{
    if (!mDataReady || !date.isValid())
        return QDateTime();
    QDateTime best;
    for (const QDateTime &candidate : mInventoryDates) {
        if (msBetween(date, candidate) > 1000 && (!best.isValid() || candidate < best))
            best = candidate;
    }
    return best;
}
