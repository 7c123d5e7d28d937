#include "app/NBUpdateCycle.h"

#include "app/NBLastUpdatedTextField.h"
#include "app/NBScheduler.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVDateFormattingTool.h"
#include "core/OVDisplayNotifications.h"
#include "core/OVReloadNotifications.h"
#include "platform/OVLocalize.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherNotifications.h"

#include <QLabel>
#include <QProgressBar>

#include <algorithm>

namespace {

constexpr qint64 kMinimumUpdateInterval = 1800;
constexpr qint64 kMaximumUpdateInterval = 21600;
constexpr qint64 kRedisplayIntervalMs = 60000;
constexpr double kTickerInterval = 60.0;
constexpr double kFirstTickDelay = 2.0;
constexpr double kProgressPollInterval = 1.0;

// The distant past (an invalid time) is always due, and so is a time after now: with the clock
// set back, waiting for it to catch up would stop the updates for that long.
bool isDue(const QDateTime &last, const QDateTime &now, qint64 intervalMs)
{
    if (!last.isValid())
        return true;
    const qint64 elapsed = last.msecsTo(now);
    return elapsed < 0 || elapsed >= intervalMs;
}

} // namespace

NBUpdateCycle::NBUpdateCycle(std::shared_ptr<NBScheduler> scheduler, OVWeatherController &weather, Display display,
                             std::function<bool()> databasesReady, QObject *parent)
    : QObject(parent)
    , mScheduler(std::move(scheduler))
    , mWeather(weather)
    , mDisplay(std::move(display))
    , mDatabasesReady(std::move(databasesReady))
{
}

NBUpdateCycle::~NBUpdateCycle()
{
    if (mTicker)
        mScheduler->cancel(mTicker);
}

qint64 NBUpdateCycle::updateInterval()
{
    return std::clamp<qint64>(NBPrefController::integerForKey(NBSettingKey::updateFrequency), kMinimumUpdateInterval,
                              kMaximumUpdateInterval);
}

void NBUpdateCycle::start()
{
    mLastUpdateTime = QDateTime();
    mLastRedisplayTime = QDateTime();
    mTicker = mScheduler->callEvery(kTickerInterval, this, [this] { tick(); });
    mScheduler->callAfter(kFirstTickDelay, this, [this] { tick(); });
}

void NBUpdateCycle::restartTicker()
{
    if (!mTicker)
        return;
    // A new frequency counts from now: an update already due under it runs at once.
    mScheduler->cancel(mTicker);
    mTicker = mScheduler->callEvery(kTickerInterval, this, [this] { tick(); });
    tick();
}

void NBUpdateCycle::tick()
{
    if (!mDatabasesReady())
        return;
    const QDateTime current = mScheduler->now();
    if (isDue(mLastUpdateTime, current, updateInterval() * 1000)) {
        mLastUpdateTime = current;
        updateWeather();
    }
    if (isDue(mLastRedisplayTime, current, kRedisplayIntervalMs)) {
        mLastRedisplayTime = current;
        mDisplay.reloadList();
        OVNotificationCenter::defaultCenter().post(OVNotifyRedisplayEverything);
    }
}

void NBUpdateCycle::updateWeather()
{
    mDisplay.activityStatus(OVLocalizedString("Updating Weather Data"));
    if (QProgressBar *bar = mDisplay.progressBar()) {
        bar->setValue(1);
        bar->show();
    }
    mScheduler->callAfter(kProgressPollInterval, this, [this] { updateProgressBar(); });
    mWeather.update();
}

void NBUpdateCycle::updateResult(const OVNotification &notification)
{
    // "Last Updated" tells when data last arrived: it moves with a good reply only, and every
    // service whose last request failed is named in its tooltip.
    const QString service = notification.userInfo.value(OVUpdateResultServiceKey).toString();
    const QString error = notification.userInfo.value(OVUpdateResultErrorKey).toString();
    if (service.isEmpty())
        return;
    if (error.isEmpty())
        mUpdateFailures.remove(service);
    else
        mUpdateFailures.insert(service, error);
    QLabel *label = mDisplay.lastUpdatedLabel();
    if (!label)
        return;
    if (error.isEmpty()) {
        const QString time = OVDateFormattingTool::sharedFormattingTool().timeStringFromDate(mScheduler->now());
        label->setText(OVLocalizedString("Last Updated: %1").arg(time));
    }
    QStringList failures;
    for (auto it = mUpdateFailures.cbegin(); it != mUpdateFailures.cend(); ++it)
        failures << OVLocalizedString("%1 could not be updated: %2").arg(it.key(), it.value());
    label->setToolTip(failures.join(QLatin1Char('\n')));
    if (auto *field = qobject_cast<NBLastUpdatedTextField *>(label))
        field->setUpdateFailed(!mUpdateFailures.isEmpty());
}

void NBUpdateCycle::updateProgressBar()
{
    const int percent = mWeather.loadPercentCompleted();
    QProgressBar *bar = mDisplay.progressBar();
    if (bar)
        bar->setValue(std::clamp(percent, 0, 100));
    if (percent < 100) {
        mScheduler->callAfter(kProgressPollInterval, this, [this] { updateProgressBar(); });
        return;
    }
    if (bar)
        bar->hide();
    mDisplay.activityStatus(OVLocalizedString("Idle"));
}
