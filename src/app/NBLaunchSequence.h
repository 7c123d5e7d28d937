// The launch sequence, in its fixed order: the main window's last touches, moving an old
// support folder, making the support folders, the observation database, the saved places (or
// the machine's position), the secondary windows that were open at quit, the network monitor,
// and last what runs once launched (the update cycle, the version check, the update notice).
//
// The sequence owns the order and the rule that a launch failure (the support folder cannot be
// moved or made) is shown in a critical alert, stops every later step and asks the program to
// end with exit code 1. The steps that need the shell's state are handed in by the application
// controller; the sequence never reaches for it. Main thread.
#pragma once

#include <functional>
#include <memory>

class NBAlertService;
struct NBLaunchFailure;

class NBLaunchSequence
{
public:
    struct Steps
    {
        std::function<void()> setupMainWindow;
        std::function<void()> setupDatabases;
        std::function<void()> setupLocations;
        std::function<void()> showSecondaryWindows;
        std::function<void()> checkReachability;
        /// The launch is complete: what runs from now on starts here.
        std::function<void()> finished;
    };

    NBLaunchSequence(std::shared_ptr<NBAlertService> alerts, std::function<void(int exitCode)> terminate, Steps steps);

    /// Runs the steps in order; false after a launch failure.
    bool run();

private:
    bool migrateSupportFolder();
    bool createSupportFolders();
    void terminateAfter(const NBLaunchFailure &failure);

    std::shared_ptr<NBAlertService> mAlerts;
    std::function<void(int exitCode)> mTerminate;
    Steps mSteps;
};
