// The exception that the regular-expression operations raise on misuse (a null pattern, a range
// past the end, a capture beyond the groups, bad enumeration options), on an ICU failure after the
// pattern compiled, and for states that correct use cannot reach (internal inconsistency).
#pragma once

#include "core/regex/RegexError.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <exception>

inline const QString ERXInvalidArgumentException = QStringLiteral("NSInvalidArgumentException");
inline const QString ERXRangeException = QStringLiteral("NSRangeException");
inline const QString ERXInternalInconsistencyException = QStringLiteral("NSInternalInconsistencyException");
inline const QString ERXICURegexException = QStringLiteral("ERXICURegexException");

class ERXException : public std::exception
{
public:
    ERXException(QString name, QString message, QVariantMap userInfo = {});

    /// An ICU status above zero met after the pattern compiled.
    static ERXException icu(const ERXErrorDetails &details);
    /// A state that correct use cannot reach; logged when it is raised (see `raisedBy`).
    static ERXException internalInconsistency(const char *condition, const char *function,
                                              const char *file, int line);

    /// One of the names above.
    const QString &name() const { return mName; }
    /// "*** -[QString operation]: message" ('+' for operations on no subject) once an operation
    /// raised it; the bare message before.
    const QString &reason() const { return mReason; }
    const QString &message() const { return mMessage; }
    const QVariantMap &userInfo() const { return mUserInfo; }
    /// The search ran out of its time limit: a failure of this pattern on this subject, reported
    /// like a pattern that does not compile rather than raised.
    bool ranOutOfTime() const;
    const char *what() const noexcept override { return mWhat.constData(); }

    /// Names the public operation that raises the exception, once (an exception that passes
    /// through several operations, e.g. from inside a block, keeps the innermost one), and
    /// writes the log line of an internal inconsistency. `icuDetails` (the operation's template or
    /// enumeration options) join the user info of an ICU exception. Called with the engine's lock
    /// released.
    void raisedBy(const char *operation, bool classOperation, const QVariantMap &icuDetails = {});

private:
    QString mName;
    QString mMessage;
    QString mReason;
    QVariantMap mUserInfo;
    QByteArray mWhat;
    bool mHasOperation = false;
};
