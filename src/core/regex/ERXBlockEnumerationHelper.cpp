// The private pattern and text of a block enumeration.
#include "core/regex/ERXBlockEnumerationHelper.h"

std::optional<ERXBlockEnumerationHelper> ERXBlockEnumerationHelper::make(const ERXCall &call, const QString &regex,
                                                                         ERXRegexOptions options,
                                                                         const QString &subject,
                                                                         ERXRange range, RegexError *error)
{
    std::optional<ERXCachedRegex> clone = ERXRegexOperation::withCompiled(
        call, regex, options, error, [](ERXCachedRegex &entry) { return entry.clone(); });
    if (!clone)
        return std::nullopt;
    try {
        clone->setTo(subject, range);
    } catch (ERXException &exception) {
        ERXRegexOperation::raise(call, std::move(exception));
    }
    return ERXBlockEnumerationHelper(std::move(*clone));
}
