#include "platform/OVLog.h"

#include <QDebug>
#include <QRegularExpression>

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

// A secret in a form body, a query or a header is masked wherever a line comes from: access keys,
// passwords and tokens end up in request bodies and addresses that debug lines print whole.
QString maskedSecrets(const QString &line)
{
    static const QRegularExpression field(
        QStringLiteral("\\b([A-Za-z_-]*(?:key|password|passwd|pwd|token|secret))(=|\":\\s*\")([^&\\s\",;]+)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bearer(QStringLiteral("\\b(Bearer\\s+)\\S+"));
    static const QRegularExpression userInfo(QStringLiteral("(://[^/\\s:@]+:)[^/\\s@]+@"));
    QString masked = line;
    masked.replace(field, QStringLiteral("\\1\\2***"));
    masked.replace(userInfo, QStringLiteral("\\1***@"));
    masked.replace(bearer, QStringLiteral("\\1***"));
    return masked;
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

void OVLog(const QString &text)
{
    const QString line = maskedSecrets(text);
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
