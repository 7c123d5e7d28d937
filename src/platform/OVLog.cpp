#include "platform/OVLog.h"

#include <QDebug>

#include <atomic>
#include <mutex>

namespace {

std::atomic<int32_t> gDebugLogging{0};

std::mutex &sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

OVLogSink &sink()
{
    static OVLogSink s;
    return s;
}

} // namespace

int32_t OVDebugLoggingEnabled()
{
    return gDebugLogging.load(std::memory_order_relaxed);
}

void OVSetDebugLoggingEnabled(int32_t enabled)
{
    gDebugLogging.store(enabled, std::memory_order_relaxed);
}

void OVLog(const QString &line)
{
    qInfo().noquote() << line;
    std::lock_guard lock(sinkMutex());
    if (sink())
        sink()(line);
}

void OVDebugLog(const QString &line)
{
    if (OVDebugLoggingEnabled())
        OVLog(line);
}

void OVSetLogSink(OVLogSink newSink)
{
    std::lock_guard lock(sinkMutex());
    sink() = std::move(newSink);
}
