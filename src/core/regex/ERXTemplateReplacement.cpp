// Template replacement over ICU's append-replacement loop.
#include "core/regex/ERXTemplateReplacement.h"

#include "core/regex/ERXException.h"

#include <climits>
#include <vector>

namespace {

struct Pass
{
    int64_t needed = 0; // units the whole result takes
    int64_t count = 0;
};

// One pass over every match, writing into `buffer` as far as it reaches; with a short buffer
// ICU goes on counting, so the pass learns the length the result needs.
Pass replacementPass(ERXCachedRegex &regex, const QString &replacement, std::vector<UChar> &buffer)
{
    URegularExpression *icu = regex.icu();
    const UChar *templateCharacters = reinterpret_cast<const UChar *>(replacement.constData());
    const int32_t templateLength = static_cast<int32_t>(replacement.size());
    UChar *destination = buffer.data();
    int32_t capacity = static_cast<int32_t>(buffer.size());
    Pass pass;
    UErrorCode status = U_ZERO_ERROR;
    const auto check = [&] {
        if (status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING)
            status = U_ZERO_ERROR;
        if (U_FAILURE(status))
            throw ERXException::icu(regex.errorDetails(status));
    };

    regex.forgetLastMatch();
    uregex_reset(icu, 0, &status);
    check();
    while (uregex_findNext(icu, &status)) {
        check();
        pass.needed += uregex_appendReplacement(icu, templateCharacters, templateLength, &destination,
                                                &capacity, &status);
        check();
        ++pass.count;
    }
    check();
    pass.needed += uregex_appendTail(icu, &destination, &capacity, &status);
    check();
    return pass;
}

} // namespace

ERXTemplateReplacement ERXTemplateReplacement::replaceAll(ERXCachedRegex &regex, const QString &replacement)
{
    const int64_t subjectLength = static_cast<int64_t>(regex.setToRange().length);
    const int64_t templateLength = replacement.size();
    if (templateLength >= INT_MAX || subjectLength / 2 + 2 * templateLength > INT_MAX - 1)
        throw ERXException(ERXRangeException, QStringLiteral("Replacement string length exceeds INT_MAX."));

    std::vector<UChar> buffer(static_cast<size_t>(subjectLength + subjectLength / 2 + 2 * templateLength + 16));
    Pass pass = replacementPass(regex, replacement, buffer);
    if (pass.needed >= INT_MAX - 4)
        throw ERXException(ERXInternalInconsistencyException, QStringLiteral("Replaced string length exceeds INT_MAX."));
    if (pass.needed > static_cast<int64_t>(buffer.size())) {
        buffer.assign(static_cast<size_t>(pass.needed + 8), 0);
        pass = replacementPass(regex, replacement, buffer);
    }
    regex.forgetLastMatch();

    ERXTemplateReplacement result;
    result.count = pass.count;
    result.text = pass.needed == 0
                      ? QStringLiteral("")
                      : QString(reinterpret_cast<const QChar *>(buffer.data()), static_cast<qsizetype>(pass.needed));
    return result;
}
