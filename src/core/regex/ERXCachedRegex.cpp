// One compiled pattern and the subject it is set to.
#include "core/regex/ERXCachedRegex.h"

#include "core/regex/ERXException.h"

#include <climits>
#include <utility>

namespace {

// ICU refuses a null text pointer and a zero pattern length; an empty, terminated text stands in.
const UChar kEmptyText[1] = {0};

// How many of ICU's matching steps one search may take before it gives up with
// U_REGEX_TIME_OUT. A step is on the order of a millisecond, so a pattern that backtracks without
// end (such as "()+?a|") fails after a few seconds instead of holding the engine for minutes.
constexpr int32_t kTimeLimitSteps = 10000;

void setTimeLimit(URegularExpression *regex, UErrorCode &status)
{
    uregex_setTimeLimit(regex, kTimeLimitSteps, &status);
}

const UChar *icuCharacters(const QString &text)
{
    return reinterpret_cast<const UChar *>(text.constData());
}

} // namespace

ERXCachedRegex::~ERXCachedRegex()
{
    evict();
}

ERXCachedRegex::ERXCachedRegex(ERXCachedRegex &&other) noexcept
{
    *this = std::move(other);
}

ERXCachedRegex &ERXCachedRegex::operator=(ERXCachedRegex &&other) noexcept
{
    if (this == &other)
        return *this;
    evict();
    mRegexString = std::exchange(other.mRegexString, QString());
    mRegexHash = std::exchange(other.mRegexHash, 0);
    mOptions = std::exchange(other.mOptions, 0);
    mRegex = std::exchange(other.mRegex, nullptr);
    mCaptureCount = std::exchange(other.mCaptureCount, -1);
    mSetToString = std::exchange(other.mSetToString, QString());
    mSetToRange = std::exchange(other.mSetToRange, ERXNotFoundRange);
    mLastMatchRange = std::exchange(other.mLastMatchRange, ERXNotFoundRange);
    return *this;
}

QString ERXCachedRegex::ownedCopy(const QString &subject)
{
    // A string without its own data block points at characters someone else owns.
    if (subject.data_ptr().isMutable())
        return subject;
    return QString(subject.constData(), subject.size());
}

bool ERXCachedRegex::compile(const QString &pattern, size_t hash, ERXRegexOptions options,
                             RegexError *error)
{
    evict();
    if (pattern.size() > INT_MAX - 1)
        throw ERXException(ERXRangeException, QStringLiteral("Regex string length exceeds INT_MAX"));

    UParseError parse{};
    parse.line = -1;
    parse.offset = -1;
    UErrorCode status = U_ZERO_ERROR;
    // ICU copies the pattern's characters; an empty pattern is given as a terminated one.
    URegularExpression *regex =
        pattern.isEmpty()
            ? uregex_open(kEmptyText, -1, options, &parse, &status)
            : uregex_open(icuCharacters(pattern), static_cast<int32_t>(pattern.size()), options, &parse,
                          &status);
    if (U_SUCCESS(status))
        setTimeLimit(regex, status);
    if (U_FAILURE(status)) {
        if (regex)
            uregex_close(regex);
        ERXErrorDetails details;
        details.regex = pattern;
        details.options = options;
        details.status = status;
        details.parseError = parse;
        details.description = QStringLiteral("There was an error compiling the regular expression.");
        ERXSetError(error, details);
        return false;
    }
    status = U_ZERO_ERROR;
    const int32_t groups = uregex_groupCount(regex, &status);
    mRegex = regex;
    mRegexString = ownedCopy(pattern);
    mRegexHash = hash;
    mOptions = options;
    mCaptureCount = groups;
    return true;
}

ERXCachedRegex ERXCachedRegex::clone() const
{
    ERXCachedRegex copy;
    UErrorCode status = U_ZERO_ERROR;
    URegularExpression *regex = uregex_clone(mRegex, &status);
    if (U_SUCCESS(status))
        setTimeLimit(regex, status); // a clone starts without the original's limit
    if (U_FAILURE(status)) {
        if (regex)
            uregex_close(regex);
        throw ERXException::icu(errorDetails(status));
    }
    copy.mRegex = regex;
    copy.mRegexString = mRegexString;
    copy.mRegexHash = mRegexHash;
    copy.mOptions = mOptions;
    copy.mCaptureCount = mCaptureCount;
    return copy;
}

void ERXCachedRegex::evict()
{
    clearSetToState();
    if (mRegex)
        uregex_close(mRegex);
    mRegex = nullptr;
    mCaptureCount = -1;
    mRegexString = QString();
    mRegexHash = 0;
    mOptions = 0;
}

