// The application controller's secondary windows (made on first use, reopened at launch when
// they were open at quit), the discontinued-product sheet and the main split view: the
// location list's pane stays 140..300 pixels wide or collapses, the content pane never
// collapses, and the divider's place is kept under "NB_MAIN_SPLITVIEW_POSITION".
#include "app/NBController.h"
#include "app/journal/NBJournalController.h"
#include "app/journal/NBJournalWindow.h"
#include "app/NBMainWindow.h"
#include "app/NBProductLinks.h"
#include "app/NBSecondaryWindows.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"

#include <QAction>
#include <QEvent>
#include <QSplitter>

namespace {

const QString kSplitViewAutosaveName = QStringLiteral("NB_MAIN_SPLITVIEW_POSITION");
constexpr int kLeftPaneMinimum = 140;
constexpr int kLeftPaneMaximum = 300;

// A double click on the divider collapses the location list, or restores it.
class DividerDoubleClick : public QObject
{
public:
    DividerDoubleClick(QSplitter *splitter, std::function<void()> moved)
        : QObject(splitter)
        , mSplitter(splitter)
        , mMoved(std::move(moved))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonDblClick)
            return QObject::eventFilter(watched, event);
        QList<int> sizes = mSplitter->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        if (sizes.value(0) > 0) {
            mRestoreWidth = sizes.value(0);
            sizes = {0, total};
        } else {
            sizes = {mRestoreWidth, total - mRestoreWidth};
        }
        mSplitter->setSizes(sizes);
        mMoved();
        return true;
    }

private:
    QSplitter *mSplitter;
    std::function<void()> mMoved;
    int mRestoreWidth = 200;
};

} // namespace

void NBController::launchSetupSplitView()
{
    QSplitter *split = mWindow->splitView();
    QWidget *left = mWindow->leftSplitSubview();
    left->setMinimumWidth(kLeftPaneMinimum);
    left->setMaximumWidth(kLeftPaneMaximum);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setCollapsible(0, true);
    split->setCollapsible(1, false);
    split->setChildrenCollapsible(true);
    split->setCollapsible(1, false);
    const QByteArray saved = QByteArray::fromBase64(OVUserDefaults::standard().stringForKey(kSplitViewAutosaveName).toLatin1());
    if (!saved.isEmpty() && !split->restoreState(saved))
        OVLog(QStringLiteral("[NBController launchSetupSplitView] The saved divider position is unreadable; the default is used."));
    connect(split, &QSplitter::splitterMoved, this, &NBController::saveSplitViewState);
    if (QSplitterHandle *handle = split->handle(1))
        handle->installEventFilter(new DividerDoubleClick(split, [this] { saveSplitViewState(); }));
}

void NBController::saveSplitViewState()
{
    OVUserDefaults::standard().setObject(QString::fromLatin1(mWindow->splitView()->saveState().toBase64()),
                                         kSplitViewAutosaveName);
}

void NBController::rememberWindows()
{
    if (!mWindow)
        return;
    NBSecondaryWindows::rememberWindow(mWindow.get(), NBSettingKey::mainWindowGeometry);
    NBPrefController::setSetting(qint64(selectedRow()), NBSettingKey::selectedLocationRow);
    if (mSecondaryWindows)
        mSecondaryWindows->rememberOpenWindows();
}

void NBController::launchShowSecondaryWindowsIfNeeded()
{
    if (NBPrefController::integerForKey(QStringLiteral("showActivityWindow")) == 1)
        openActivityPanel();
    if (NBPrefController::integerForKey(QStringLiteral("showJournalWindow")) == 1)
        openWeatherJournal();
    if (NBPrefController::integerForKey(QStringLiteral("showInfoPanel")) == 1)
        openLocationInfo();
}

NBSecondaryWindows *NBController::secondaryWindowsMade()
{
    if (!mSecondaryWindows) {
        mSecondaryWindows = new NBSecondaryWindows([this] { return journalMade()->window(); }, this);
        mSecondaryWindows->setMainWindow(mWindow.get());
    }
    return mSecondaryWindows;
}

NBJournalController *NBController::journalMade()
{
    if (!mJournal) {
        mJournalClock = std::make_unique<NBSchedulerClock>(mEnvironment.scheduler);
        NBJournalController::Environment environment;
        environment.journalDirectory = NBPrefController::nimbrelCoreJournalPath();
        environment.clock = mJournalClock.get();
        environment.alerts = mEnvironment.alerts;
        environment.monitoredLocations = [this] { return mMonitoredLocations; };
        mJournal = std::make_unique<NBJournalController>(std::move(environment));
    }
    return mJournal.get();
}

bool NBController::journalIsOpen() const
{
    return mJournal && mJournal->window()->isVisible() && !mJournal->window()->isMinimized();
}

void NBController::insertJournalTable()
{
    // The menu bar sits on the main window, so choosing the item activates that window: an
    // open journal (shown, not minimised) is the one the user means.
    if (journalIsOpen())
        mJournal->insertCurrentConditions();
}

void NBController::openActivityPanel()
{
    secondaryWindowsMade()->setUrlsManaged(mUrlsManaged);
    mSecondaryWindows->openActivityPanel();
}

void NBController::openPrefsWindow()
{
    secondaryWindowsMade()->openPrefsWindow();
}

void NBController::openAboutBox()
{
    secondaryWindowsMade()->openAboutBox();
}

void NBController::openWeatherJournal()
{
    secondaryWindowsMade()->openWeatherJournal();
}

void NBController::openHelp()
{
    secondaryWindowsMade()->openHelp();
}

void NBController::openFutureUpdates()
{
    mEnvironment.alerts->ask(mWindow.get(), QStringLiteral("Nimbrel Core Future Updates"),
                             QStringLiteral("Nimbrel Core has been discontinued and will no longer receive App Store updates."),
                             {QStringLiteral("Learn More"), QStringLiteral("Close")}, [](int chosen) {
                                 if (chosen == 0)
                                     NBProductLinks::openProductPage(QStringLiteral("/redirect/sunset/"), "openFutureUpdates:");
                             });
}
