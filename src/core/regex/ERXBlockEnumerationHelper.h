// A private compiled pattern and text for a block enumeration, so that the engine's lock is not
// held while the caller's blocks run (a block may then use the engine itself, or throw).
#pragma once

#include "core/regex/ERXCachedRegex.h"
#include "core/regex/ERXRegexOperation.h"
#include "core/regex/ERXTypes.h"
#include "core/regex/RegexError.h"

#include <QString>

#include <optional>

class ERXBlockEnumerationHelper
{
public:
    /// Clones the cached pattern under the engine's lock, then sets the clone to `range` of its
    /// own copy of `subject` without the lock. `range` must be resolved and inside the subject.
    /// Empty when the pattern does not compile (`error` says why); raises ERXException on an ICU
    /// failure.
    static std::optional<ERXBlockEnumerationHelper> make(const ERXCall &call, const QString &regex, ERXRegexOptions options,
                                                         const QString &subject, ERXRange range,
                                                         RegexError *error);

    ERXCachedRegex &regex() { return mRegex; }
    /// The helper's own copy of the subject.
    const QString &subject() const { return mRegex.setToString(); }

private:
    explicit ERXBlockEnumerationHelper(ERXCachedRegex regex) : mRegex(std::move(regex)) {}

    ERXCachedRegex mRegex;
};