void ERXCachedRegex::clearSetToState()
{
    if (mRegex && !mSetToString.isNull()) {
        // Cannot fail for a valid matcher and an empty text; never throws (used by destructors).
        UErrorCode status = U_ZERO_ERROR;
        uregex_setText(mRegex, kEmptyText, 0, &status);
    }
    mSetToString = QString();
    mSetToRange = ERXNotFoundRange;
    mLastMatchRange = ERXNotFoundRange;
}

bool ERXCachedRegex::isSetTo(const QString &subject) const
{
    return !mSetToString.isNull() && subject.constData() == mSetToString.constData()
           && subject.size() == mSetToString.size();
}

bool ERXCachedRegex::hasSamePatternObject(const QString &pattern) const
{
    return !mRegexString.isNull() && pattern.constData() == mRegexString.constData()
           && pattern.size() == mRegexString.size();
}

void ERXCachedRegex::setTo(const QString &subject, ERXRange range)
{
    if (!isSetTo(subject)) {
        // ICU still points into the old copy until setICUText below; nothing searches between.
        mSetToString = ownedCopy(subject);
        mSetToRange = ERXNotFoundRange;
    }
    if (range == mSetToRange)
        return;
    mSetToRange = range;
    mLastMatchRange = ERXNotFoundRange;
    setICUText(setToCharacters(), static_cast<int32_t>(range.length));
}

void ERXCachedRegex::setICUText(const UChar *characters, int32_t length)
{
    UErrorCode status = U_ZERO_ERROR;
    uregex_setText(mRegex, length == 0 ? kEmptyText : characters, length, &status);
    if (U_FAILURE(status))
        throw ERXException::icu(errorDetails(status));
}

const UChar *ERXCachedRegex::setToCharacters() const
{
    return icuCharacters(mSetToString) + mSetToRange.location;
}

std::optional<ERXRange> ERXCachedRegex::search(uint64_t location)
{
    const uint64_t base = mSetToRange.location;
    UErrorCode status = U_ZERO_ERROR;
    UBool found;
    if (!mLastMatchRange.isNotFound() && location == nextSearchLocation(mLastMatchRange))
        found = uregex_findNext(mRegex, &status);
    else
        found = uregex_find(mRegex, static_cast<int32_t>(location - base), &status);
    if (U_SUCCESS(status) && found) {
        const int32_t start = uregex_start(mRegex, 0, &status);
        const int32_t end = uregex_end(mRegex, 0, &status);
        if (U_SUCCESS(status)) {
            mLastMatchRange = ERXRange{base + static_cast<uint64_t>(start), static_cast<uint64_t>(end - start)};
            return mLastMatchRange;
        }
    }
    mLastMatchRange = ERXNotFoundRange;
    if (U_FAILURE(status))
        throw ERXException::icu(errorDetails(status));
    return std::nullopt;
}

ERXRange ERXCachedRegex::captureRange(int64_t capture) const
{
    if (mLastMatchRange.isNotFound())
        return ERXNotFoundRange;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t group = static_cast<int32_t>(capture);
    const int32_t start = uregex_start(mRegex, group, &status);
    const int32_t end = uregex_end(mRegex, group, &status);
    if (U_FAILURE(status))
        throw ERXException::icu(errorDetails(status));
    if (start < 0)
        return ERXNotFoundRange;
    return ERXRange{mSetToRange.location + static_cast<uint64_t>(start), static_cast<uint64_t>(end - start)};
}

uint64_t ERXCachedRegex::nextSearchLocation(ERXRange match) const
{
    const uint64_t end = match.end();
    if (match.length > 0)
        return end;
    const uint64_t textEnd = mSetToRange.end();
    if (end >= textEnd)
        return textEnd + 1;
    // Step over a whole surrogate pair, as ICU does when it continues after an empty match.
    const QChar *characters = mSetToString.constData();
    if (characters[end].isHighSurrogate() && end + 1 < textEnd && characters[end + 1].isLowSurrogate())
        return end + 2;
    return end + 1;
}

QString ERXCachedRegex::text(ERXRange range) const
{
    if (range.isNotFound() || range.length == 0)
        return QStringLiteral("");
    return mSetToString.mid(static_cast<qsizetype>(range.location), static_cast<qsizetype>(range.length));
}

ERXErrorDetails ERXCachedRegex::errorDetails(int status) const
{
    ERXErrorDetails details;
    details.regex = mRegexString;
    details.options = mOptions;
    details.status = status;
    details.subject = mSetToString;
    if (!mSetToRange.isNotFound())
        details.subjectRange = mSetToRange;
    return details;
}
