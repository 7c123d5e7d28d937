#include "support/TestHelpers.h"

#include "platform/OVLog.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QTimeZone>

NotificationWaiter::NotificationWaiter(const QString &name, const QVariant &object)
{
    OVNotificationCenter::defaultCenter().addObserver(
        this, name,
        [this](const OVNotification &n) {
            std::lock_guard lock(mMutex);
            mReceived.append(n);
        },
        object);
}

NotificationWaiter::~NotificationWaiter()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

std::optional<OVNotification> NotificationWaiter::wait(int timeoutMs)
{
    const bool arrived = waitUntil(
        [this] {
            std::lock_guard lock(mMutex);
            return mReceived.size() > mTaken;
        },
        timeoutMs);
    if (!arrived)
        return std::nullopt;
    std::lock_guard lock(mMutex);
    return mReceived.at(mTaken++);
}

int NotificationWaiter::count() const
{
    std::lock_guard lock(mMutex);
    return int(mReceived.size());
}

QList<OVNotification> NotificationWaiter::received() const
{
    std::lock_guard lock(mMutex);
    return mReceived;
}

std::optional<OVNotification> waitForNotification(const QString &name, int timeoutMs)
{
    NotificationWaiter waiter(name);
    return waiter.wait(timeoutMs);
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

LogCapture::LogCapture()
{
    OVSetLogSink([this](const QString &line) {
        std::lock_guard lock(mMutex);
        mLines.append(line);
    });
}

LogCapture::~LogCapture()
{
    OVSetLogSink({});
}

QStringList LogCapture::lines() const
{
    std::lock_guard lock(mMutex);
    return mLines;
}

bool LogCapture::contains(const QString &fragment) const
{
    std::lock_guard lock(mMutex);
    for (const QString &line : mLines)
        if (line.contains(fragment))
            return true;
    return false;
}

QString testDataPath(const QString &relative)
{
    return QStringLiteral(NIMBREL_TEST_DATA_DIR "/") + relative;
}

QString testOutputPath(const QString &relative)
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString folder = QStringLiteral(NIMBREL_TEST_OUTPUT_ROOT "/") + name;
    QDir().mkpath(folder);
    return relative.isEmpty() ? folder : folder + QLatin1Char('/') + relative;
}

QByteArray readTestFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeTestFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "could not write " << path.toStdString();
}

QByteArray testDataWithDatesMoved(const QString &relative, const QDate &fixtureDay, const QDate &day)
{
    const QByteArray bytes = readTestFile(testDataPath(relative));
    if (bytes.isEmpty())
        return {};
    const QString text = QString::fromUtf8(bytes);
    const qint64 shift = fixtureDay.daysTo(day);
    static const QRegularExpression date(QStringLiteral("(\\d{4}-\\d{2}-\\d{2})T"));
    QString moved;
    qsizetype last = 0;
    for (auto matches = date.globalMatch(text); matches.hasNext();) {
        const QRegularExpressionMatch match = matches.next();
        moved += text.mid(last, match.capturedStart(1) - last);
        moved += QDate::fromString(match.captured(1), Qt::ISODate).addDays(shift).toString(Qt::ISODate);
        last = match.capturedEnd(1);
    }
    moved += text.mid(last);
    return moved.toUtf8();
}

QByteArray testDataWithTimesMoved(const QString &relative, qint64 seconds)
{
    const QByteArray bytes = readTestFile(testDataPath(relative));
    if (bytes.isEmpty())
        return {};
    const QString text = QString::fromUtf8(bytes);
    static const QRegularExpression time(
        QStringLiteral("(\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2})([+-])(\\d{2}):(\\d{2})"));
    QString moved;
    qsizetype last = 0;
    for (auto matches = time.globalMatch(text); matches.hasNext();) {
        const QRegularExpressionMatch match = matches.next();
        const int sign = match.captured(2) == QLatin1String("-") ? -1 : 1;
        const int offset = sign * (match.captured(3).toInt() * 3600 + match.captured(4).toInt() * 60);
        const QDateTime written = QDateTime::fromString(match.captured(1), Qt::ISODate);
        const QDateTime at(written.date(), written.time(), QTimeZone(offset));
        moved += text.mid(last, match.capturedStart(1) - last);
        moved += at.addSecs(seconds).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        last = match.capturedEnd(1);
    }
    moved += text.mid(last);
    return moved.toUtf8();
}

int countPixels(const QImage &image, const QRect &box, const std::function<bool(QRgb)> &wanted)
{
    int found = 0;
    const QRect inside = box & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            found += wanted(image.pixel(x, y)) ? 1 : 0;
    return found;
}

QRect pixelBox(const QImage &image, const QRect &box, const std::function<bool(QRgb)> &wanted)
{
    QRect found;
    const QRect inside = box & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (wanted(image.pixel(x, y)))
                found |= QRect(x, y, 1, 1);
    return found;
}
