#include "app/NBLaunchSequence.h"

#include "app/NBAlertService.h"
#include "app/NBSupportFolders.h"
#include "core/NBPrefController.h"
#include "platform/OVLog.h"

NBLaunchSequence::NBLaunchSequence(std::shared_ptr<NBAlertService> alerts, std::function<void(int exitCode)> terminate,
                                   Steps steps)
    : mAlerts(std::move(alerts))
    , mTerminate(std::move(terminate))
    , mSteps(std::move(steps))
{
}

bool NBLaunchSequence::run()
{
    mSteps.setupMainWindow();
    if (!migrateSupportFolder() || !createSupportFolders())
        return false;
    mSteps.setupDatabases();
    mSteps.setupLocations();
    mSteps.showSecondaryWindows();
    mSteps.checkReachability();
    mSteps.finished();
    return true;
}

void NBLaunchSequence::terminateAfter(const NBLaunchFailure &failure)
{
    OVLog(QStringLiteral("[NBController applicationDidFinishLaunching] %1 %2").arg(failure.title, failure.message));
    mAlerts->runCritical(failure.title, failure.message);
    mTerminate(1);
}

bool NBLaunchSequence::migrateSupportFolder()
{
    const std::optional<NBLaunchFailure> failure = NBSupportFolders::migrateOldSupportFolder(
        NBPrefController::nimbrelCoreSupportPath(), NBPrefController::oldNimbrelSupportPath());
    if (failure)
        terminateAfter(*failure);
    return !failure;
}

bool NBLaunchSequence::createSupportFolders()
{
    const std::optional<NBLaunchFailure> failure = NBSupportFolders::createFolders(
        NBPrefController::nimbrelCoreSupportPath(), NBPrefController::nimbrelCoreJournalPath(),
        NBPrefController::nimbrelCoreObservationsPath(), NBPrefController::nimbrelCoreCachePath());
    if (failure)
        terminateAfter(*failure);
    return !failure;
}
