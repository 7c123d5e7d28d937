// Entry point: sets the OpenGL surface format every window shares, makes the application
// object and opens the main window.
#include "app/NBApplicationSetup.h"
#include "app/NBMainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    NBApplicationSetup::configureBeforeApplication();
    QApplication application(argc, argv);
    NBApplicationSetup::configureApplication(application);

    NBMainWindow window;
    window.show();
    return application.exec();
}
