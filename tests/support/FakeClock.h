// A clock the test sets and steps by hand.
#pragma once

#include "platform/OVClock.h"

#include <QDateTime>
#include <QTimeZone>

#include <mutex>

class FakeClock final : public OVClock
{
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2024, 5, 22), QTime(12, 0), Qt::UTC))
        : mNow(std::move(start))
    {
    }

    QDateTime now() const override
    {
        std::lock_guard lock(mMutex);
        return mNow;
    }
    void set(const QDateTime &now)
    {
        std::lock_guard lock(mMutex);
        mNow = now;
    }
    void advance(qint64 seconds)
    {
        std::lock_guard lock(mMutex);
        mNow = mNow.addSecs(seconds);
    }

private:
    mutable std::mutex mMutex;
    QDateTime mNow;
};
