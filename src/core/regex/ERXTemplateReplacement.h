// Replacing every match of a pattern in its set-to range by an ICU replacement template
// ("$1" is the first group's text).
#pragma once

#include "core/regex/ERXCachedRegex.h"

#include <QString>

#include <cstdint>

struct ERXTemplateReplacement
{
    QString text;      ///< the range's text with every match replaced
    int64_t count = 0; ///< number of replacements

    /// Runs over the whole set-to range of `regex`. The output buffer is sized from the
    /// subject and the template; a result that does not fit is made again at its exact size.
    /// Raises ERXException for an ICU failure (such as a template naming a missing group) and
    /// for lengths beyond ICU's 32-bit limit.
    static ERXTemplateReplacement replaceAll(ERXCachedRegex &regex, const QString &replacement);
};
