// The main function of every test executable: gives the process its own HOME and XDG folders
// (so no test touches the real user's settings) and a session bus address that answers at once
// that there is none, gives OpenGL the application's context format, makes the QApplication
// the system expects, then runs GoogleTest.
#include "platform/OVOpenGLFormat.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    char pattern[] = "/tmp/nimbrel-test-XXXXXX";
    const char *home = ::mkdtemp(pattern);
    if (!home)
        return 2;
    const std::string base(home);
    for (const char *sub : {"/config", "/data", "/cache", "/runtime"})
        QDir().mkpath(QString::fromStdString(base + sub));
    ::setenv("HOME", home, 1);
    ::setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (base + "/cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (base + "/runtime").c_str(), 1);
    ::chmod((base + "/runtime").c_str(), 0700);
    // Without an address, the first shown window's accessibility bridge asks libdbus to
    // autolaunch a session bus, which forks the test process. Under the address sanitizer a
    // fork while another thread (the map's render thread, a texture loader) holds the
    // allocator's lock leaves the child waiting for ever, and the test with it. A socket that
    // does not exist fails at once, as the missing bus did, without the fork; the programs the
    // tests launch inherit it.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + base + "/runtime/no-session-bus").c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    OVOpenGLFormat::configureBeforeApplication();
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Nimbrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Nimbrel Core"));
    const int result = RUN_ALL_TESTS();
    QDir(QString::fromStdString(base)).removeRecursively();
    return result;
}
