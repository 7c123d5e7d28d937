// The program under test: process, window lookup, screenshots and xdotool input.
#include "support/RunningProgram.h"

#include "support/TestHelpers.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    // UTF-8 output, so titles beyond ASCII (Qt appends " — <application>" to a dialog's) are
    // printed rather than replaced by a conversion error.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The X window id of a mapped window with exactly this title (or, unless `exact`, this title
// and more after a space, such as the application's name Qt appends to a dialog's), or an empty
// string; Qt's " — <application>" suffix on windows other than the main one is allowed. (Qt
// also makes an unmapped leader window that carries the title.)
QString findWindow(const QString &title, bool exact = true)
{
    const QRegularExpression line("^\\s*(0x[0-9a-f]+) \"" + QRegularExpression::escape(title) + (exact ? "(?: \u2014 [^\"]*)?\"" : "(?: [^\"]*)?\""),
                                  QRegularExpression::MultilineOption);
    auto matches = line.globalMatch(run("xwininfo", {"-root", "-tree"}));
    while (matches.hasNext()) {
        const QString id = matches.next().captured(1);
        if (run("xwininfo", {"-id", id}).contains("Map State: IsViewable"))
            return id;
    }
    return QString();
}

void xdotool(const QStringList &arguments)
{
    QProcess::execute(QStringLiteral("xdotool"), arguments);
}

// `import`'s picture of the X window `window` ("root": the whole screen) saved at `path` (a
// window may take a moment to be mapped); a null image when it cannot be taken.
QImage importWindow(const QString &window, const QString &path)
{
    QFile::remove(path);
    if (!waitUntil([&] { return QProcess::execute("import", {"-window", window, path}) == 0 && QFile::exists(path); }, 10000))
        return QImage();
    return QImage(path);
}

// Moves the pointer to `at` on the root window.
void movePointer(const QPoint &at)
{
    xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
}

} // namespace

bool RunningProgram::start(const QString &executable, const QStringList &arguments)
{
    mProcess.setProcessChannelMode(QProcess::ForwardedChannels);
    mProcess.start(executable, arguments);
    return mProcess.waitForStarted(10000);
}

QString RunningProgram::waitForWindow(const QString &title, int timeoutMs)
{
    waitUntil([&] { return !(mWindow = findWindow(title)).isEmpty(); }, timeoutMs);
    return mWindow;
}

QString RunningProgram::waitForOtherWindow(const QString &title, int timeoutMs) const
{
    QString found;
    waitUntil([&] { return !(found = findWindow(title, false)).isEmpty(); }, timeoutMs);
    return found;
}

QImage RunningProgram::screenshot(const QString &path)
{
    if (mWindow.isEmpty()) {
        QFile::remove(path);
        return QImage();
    }
    return importWindow(mWindow, path);
}

QPoint RunningProgram::windowOrigin() const
{
    const QString info = run("xwininfo", {"-id", mWindow});
    const auto x = QRegularExpression("Absolute upper-left X:\\s+(-?\\d+)").match(info);
    const auto y = QRegularExpression("Absolute upper-left Y:\\s+(-?\\d+)").match(info);
    return QPoint(x.captured(1).toInt(), y.captured(1).toInt());
}

QSize RunningProgram::windowSize() const
{
    const QString info = run("xwininfo", {"-id", mWindow});
    const auto width = QRegularExpression("Width:\\s+(\\d+)").match(info);
    const auto height = QRegularExpression("Height:\\s+(\\d+)").match(info);
    return QSize(width.captured(1).toInt(), height.captured(1).toInt());
}

void RunningProgram::typeText(const QString &text)
{
    xdotool({"type", "--delay", "30", text});
    QTest::qWait(200);
}

void RunningProgram::keys(const QStringList &names)
{
    for (const QString &name : names) {
        xdotool({"key", name});
        QTest::qWait(150);
    }
}

void RunningProgram::drag(const QPoint &from, const QPoint &to)
{
    const QPoint start = windowOrigin() + from;
    movePointer(start);
    QTest::qWait(100);
    xdotool({"mousedown", "1"});
    constexpr int kSteps = 10;
    for (int step = 1; step <= kSteps; ++step) {
        movePointer(start + (to - from) * step / kSteps);
        QTest::qWait(30);
    }
    xdotool({"mouseup", "1"});
    QTest::qWait(200);
}

void RunningProgram::hover(const QPoint &at)
{
    xdotool({"windowfocus", "--sync", mWindow});
    movePointer(windowOrigin() + at);
    QTest::qWait(300);
}

void RunningProgram::resizeWindow(const QSize &size)
{
    xdotool({"windowsize", "--sync", mWindow, QString::number(size.width()), QString::number(size.height())});
    QTest::qWait(500);
}

void RunningProgram::wheel(const QPoint &at, int clicks)
{
    movePointer(windowOrigin() + at);
    QTest::qWait(100);
    // X buttons 4 and 5 are the wheel turned away from and towards the user.
    for (int i = 0; i < std::abs(clicks); ++i) {
        xdotool({"click", clicks > 0 ? "4" : "5"});
        QTest::qWait(20);
    }
    QTest::qWait(200);
}

void RunningProgram::click(const QPoint &at, int button)
{
    movePointer(windowOrigin() + at);
    QTest::qWait(100);
    xdotool({"click", QString::number(button)});
    QTest::qWait(200);
}

void RunningProgram::key(const QString &chord)
{
    xdotool({"windowfocus", "--sync", mWindow});
    QTest::qWait(100);
    xdotool({"key", "--clearmodifiers", chord});
    QTest::qWait(200);
}

QImage RunningProgram::screenshotScreen(const QString &path)
{
    return importWindow(QStringLiteral("root"), path);
}

bool RunningProgram::terminate(int timeoutMs)
{
    mProcess.terminate();
    if (!mProcess.waitForFinished(timeoutMs))
        return false;
    return mProcess.exitStatus() == QProcess::NormalExit && mProcess.exitCode() == 0;
}
