// Builds the user-info dictionaries of the engine's errors and ICU exceptions.
#include "core/regex/RegexError.h"

#include <unicode/utypes.h>

namespace {

QString fromUChars(const UChar *text)
{
    return QString::fromUtf16(text);
}

} // namespace

QVariantMap ERXUserInfo(const ERXErrorDetails &details)
{
    QVariantMap info;
    const QString errorName = QString::fromLatin1(u_errorName(static_cast<UErrorCode>(details.status)));
    info.insert(QStringLiteral("ERXICURegexRegex"),
                details.regex.isNull() ? QStringLiteral("<NULL regex>") : details.regex);
    info.insert(QStringLiteral("ERXICURegexRegexOptions"), QVariant::fromValue(details.options));
    info.insert(QStringLiteral("ERXICURegexErrorCode"), details.status);
    info.insert(QStringLiteral("ERXICURegexErrorName"), errorName);
    if (!details.subject.isNull())
        info.insert(QStringLiteral("ERXICURegexSubjectString"), details.subject);
    if (details.subjectRange)
        info.insert(QStringLiteral("ERXICURegexSubjectRange"), QVariant::fromValue(*details.subjectRange));
    if (!details.replacement.isNull())
        info.insert(QStringLiteral("ERXICURegexReplacementString"), details.replacement);
    if (!details.replaced.isNull())
        info.insert(QStringLiteral("ERXICURegexReplacedString"), details.replaced);
    if (details.replacedCount)
        info.insert(QStringLiteral("ERXICURegexReplacedCount"), QVariant::fromValue(*details.replacedCount));
    if (details.enumerationOptions)
        info.insert(QStringLiteral("ERXICURegexEnumerationOptions"),
                    QVariant::fromValue(*details.enumerationOptions));

    const bool hasPosition = details.parseError && details.parseError->line != -1;
    if (hasPosition) {
        const UParseError &parse = *details.parseError;
        const QString pre = fromUChars(parse.preContext);
        const QString post = fromUChars(parse.postContext);
        info.insert(QStringLiteral("ERXICURegexLine"), parse.line);
        info.insert(QStringLiteral("ERXICURegexOffset"), parse.offset);
        info.insert(QStringLiteral("ERXICURegexPreContext"), pre);
        info.insert(QStringLiteral("ERXICURegexPostContext"), post);
        info.insert(QStringLiteral("NSLocalizedFailureReason"),
                    // One pass over the format: the contexts may themselves contain "%1".
                    QStringLiteral("The error %1 occurred at line %2, column %3: %4<<HERE>>%5")
                        .arg(errorName, QString::number(parse.line),
                             QString::number(parse.offset), pre, post));
    } else {
        info.insert(QStringLiteral("NSLocalizedFailureReason"),
                    QStringLiteral("The error %1 occurred.").arg(errorName));
    }
    if (!details.description.isNull())
        info.insert(QStringLiteral("NSLocalizedDescription"), details.description);
    return info;
}

void ERXSetError(RegexError *error, const ERXErrorDetails &details)
{
    if (!error)
        return;
    error->domain = ERXICURegexErrorDomain;
    error->code = details.status;
    error->userInfo = ERXUserInfo(details);
}
