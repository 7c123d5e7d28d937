// The main function of every test executable: gives the process its own HOME and XDG folders
// (so no test touches the real user's settings), gives OpenGL the application's context format,
// makes the QApplication the system expects,
// then runs GoogleTest.
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

    ::testing::InitGoogleTest(&argc, argv);
    OVOpenGLFormat::configureBeforeApplication();
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Nimbrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Nimbrel Core"));
    const int result = RUN_ALL_TESTS();
    QDir(QString::fromStdString(base)).removeRecursively();
    return result;
}
