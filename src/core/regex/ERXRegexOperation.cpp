// Argument checks shared by the regular-expression operations.
#include "core/regex/ERXRegexOperation.h"

#include "platform/OVLog.h"

#include <climits>

namespace ERXRegexOperation {

void raise(const ERXCall &call, ERXException exception)
{
    exception.raisedBy(call.operation, call.classOperation, call.icuDetails);
    throw exception;
}

void reportRanOutOfTime(const ERXCall &call, const ERXException &exception, RegexError *error)
{
    const QVariantMap &info = exception.userInfo();
    const QString name = info.value(QStringLiteral("ERXICURegexErrorName")).toString();
    OVLog(QStringLiteral("[ExtRegex] %1: %2 for the pattern '%3' on a subject of %4 characters; no match is reported.")
              .arg(QString::fromLatin1(call.operation), name, info.value(QStringLiteral("ERXICURegexRegex")).toString())
              .arg(info.value(QStringLiteral("ERXICURegexSubjectString")).toString().size()));
    if (!error)
        return;
    error->domain = ERXICURegexErrorDomain;
    error->code = info.value(QStringLiteral("ERXICURegexErrorCode")).toLongLong();
    error->userInfo = info;
    error->userInfo.insert(QStringLiteral("NSLocalizedDescription"),
                           QStringLiteral("The regular expression ran out of its time limit."));
}

void requireRegex(const QString &regex)
{
    if (regex.isNull())
        throw ERXException(ERXInvalidArgumentException, QStringLiteral("The regular expression argument is NULL."));
}

ERXRange resolveRange(const QString &subject, ERXRange range)
{
    const uint64_t size = static_cast<uint64_t>(subject.size());
    if (range.length == ERXRangeToEnd)
        range.length = size;
    if (range.location > size || range.length > size - range.location)
        throw ERXException(ERXRangeException, QStringLiteral("Range or index out of bounds."));
    if (size >= static_cast<uint64_t>(INT_MAX))
        throw ERXException(ERXRangeException, QStringLiteral("String length exceeds INT_MAX."));
    return range;
}

const QString &subjectOrEmpty(const QString &subject)
{
    static const QString empty = QStringLiteral("");
    return subject.isNull() ? empty : subject;
}

} // namespace ERXRegexOperation
