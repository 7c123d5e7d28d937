// The update cycle: a 60-second ticker that starts an update pass of every weather client when
// `updateFrequency` seconds have passed since the last one, and reloads the list and redisplays
// everything at most once a minute; the progress display of a pass; the "Last Updated" label,
// which moves only when a reply arrives and names in its tooltip each service whose last
// request failed.
//
// It is handed what it shows its progress on and asks whether the databases are ready; it
// never reaches for the application controller. Main thread; "now" and the ticker come from
// the scheduler.
#pragma once

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class NBScheduler;
class OVWeatherController;
class QLabel;
class QProgressBar;
struct OVNotification;

class NBUpdateCycle : public QObject
{
public:
    /// Where a pass shows itself; any may answer null (nothing is shown there).
    struct Display
    {
        std::function<QProgressBar *()> progressBar;
        std::function<QLabel *()> lastUpdatedLabel;
        /// The activity window's status line ("Updating Weather Data", "Idle"), when it is open.
        std::function<void(const QString &status)> activityStatus;
        /// The once-a-minute list reload.
        std::function<void()> reloadList;
    };

    NBUpdateCycle(std::shared_ptr<NBScheduler> scheduler, OVWeatherController &weather, Display display,
                  std::function<bool()> databasesReady, QObject *parent = nullptr);
    ~NBUpdateCycle() override;

    /// The `updateFrequency` setting in seconds, clamped to 1800..21600.
    static qint64 updateInterval();

    /// Forgets the last update and redisplay and starts the ticker (a first tick after 2 s).
    void start();
    /// The update frequency changed: the ticker starts again from now and an update due under
    /// the new frequency runs at once. Nothing before `start`.
    void restartTicker();
    /// Nothing before the databases are ready; an update when `updateInterval` seconds have
    /// passed since the last one (a clock set back counts as due); the list reload and
    /// "OVNotifyRedisplayEverything" at most once every 60 s.
    void tick();
    /// Starts one update pass with its progress display; `lastUpdateTime` stays.
    void updateWeather();
    /// A data client's request ended: a good reply moves the last-updated label to now; the
    /// label's tooltip names each service whose last request failed, and why.
    void updateResult(const OVNotification &notification);
    /// Shows the load percentage; polls again after 1 s until it reaches 100.
    void updateProgressBar();

    /// Invalid stands for the distant past.
    QDateTime lastUpdateTime() const { return mLastUpdateTime; }
    QDateTime lastRedisplayTime() const { return mLastRedisplayTime; }
    void setLastUpdateTime(const QDateTime &time) { mLastUpdateTime = time; }
    void setLastRedisplayTime(const QDateTime &time) { mLastRedisplayTime = time; }

private:
    std::shared_ptr<NBScheduler> mScheduler;
    OVWeatherController &mWeather;
    Display mDisplay;
    std::function<bool()> mDatabasesReady;
    uint64_t mTicker = 0;
    QDateTime mLastUpdateTime;
    QDateTime mLastRedisplayTime;
    QMap<QString, QString> mUpdateFailures; // service -> why its last request failed
};
