// Starts the real executable under the X server, finds its main window by title, takes a
// screenshot of it and asks it to quit.
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The X window id of a mapped window with exactly this title, or an empty string. (Qt also
// makes an unmapped leader window that carries the title.)
QString findWindow(const QString &title)
{
    const QRegularExpression line("^\\s*(0x[0-9a-f]+) \"" + QRegularExpression::escape(title) + "\"",
                                  QRegularExpression::MultilineOption);
    auto matches = line.globalMatch(run("xwininfo", {"-root", "-tree"}));
    while (matches.hasNext()) {
        const QString id = matches.next().captured(1);
        if (run("xwininfo", {"-id", id}).contains("Map State: IsViewable"))
            return id;
    }
    return QString();
}

} // namespace

TEST(AppLaunch, OpensTheMainWindowAndQuitsCleanly)
{
    QProcess app;
    app.setProcessChannelMode(QProcess::ForwardedChannels);
    app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE), {});
    ASSERT_TRUE(app.waitForStarted(10000));

    QString window;
    ASSERT_TRUE(waitUntil([&] { return !(window = findWindow("Nimbrel Core")).isEmpty(); }, 30000))
        << "no window titled \"Nimbrel Core\"";

    const QString shot = testOutputPath("main-window.png");
    QFile::remove(shot);
    // The window may be listed a moment before it is mapped; try the screenshot until it works.
    EXPECT_TRUE(waitUntil([&] { return QProcess::execute("import", {"-window", window, shot}) == 0 && QFile::exists(shot); }, 10000));

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(15000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
}
