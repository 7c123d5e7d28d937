#include "app/NBSecondaryWindows.h"

#include "app/NBProductLinks.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/views/NBPreferencesWindow.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const QString kShowActivityWindow = QStringLiteral("showActivityWindow");
const QString kShowJournalWindow = QStringLiteral("showJournalWindow");

const char *const kAboutBoxCredits =
    "Place names: GeoNames (geonames.org), licensed under CC BY 4.0.\n"
    "Weather icons: Bas Milius, MIT License.\n"
    "Map data: Natural Earth (public domain) and US Census Bureau boundaries; "
    "see \"Data sources and licences\" in the README.";

QWidget *makeWindow(const char *name, const QString &title)
{
    auto *window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QString::fromLatin1(name));
    window->setWindowTitle(title);
    window->setAttribute(Qt::WA_QuitOnClose, false);
    return window;
}

void centre(QWidget *window, const QWidget *over)
{
    QPoint centre;
    if (over && over->isVisible() && !over->isMinimized())
        centre = over->frameGeometry().center();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        centre = screen->availableGeometry().center();
    else
        return;
    QRect frame(QPoint(), window->frameGeometry().size());
    frame.moveCenter(centre);
    window->move(frame.topLeft());
}

} // namespace

NBSecondaryWindows::NBSecondaryWindows(JournalSource journalSource, QObject *parent)
    : QObject(parent)
    , mJournalSource(std::move(journalSource))
{
    // Quitting closes every window; that is not the user closing the activity panel.
    QCoreApplication::instance()->installEventFilter(this);
}

void NBSecondaryWindows::placeWindow(QWidget *window, const QWidget *over, const QString &key)
{
    const QByteArray saved =
        key.isEmpty() ? QByteArray() : QByteArray::fromBase64(NBPrefController::settingForKey(key).toString().toLatin1());
    if (!saved.isEmpty() && window->restoreGeometry(saved))
        return;
    if (!saved.isEmpty())
        OVLog(QStringLiteral("[NBSecondaryWindows placeWindow] The saved place of %1 is unreadable; it opens centred.")
                  .arg(window->objectName()));
    centre(window, over);
}

void NBSecondaryWindows::rememberWindow(const QWidget *window, const QString &key)
{
    if (window && !key.isEmpty())
        NBPrefController::setSetting(QString::fromLatin1(window->saveGeometry().toBase64()), key);
}

void NBSecondaryWindows::trackWindow(QWidget *window, const QString &key)
{
    window->installEventFilter(this);
    mTracked.append({window, key});
}

void NBSecondaryWindows::rememberOpenWindows() const
{
    for (const TrackedWindow &tracked : mTracked) {
        if (tracked.window && tracked.window->isVisible())
            rememberWindow(tracked.window, tracked.key);
    }
}

void NBSecondaryWindows::rememberWindowOf(QObject *watched) const
{
    for (const TrackedWindow &tracked : mTracked) {
        if (tracked.window == watched)
            rememberWindow(tracked.window, tracked.key);
    }
}

NBSecondaryWindows::~NBSecondaryWindows()
{
    // The journal window is left to its source's owner.
    // The preferences window goes with its controller, a child of this object.
    for (QWidget *window : {mActivityPanel.data(), mAboutBox.data(), mHelpWindow.data()})
        delete window;
}

void NBSecondaryWindows::bringToFront(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

bool NBSecondaryWindows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
        mQuitting = true;
    } else if (event->type() == QEvent::Close && watched->isWidgetType()) {
        rememberWindowOf(watched);
        // Closing the activity panel by its own button forgets that it was open; the closing
        // of every window at quit does not.
        if (watched == mActivityPanel && !mQuitting)
            NBPrefController::setSetting(0, kShowActivityWindow);
    }
    return QObject::eventFilter(watched, event);
}

void NBSecondaryWindows::makeActivityPanel()
{
    mActivityPanel = makeWindow("activityPanel", OVLocalizedString("Activity"));
    mActivityPanel->resize(420, 260);
    auto *layout = new QVBoxLayout(mActivityPanel);
    mActivityList = new QListWidget(mActivityPanel);
    mActivityList->setObjectName(QStringLiteral("activityList"));
    mActivityStatus = new QLabel(OVLocalizedString("Idle"), mActivityPanel);
    mActivityStatus->setObjectName(QStringLiteral("activityPanelStatusText"));
    layout->addWidget(mActivityList, 1);
    layout->addWidget(mActivityStatus);
    trackWindow(mActivityPanel, NBSettingKey::activityWindowGeometry);
    setUrlsManaged(mUrls);
    placeWindow(mActivityPanel, mMainWindow, NBSettingKey::activityWindowGeometry);
}

