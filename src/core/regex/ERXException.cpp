// Exceptions of the regular-expression engine.
#include "core/regex/ERXException.h"

#include "platform/OVLog.h"

ERXException::ERXException(QString name, QString message, QVariantMap userInfo)
    : mName(std::move(name)), mMessage(std::move(message)), mReason(mMessage),
      mUserInfo(std::move(userInfo)), mWhat(mReason.toUtf8())
{
}

ERXException ERXException::icu(const ERXErrorDetails &details)
{
    const QString message = QStringLiteral("ICU regular expression error #%1, %2.")
                                .arg(QString::number(details.status),
                                     QString::fromLatin1(u_errorName(static_cast<UErrorCode>(details.status))));
    return ERXException(ERXICURegexException, message, ERXUserInfo(details));
}

bool ERXException::ranOutOfTime() const
{
    if (mName != ERXICURegexException)
        return false;
    const int status = mUserInfo.value(QStringLiteral("ERXICURegexErrorCode")).toInt();
    return status == U_REGEX_TIME_OUT;
}

ERXException ERXException::internalInconsistency(const char *condition, const char *function,
                                                 const char *file, int line)
{
    QVariantMap info;
    const QString description =
        QStringLiteral("Invalid parameter not satisfying: %1").arg(QString::fromUtf8(condition));
    info.insert(QStringLiteral("description"), description);
    info.insert(QStringLiteral("function"), QString::fromUtf8(function));
    info.insert(QStringLiteral("file"), QString::fromUtf8(file));
    info.insert(QStringLiteral("line"), line);
    info.insert(QStringLiteral("exceptionName"), ERXInternalInconsistencyException);
    return ERXException(ERXInternalInconsistencyException, description, info);
}

void ERXException::raisedBy(const char *operation, bool classOperation, const QVariantMap &icuDetails)
{
    if (mHasOperation)
        return;
    mHasOperation = true;
    if (mName == ERXICURegexException)
        mUserInfo.insert(icuDetails);
    mReason = QStringLiteral("*** ") + QChar(classOperation ? u'+' : u'-') + QStringLiteral("[QString ")
              + QString::fromLatin1(operation) + QStringLiteral("]: ") + mMessage;
    mWhat = mReason.toUtf8();
    if (mName == ERXInternalInconsistencyException && mUserInfo.contains(QStringLiteral("function"))) {
        OVLog(QStringLiteral("[ExtRegex] %1 (%2:%3) %4")
                  .arg(mUserInfo.value(QStringLiteral("function")).toString(),
                       mUserInfo.value(QStringLiteral("file")).toString(),
                       mUserInfo.value(QStringLiteral("line")).toString(), mMessage));
    }
}
