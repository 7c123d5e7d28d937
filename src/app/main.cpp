// Entry point: imports newer preferences left in the sandbox folder, makes the application
// object and the application controller, builds the main window, and runs the launch sequence
// from inside the event loop. Quitting (last window closed, SIGTERM, SIGINT, a launch failure)
// always goes through the controller's shutdown.
#include "app/NBApplicationSetup.h"
#include "app/NBController.h"
#include "app/NBMainWindow.h"
#include "core/OVPreferenceImport.h"
#include "core/OVProcessHelpers.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    NBApplicationSetup::setApplicationNames();
    OVPreferenceImport::ovImportNewerPreferences(OVApplicationIdentifier, OVApplicationIdentifier);
    NBApplicationSetup::configureBeforeApplication();
    QApplication application(argc, argv);
    NBApplicationSetup::configureApplication(application);

    NBController controller;
    controller.awakeFromNib();
    controller.window()->show();
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &controller, &NBController::applicationWillTerminate);
    QTimer::singleShot(0, &controller, &NBController::applicationDidFinishLaunching);
    return application.exec();
}