void NBSecondaryWindows::openActivityPanel()
{
    if (!mActivityPanel)
        makeActivityPanel();
    if (mActivityPanel->isVisible()) {
        rememberWindow(mActivityPanel, NBSettingKey::activityWindowGeometry);
        mActivityPanel->close();
        NBPrefController::setSetting(0, kShowActivityWindow);
    } else {
        bringToFront(mActivityPanel);
        NBPrefController::setSetting(1, kShowActivityWindow);
    }
}

void NBSecondaryWindows::setUrlsManaged(const QList<QVariantMap> &urls)
{
    mUrls = urls;
    if (!mActivityList)
        return;
    mActivityList->clear();
    for (const QVariantMap &entry : urls) {
        const QString description = entry.value(QStringLiteral("urlDescription")).toString();
        mActivityList->addItem(QStringLiteral("%1  %2").arg(
            description.isEmpty() ? entry.value(QStringLiteral("urlString")).toString() : description,
            entry.value(QStringLiteral("urlStatus")).toString()));
    }
}

void NBSecondaryWindows::setActivityStatus(const QString &text)
{
    if (mActivityStatus)
        mActivityStatus->setText(text);
}

void NBSecondaryWindows::openPrefsWindow()
{
    if (!mPrefController) {
        mPrefController = new NBPrefController(this);
        mPrefsWindow = mPrefController->window();
        mPrefsWindow->setObjectName(QStringLiteral("prefsWindow"));
        mPrefsWindow->setAttribute(Qt::WA_QuitOnClose, false);
    } else if (!mPrefsWindow->isVisible()) {
        // Settings may have changed elsewhere (a menu, the map) since it was last open.
        mPrefController->setupPrefs();
    }
    if (!mPrefsWindow->isVisible())
        centre(mPrefsWindow, mMainWindow);
    bringToFront(mPrefsWindow);
}

void NBSecondaryWindows::openAboutBox()
{
    if (!mAboutBox) {
        mAboutBox = makeWindow("aboutBox", OVLocalizedString("About Nimbrel Core"));
        auto *layout = new QVBoxLayout(mAboutBox);
        mAboutBoxTitle = new QLabel(mAboutBox);
        mAboutBoxTitle->setObjectName(QStringLiteral("aboutBoxTitle"));
        mAboutBoxTitle->setAlignment(Qt::AlignCenter);
        layout->addWidget(mAboutBoxTitle);
        // The place names are GeoNames data under CC BY 4.0, which asks for credit where they
        // are shown; the icons and the map data carry notices of their own.
        mAboutBoxCredits = new QLabel(OVLocalizedString(kAboutBoxCredits), mAboutBox);
        mAboutBoxCredits->setObjectName(QStringLiteral("aboutBoxCredits"));
        mAboutBoxCredits->setAlignment(Qt::AlignCenter);
        mAboutBoxCredits->setWordWrap(true);
        mAboutBoxCredits->setTextFormat(Qt::PlainText);
        layout->addWidget(mAboutBoxCredits);
        mAboutBox->setWindowFlag(Qt::WindowStaysOnTopHint);
        mAboutBox->resize(420, 220);
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), mAboutBox);
        connect(escape, &QShortcut::activated, mAboutBox, &QWidget::close);
    }
    mAboutBoxTitle->setText(QStringLiteral("Nimbrel Core %1").arg(QCoreApplication::applicationVersion()));
    if (!mAboutBox->isVisible())
        centre(mAboutBox, mMainWindow);
    bringToFront(mAboutBox);
}

void NBSecondaryWindows::openWeatherJournal()
{
    if (!mJournalWindow) {
        mJournalWindow = mJournalSource();
        mJournalWindow->setAttribute(Qt::WA_QuitOnClose, false);
        trackWindow(mJournalWindow, NBSettingKey::journalWindowGeometry);
        placeWindow(mJournalWindow, mMainWindow, NBSettingKey::journalWindowGeometry);
    }
    bringToFront(mJournalWindow);
    NBPrefController::setSetting(1, kShowJournalWindow);
}

void NBSecondaryWindows::openHelp()
{
    if (!mHelpWindow) {
        mHelpWindow = makeWindow("helpWindow", OVLocalizedString("Nimbrel Core Help"));
        mHelpWindow->resize(640, 560);
        centre(mHelpWindow, mMainWindow);
        auto *layout = new QVBoxLayout(mHelpWindow);
        layout->setContentsMargins(0, 0, 0, 0);
        mHelpWebView = new QTextBrowser(mHelpWindow);
        mHelpWebView->setObjectName(QStringLiteral("helpWebView"));
        mHelpWebView->setReadOnly(true);
        mHelpWebView->setOpenExternalLinks(true);
        layout->addWidget(mHelpWebView);
    }
    bringToFront(mHelpWindow);
    const QUrl page = NBProductLinks::productPage(QStringLiteral("/help/"));
    if (page.isEmpty()) {
        OVLog(QStringLiteral("[NBController openHelp:] No product web address is set; no help page is loaded."));
        return;
    }
    mHelpWebView->setSource(page);
}
