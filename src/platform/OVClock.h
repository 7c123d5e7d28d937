// The source of "now" for time-dependent code. Code that decides by the current time takes an
// OVClock so tests can step time; the system clock is the default everywhere else.
#pragma once

#include <QDateTime>

class OVClock
{
public:
    virtual ~OVClock() = default;
    /// The current instant, in UTC.
    virtual QDateTime now() const = 0;

    /// The process's real clock.
    static const OVClock &system();
};

class OVSystemClock final : public OVClock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};
