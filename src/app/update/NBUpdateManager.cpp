#include "app/update/NBUpdateManager.h"

#include "app/update/NBUpdateViewController.h"
#include "core/NBRegisteredDefaults.h"
#include "platform/OVDispatch.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVUserDefaults.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QString kStatusPath = QStringLiteral("/status/core_2.x/update.json");

// Main thread only, as the manager is.
std::function<QWidget *()> &noticeHost()
{
    static std::function<QWidget *()> host;
    return host;
}

QString refusalText(NBUpdateNotice::Refusal refusal)
{
    switch (refusal) {
    case NBUpdateNotice::Refusal::NotJSON: return QStringLiteral("not JSON");
    case NBUpdateNotice::Refusal::NotAnObject: return QStringLiteral("not a JSON object");
    case NBUpdateNotice::Refusal::MissingMember: return QStringLiteral("a member is missing");
    case NBUpdateNotice::Refusal::NotAString: return QStringLiteral("a member is not a string");
    case NBUpdateNotice::Refusal::BadIgnoreKey: return QStringLiteral("unusable ignore key");
    case NBUpdateNotice::Refusal::BadURL: return QStringLiteral("not an http or https address");
    }
    return QString();
}

} // namespace

void NBUpdateManager::setNoticeHost(std::function<QWidget *()> host)
{
    noticeHost() = std::move(host);
}

NBUpdateManager &NBUpdateManager::shared()
{
    // Never destroyed: the notice window must not outlive the application object in a static
    // destructor.
    static NBUpdateManager *manager = [] {
        auto *made = new NBUpdateManager();
        made->fetchUpdate();
        return made;
    }();
    return *manager;
}

NBUpdateManager::NBUpdateManager()
{
    OVNotificationCenter::defaultCenter().addObserver(this, OVURLFinishedLoading, [this](const OVNotification &notification) {
        const OVURLPtr request = notification.object.value<OVURLPtr>();
        if (request && request == mRequest)
            requestFinished(request);
    });
}

void NBUpdateManager::fetchUpdate()
{
    const QString server = OVUserDefaults::standard().stringForKey(NBSettingKey::statusServerURL);
    if (server.isEmpty()) {
        OVLog(QStringLiteral("[NBUpdateManager fetchUpdate] No status server is set; no update notice is fetched."));
        return;
    }
    if (mRequest)
        mRequest->cancelLoading();
    mRequest = OVURL::createWithURLString(server + kStatusPath);
    mRequest->loadURLInBackground();
}

void NBUpdateManager::requestFinished(const OVURLPtr &request)
{
    mRequest.reset();
    if (!request->dataReady() || request->errorOccurred()) {
        OVLog(QStringLiteral("[NBUpdateManager fetchUpdate] The status document could not be loaded from %1 (HTTP %2).")
                  .arg(request->urlString())
                  .arg(request->httpStatus()));
        return;
    }
    parseResponse(request->getData());
}

void NBUpdateManager::parseResponse(const QByteArray &data)
{
    auto parsed = NBUpdateNotice::parse(data);
    if (const auto *error = std::get_if<NBUpdateNotice::Error>(&parsed)) {
        OVLog(QStringLiteral("[NBUpdateManager parseResponse:] Status document refused: %1%2")
                  .arg(refusalText(error->refusal), error->detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(error->detail)));
        return;
    }
    mNotice = std::get<NBUpdateNotice>(std::move(parsed));
    mFetchedDictionary = mNotice->dictionary;
    promptUpdateIfNeeded();
}

void NBUpdateManager::promptUpdateIfNeeded()
{
    if (!mNotice)
        return;
    const NBUpdateNotice notice = *mNotice;
    OVDispatch::mainAsync([this, notice] {
        if (OVUserDefaults::standard().boolForKey(notice.ignoreDefaultsKey()) || !notice.show)
            return;
        if (!noticeHost())
            return;
        showNotice(notice);
    });
}

void NBUpdateManager::showNotice(const NBUpdateNotice &notice)
{
    delete mWindow;
    auto *window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->setObjectName(QStringLiteral("updateWindow"));
    window->setWindowTitle(OVLocalizedString("Update"));
    window->setFixedSize(600, 600);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *controller = new NBUpdateViewController(window);
    layout->addWidget(controller);
    mWindow = window;
    mUpdateViewController = controller;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QObject::deleteLater);

    controller->configure(notice);
    const QWidget *mainWindow = noticeHost() ? noticeHost()() : nullptr;
    QScreen *screen = mainWindow && mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        window->setScreen(screen);
        QRect frame(QPoint(), window->size());
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    window->show();
    window->raise();
    window->activateWindow();
}
