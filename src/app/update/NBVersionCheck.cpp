#include "app/update/NBVersionCheck.h"

#include "app/NBAlertService.h"
#include "app/NBProductLinks.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVUserDefaults.h"

#include <QCoreApplication>
#include <QStringList>

#include <climits>

namespace {

const QString kLatestVersionPath = QStringLiteral("/nimbrel/latest_version.txt");
constexpr int kReleaseBeta = 999999;

// The leading number of a text ("12abc" is 12, "abc" is 0); a value that does not fit a 32-bit
// integer counts as 0.
int leadingInteger(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed.at(end) == QLatin1Char('-') || trimmed.at(end) == QLatin1Char('+')))
        ++end;
    while (end < trimmed.size() && trimmed.at(end).isDigit())
        ++end;
    bool ok = false;
    const qlonglong value = trimmed.left(end).toLongLong(&ok);
    if (!ok || value >= INT_MAX || value <= INT_MIN)
        return 0;
    return int(value);
}

struct Component
{
    int number;
    int beta;
};

// "3" is (3, release); "1b3" is (1, 3); a component with "b" but nothing after it is a release.
Component component(const QString &text)
{
    if (!text.contains(QLatin1Char('b')))
        return {leadingInteger(text), kReleaseBeta};
    const QStringList parts = text.split(QLatin1Char('b'), Qt::SkipEmptyParts);
    if (parts.size() >= 2)
        return {leadingInteger(parts.at(0)), leadingInteger(parts.at(1))};
    if (parts.size() == 1)
        return {leadingInteger(parts.at(0)), kReleaseBeta};
    return {0, kReleaseBeta};
}

} // namespace

NBVersionCheck::NBVersionCheck(std::shared_ptr<NBAlertService> alerts, QWidget *window, QObject *parent)
    : QObject(parent)
    , mAlerts(std::move(alerts))
    , mWindow(window)
{
    OVNotificationCenter::defaultCenter().addObserver(this, OVURLFinishedLoading, [this](const OVNotification &notification) {
        const OVURLPtr request = notification.object.value<OVURLPtr>();
        if (request && request == mTask)
            finished(request);
    });
}

NBVersionCheck::~NBVersionCheck()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    if (mTask)
        mTask->cancelLoading();
}

bool NBVersionCheck::isVersionLaterThan(const QString &a, const QString &b)
{
    if (a == b)
        return false;
    const QStringList left = a.split(QLatin1Char('.'));
    const QStringList right = b.split(QLatin1Char('.'));
    const qsizetype count = std::min(left.size(), right.size());
    if (count == 0)
        return false;
    for (qsizetype i = 0; i < count; ++i) {
        const Component x = component(left.at(i));
        const Component y = component(right.at(i));
        if (x.number != y.number)
            return x.number > y.number;
        if (x.beta != y.beta)
            return x.beta > y.beta;
    }
    return left.size() > right.size();
}

std::optional<QString> NBVersionCheck::latestVersionFromBody(const QByteArray &body)
{
    for (const char byte : body) {
        if (static_cast<unsigned char>(byte) > 0x7F)
            return std::nullopt;
    }
    return QString::fromLatin1(body).trimmed();
}

QString NBVersionCheck::alertMessage(const QString &current, const QString &latest)
{
    return OVLocalizedString("A new version of Nimbrel Core is available.  If you would like to upgrade, click More Info.")
           + QStringLiteral("\n\n\t") + OVLocalizedString("Current Version") + QStringLiteral(": \t") + current
           + QStringLiteral("\n\t") + OVLocalizedString("Latest Version") + QStringLiteral(": \t\t") + latest
           + QStringLiteral("\n");
}

void NBVersionCheck::checkServerForUpdates()
{
    OVUserDefaults &defaults = OVUserDefaults::standard();
    const QString key(NBSettingKey::checkForUpdates);
    if (!defaults.objectForKey(key).isValid()) {
        NBPrefController::setSetting(true, key);
        defaults.setObject(true, key);
        defaults.synchronize();
    }
    if (!NBPrefController::boolForKey(key))
        return;
    const QString server = defaults.stringForKey(NBSettingKey::downloadServerURL).trimmed();
    if (server.isEmpty()) {
        OVLog(QStringLiteral("[NBController checkServerForUpdates] No download server is set; no version check."));
        return;
    }
    if (mTask)
        mTask->cancelLoading();
    mTask = OVURL::createWithURLString(server + kLatestVersionPath);
    mTask->loadURLInBackground();
}

void NBVersionCheck::finished(const OVURLPtr &request)
{
    mTask.reset();
    if (!request->dataReady() || request->errorOccurred() || request->httpStatus() != 200) {
        OVLog(QStringLiteral("[NBController checkServerForUpdates] No version text from %1 (HTTP %2).")
                  .arg(request->urlString())
                  .arg(request->httpStatus()));
        return;
    }
    const std::optional<QString> latest = latestVersionFromBody(request->getData());
    if (!latest) {
        OVLog(QStringLiteral("[NBController checkServerForUpdates] The version text is not ASCII; ignored."));
        return;
    }
    const QString current = QCoreApplication::applicationVersion();
    if (isVersionLaterThan(*latest, current))
        showAlert(current, *latest);
}

void NBVersionCheck::showAlert(const QString &current, const QString &latest)
{
    const QStringList buttons{OVLocalizedString("More Info"), OVLocalizedString("Disable Checking"), OVLocalizedString("Not Yet")};
    mAlerts->ask(nullptr, OVLocalizedString("Alert"), alertMessage(current, latest), buttons, [](int chosen) {
        if (chosen == 0) {
            NBProductLinks::openProductPage(QStringLiteral("/"), "checkServerForUpdates");
        } else if (chosen == 1) {
            const QString key(NBSettingKey::checkForUpdates);
            NBPrefController::setSetting(QStringLiteral("NO"), key);
            OVUserDefaults::standard().setObject(QStringLiteral("NO"), key);
            OVUserDefaults::standard().synchronize();
        }
    });
}
