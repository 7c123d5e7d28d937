// Helpers shared by the tests: waiting for a notification while the event loop runs, capturing
// log lines, running the event loop until a condition holds, and test folders.
#pragma once

#include "platform/OVNotificationCenter.h"

#include <QDate>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <optional>

/// Watches one notification name from construction on; `wait` runs the event loop until one
/// arrived (or had already arrived) or the timeout passed.
class NotificationWaiter
{
public:
    explicit NotificationWaiter(const QString &name, const QVariant &object = QVariant());
    ~NotificationWaiter();

    std::optional<OVNotification> wait(int timeoutMs = 5000);
    int count() const;
    QList<OVNotification> received() const;

private:
    mutable std::mutex mMutex;
    QList<OVNotification> mReceived;
    int mTaken = 0;
};

/// Waits for the next `name` posted from now on, running the event loop (use when the post
/// happens later, from a timer, a worker or the network; otherwise make a NotificationWaiter first).
std::optional<OVNotification> waitForNotification(const QString &name, int timeoutMs = 5000);

/// Runs the event loop until `condition` holds; false when the timeout passed first.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 5000);

/// Collects every log line written while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString &fragment) const;

private:
    mutable std::mutex mMutex;
    QStringList mLines;
};

/// The whole contents of a file; empty when it cannot be read.
QByteArray readTestFile(const QString &path);
/// Writes the bytes to the file, making its folder first; a failure fails the running test.
void writeTestFile(const QString &path, const QByteArray &bytes);

/// A fixture under tests/data with every ISO date ("yyyy-mm-ddT") moved by the whole days from
/// `fixtureDay` to `day`, so that a recorded reply speaks of today; empty when unreadable.
QByteArray testDataWithDatesMoved(const QString &relative, const QDate &fixtureDay, const QDate &day);
/// A fixture under tests/data with every ISO time with a zone offset ("yyyy-mm-ddThh:mm:ss-07:00")
/// moved by `seconds` and written in its own offset, so that the reply's hours stand where they
/// stood round a chosen instant of the recording whatever the hour now; empty when unreadable.
QByteArray testDataWithTimesMoved(const QString &relative, qint64 seconds);

/// Absolute path of a file under tests/data.
QString testDataPath(const QString &relative);
/// A folder for this test executable's outputs (screenshots, actual images); created on use.
QString testOutputPath(const QString &relative = QString());

/// How many pixels of `image` inside `box` are `wanted` (the part of the box outside the image
/// counts nothing).
int countPixels(const QImage &image, const QRect &box, const std::function<bool(QRgb)> &wanted);
/// The box round the pixels of `image` inside `box` that are `wanted`; a null rectangle when
/// there are none.
QRect pixelBox(const QImage &image, const QRect &box, const std::function<bool(QRgb)> &wanted);
