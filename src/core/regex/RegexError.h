// The error value of the regular-expression engine (a pattern that does not compile) and the
// user-info dictionary that errors and ICU exceptions of the engine carry.
#pragma once

#include "core/regex/ERXTypes.h"

#include <QString>
#include <QVariantMap>

#include <unicode/parseerr.h>

#include <cstdint>
#include <optional>

/// Domain of every RegexError.
inline const QString ERXICURegexErrorDomain = QStringLiteral("ERXICURegexErrorDomain");

/// A failure reported by value through an optional out-parameter.
struct RegexError
{
    QString domain;
    int64_t code = 0;       ///< the ICU status
    QVariantMap userInfo;   ///< keys "ERXICURegex...", "NSLocalizedDescription", "NSLocalizedFailureReason"
};

/// What is known about a failure; each field goes into the user info only when it is set.
struct ERXErrorDetails
{
    QString regex;                       ///< null: "<NULL regex>"
    ERXRegexOptions options = 0;
    int status = 0;                      ///< ICU UErrorCode
    QString subject;
    std::optional<ERXRange> subjectRange;
    QString replacement;
    QString replaced;
    std::optional<int64_t> replacedCount;
    std::optional<ERXRegexEnumerationOptions> enumerationOptions;
    std::optional<UParseError> parseError;  ///< only used when its line is not -1
    QString description;                 ///< NSLocalizedDescription, when not null
};

/// Builds the user-info dictionary of an error or ICU exception.
QVariantMap ERXUserInfo(const ERXErrorDetails &details);

/// Stores an error in `error` when the caller asked for one.
void ERXSetError(RegexError *error, const ERXErrorDetails &details);
