// Stand-ins for the application controller's environment in tests: a scheduler whose time the
// test advances (due calls run in time order, each seeing its own due time as "now"), alerts
// that are recorded instead of shown, a network state switched by hand, and the fixture
// location database built by the real build script.
#pragma once

#include "app/NBController.h"
#include "app/NBControllerEnvironment.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVLocationDB.h"
#include "platform/OVUserDefaults.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <vector>

class FakeScheduler final : public NBScheduler
{
public:
    explicit FakeScheduler(QDateTime start = QDateTime(QDate(2024, 5, 22), QTime(12, 0), Qt::UTC))
        : mNow(std::move(start))
    {
    }

    QDateTime now() const override { return mNow; }
    uint64_t callAfter(double seconds, QObject *context, Job job) override { return add(seconds, false, context, std::move(job)); }
    uint64_t callEvery(double seconds, QObject *context, Job job) override { return add(seconds, true, context, std::move(job)); }
    void cancel(uint64_t id) override
    {
        mCalls.erase(std::remove_if(mCalls.begin(), mCalls.end(), [id](const Call &call) { return call.id == id; }), mCalls.end());
    }

    /// Moves time on by `seconds`, running every call that falls due on the way, in order.
    void advance(double seconds)
    {
        const QDateTime target = mNow.addMSecs(qint64(seconds * 1000.0));
        for (;;) {
            auto next = std::min_element(mCalls.begin(), mCalls.end(), [](const Call &a, const Call &b) {
                return a.due < b.due || (a.due == b.due && a.id < b.id);
            });
            if (next == mCalls.end() || next->due > target)
                break;
            mNow = next->due;
            const Call call = *next;
            if (call.repeating)
                next->due = next->due.addMSecs(call.intervalMs);
            else
                mCalls.erase(next);
            if (call.context)
                call.job();
        }
        mNow = target;
    }
    /// Sets the clock without running anything (a clock set back or forward by the user).
    void set(const QDateTime &now) { mNow = now; }

private:
    struct Call
    {
        uint64_t id;
        QDateTime due;
        qint64 intervalMs;
        bool repeating;
        QPointer<QObject> context;
        Job job;
    };

    uint64_t add(double seconds, bool repeating, QObject *context, Job job)
    {
        const qint64 intervalMs = qint64(seconds * 1000.0);
        mCalls.push_back({mNextId, mNow.addMSecs(intervalMs), intervalMs, repeating, context, std::move(job)});
        return mNextId++;
    }

    QDateTime mNow;
    std::vector<Call> mCalls;
    uint64_t mNextId = 1;
};

struct RecordedAlert
{
    bool critical;
    QString title;
    QString message;
    QString button;
};

class RecordingAlerts final : public NBAlertService
{
public:
    void runCritical(const QString &title, const QString &message) override { alerts.push_back({true, title, message, QStringLiteral("Quit")}); }
    void showAlert(const QString &title, const QString &message, const QString &button) override
    {
        alerts.push_back({false, title, message, button});
    }
    /// Recorded with its buttons joined by "|"; answered at once with the next scripted
    /// answer (a button's text), else with the first button.
    void ask(QWidget *, const QString &title, const QString &message, const QStringList &buttons,
             std::function<void(int chosen)> answered) override
    {
        alerts.push_back({false, title, message, buttons.join(QLatin1Char('|'))});
        const QString answer = answers.empty() ? buttons.value(0) : answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        if (answered && buttons.contains(answer))
            answered(int(buttons.indexOf(answer)));
    }
    std::vector<RecordedAlert> alerts;
    std::vector<QString> answers;
};

class SwitchableNetwork final : public NBReachabilitySource
{
public:
    QNetworkInformation::Reachability reachability() const override { return mState; }
    void set(QNetworkInformation::Reachability state)
    {
        mState = state;
        emit reachabilityChanged();
    }

private:
    QNetworkInformation::Reachability mState = QNetworkInformation::Reachability::Online;
};

/// Points every service host the application asks (NDFD, model data, Brisant, the map's imagery
/// and terrain servers) at `baseUrl`, a fixture server's, so no app test reaches a public server
/// once the application's panels and the map's layers ask for data. A host the test stored
/// itself is kept.
inline void storeServiceHosts(const QString &baseUrl)
{
    OVUserDefaults &defaults = OVUserDefaults::standard();
    for (const QLatin1String key : {NBSettingKey::ndfdServerURL, NBSettingKey::modelDataServerURL,
                                    NBSettingKey::brisantDataServerURL, NBSettingKey::mapImageryServerURL,
                                    NBSettingKey::mapTerrainServerURL})
        if (!defaults.hasStoredValue(key))
            defaults.setObject(baseUrl, key);
    defaults.synchronize();
}

