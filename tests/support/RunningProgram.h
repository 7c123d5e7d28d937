// The built program running under the test's X server, as a person would use it: started as a
// child process that shares the test's own HOME and XDG folders (so settings the test wrote
// are the program's), its main window found by title, screenshots taken with ImageMagick's
// `import`, mouse input given with `xdotool`, and a clean exit on SIGTERM.
//
// Needs xwininfo, import and xdotool on PATH and a DISPLAY (run under xvfb-run). Main thread.
#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

class RunningProgram
{
public:
    /// Starts `executable`; false when it does not start.
    bool start(const QString &executable, const QStringList &arguments = {});
    /// Waits until a mapped window with exactly this title exists; its X id, or empty.
    QString waitForWindow(const QString &title, int timeoutMs = 30000);
    /// Waits for another mapped window of the program (a sheet, a tool window) whose title is
    /// this text, alone or followed by more after a space; its X id, or empty. The window
    /// the other calls use stays the same.
    QString waitForOtherWindow(const QString &title, int timeoutMs = 10000) const;
    /// The window's screenshot saved at `path` (the window may take a moment to be mapped);
    /// a null image when it cannot be taken.
    QImage screenshot(const QString &path);
    /// The window's position on the root window.
    QPoint windowOrigin() const;

    /// Presses the left button at `from` and releases it at `to` (window coordinates), moving
    /// in steps on the way.
    void drag(const QPoint &from, const QPoint &to);
    /// Turns the wheel `clicks` notches (positive: away from the user) at `at`.
    void wheel(const QPoint &at, int clicks);

    /// Clicks `button` at `at` (window coordinates).
    void click(const QPoint &at, int button = 1);
    /// Gives the window the keyboard focus and types the key chord ("ctrl+2", "Escape").
    void key(const QString &chord);
    /// The whole screen (menus and sheets are windows of their own) saved at `path`.
    QImage screenshotScreen(const QString &path);
    /// The X id of the window last found.
    QString windowId() const { return mWindow; }

    /// Sends SIGTERM and waits; true when the program exited normally with code 0.
    bool terminate(int timeoutMs = 15000);

    QProcess &process() { return mProcess; }

private:
    QProcess mProcess;
    QString mWindow;
};
