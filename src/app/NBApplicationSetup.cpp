#include "app/NBApplicationSetup.h"

#include "platform/OVOpenGLFormat.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int gSignalPipe[2] = {-1, -1};

void onQuitSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[0], &byte, 1);
}

} // namespace

namespace NBApplicationSetup {

void configureBeforeApplication()
{
    OVOpenGLFormat::configureBeforeApplication();
}

void setApplicationNames()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Nimbrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Nimbrel Core"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NIMBREL_VERSION));
}

void configureApplication(QApplication &application)
{
    QApplication::setApplicationDisplayName(QStringLiteral("Nimbrel Core"));
    // Ties the windows to the installed desktop entry (its name and icon in the shell).
    QGuiApplication::setDesktopFileName(QStringLiteral("nimbrel-core"));
    QApplication::setQuitOnLastWindowClosed(true);

    // Signals only write a byte; the quit itself runs on the main thread's event loop.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(gSignalPipe[1], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(gSignalPipe[1], &byte, 1);
        notifier->setEnabled(false);
        // What the window system reported before the signal (a resize, a move) is taken in
        // first, so the geometry written at quit is the one on screen.
        QCoreApplication::processEvents();
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace NBApplicationSetup