// The bundled backdrop's colours as the map shows them (JPEG tiles kept as DXT1 textures), and
// the tolerance that covers both losses.
inline const QColor kBackdropLand(134, 160, 96);
inline const QColor kBackdropSea(38, 78, 128);
inline constexpr int kBackdropTolerance = 30;

/// Whether every channel of `pixel` lies within `tolerance` of `colour`'s.
inline bool nearColour(QRgb pixel, const QColor &colour, int tolerance)
{
    return std::abs(qRed(pixel) - colour.red()) <= tolerance && std::abs(qGreen(pixel) - colour.green()) <= tolerance
        && std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

inline bool nearBackdropColour(QRgb pixel, const QColor &colour)
{
    return nearColour(pixel, colour, kBackdropTolerance);
}

/// What the bare map draws: the cleared black (beyond the poles) and the backdrop's land and sea.
inline bool isMapPixel(QRgb pixel)
{
    return (pixel & 0xFFFFFF) == 0 || nearBackdropColour(pixel, kBackdropLand)
        || nearBackdropColour(pixel, kBackdropSea);
}

/// The map's frame in a screenshot: the box of the rows' long stretches between the window's
/// gaps (the colour at the window's right edge, between panels) that are mostly pixels `isMap`
/// accepts. Lines, labels and the control tab drawn over the map stay inside the stretch;
/// other panels are not mostly map colours.
inline QRect mapFrame(const QImage &shot, bool (*isMap)(QRgb) = isMapPixel)
{
    constexpr int kLongRun = 200;
    if (shot.isNull())
        return QRect();
    const QColor gap(shot.pixel(shot.width() - 2, shot.height() / 2));
    const auto isGap = [gap](QRgb pixel) { return nearColour(pixel, gap, 6); };
    QRect box;
    for (int y = 0; y < shot.height(); ++y) {
        int start = 0;
        int mapPixels = 0;
        for (int x = 0; x <= shot.width(); ++x) {
            if (x < shot.width() && !isGap(shot.pixel(x, y))) {
                mapPixels += isMap(shot.pixel(x, y)) ? 1 : 0;
                continue;
            }
            const int length = x - start;
            if (length >= kLongRun && mapPixels * 10 >= length * 6)
                box |= QRect(start, y, length, 1);
            start = x + 1;
            mapPixels = 0;
        }
    }
    return box;
}

/// The fixture location database (tests/data/core/locationdb), built once per process.
inline std::shared_ptr<OVLocationDB> fixtureLocationDatabase()
{
    static QTemporaryDir *folder = new QTemporaryDir();
    static const std::shared_ptr<OVLocationDB> database = [] {
        const QString input = testDataPath(QStringLiteral("core/locationdb"));
        const QString script = QDir(input).absoluteFilePath(QStringLiteral("../../../../tools/locationdb/build-location-db.js"));
        const QString out = folder->filePath(QStringLiteral("location.db"));
        QProcess node;
        node.start(QStringLiteral("node"), {script, QStringLiteral("--input"), input, QStringLiteral("--out"), out});
        if (!node.waitForFinished(60000) || node.exitCode() != 0)
            ADD_FAILURE() << "building the fixture location database failed: " << node.readAllStandardError().toStdString();
        return OVLocationDB::initWithDatabasePath(out);
    }();
    return database;
}

/// An environment of test stand-ins: no bus, no position source, the fixture database.
/// `terminate` records the exit code and runs the controller's shutdown, as quitting does.
struct TestEnvironment
{
    std::shared_ptr<FakeScheduler> scheduler = std::make_shared<FakeScheduler>();
    std::shared_ptr<RecordingAlerts> alerts = std::make_shared<RecordingAlerts>();
    QPointer<SwitchableNetwork> network;
    int exitCode = -1;
    /// Replaces the fixture location database (for example with none).
    std::function<std::shared_ptr<OVLocationDB>()> locationDatabaseOverride;

    NBControllerEnvironment make()
    {
        NBControllerEnvironment environment;
        environment.scheduler = scheduler;
        environment.alerts = alerts;
        environment.locationDatabase = locationDatabaseOverride ? locationDatabaseOverride
                                                                : [] { return fixtureLocationDatabase(); };
        environment.reachabilitySource = [this] {
            auto source = std::make_unique<SwitchableNetwork>();
            network = source.get();
            return std::unique_ptr<NBReachabilitySource>(std::move(source));
        };
        environment.systemBus = [] { return QDBusConnection(QStringLiteral("no-bus")); };
        environment.positionSource = [](QObject *) { return nullptr; };
        environment.terminate = [this](int code) {
            exitCode = code;
            if (NBController *controller = NBController::instance())
                controller->applicationWillTerminate();
        };
        return environment;
    }
};
