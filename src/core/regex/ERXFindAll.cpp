// The find-all loop of the regular-expression operations.
#include "core/regex/ERXFindAll.h"

ERXFindAll::ERXFindAll(ERXCachedRegex &regex, ERXRegexOp op, ERXRange range, int64_t capture)
    : mRegex(regex), mOp(op), mRange(range), mCapture(capture), mSearchLocation(range.location),
      mPreviousMatchEnd(range.location)
{
}

void ERXFindAll::appendGroups()
{
    for (int64_t group = 1; group <= mRegex.captureCount(); ++group)
        mRanges.push_back(mRegex.captureRange(group));
}

bool ERXFindAll::next()
{
    while (!mDone) {
        if (mSearchLocation > mRange.end())
            break;
        const std::optional<ERXRange> match = mRegex.search(mSearchLocation);
        if (!match)
            break;
        mSearchLocation = mRegex.nextSearchLocation(*match);
        switch (mOp) {
        case ERXRegexOp::Split:
            // An empty separator right after the previous one (or at the start) splits nothing.
            if (match->length == 0 && match->location == mPreviousMatchEnd)
                continue;
            mRanges.push_back(ERXRange{mPreviousMatchEnd, match->location - mPreviousMatchEnd});
            appendGroups();
            mPreviousMatchEnd = match->end();
            break;
        case ERXRegexOp::MatchedStrings:
            mRanges.push_back(mCapture == 0 ? *match : mRegex.captureRange(mCapture));
            break;
        default:
            mRanges.push_back(*match);
            appendGroups();
            break;
        }
        ++mMatchCount;
        return true;
    }
    finish();
    return false;
}

void ERXFindAll::run(size_t matchLimit)
{
    while (mMatchCount < matchLimit && next()) {
    }
}

void ERXFindAll::finish()
{
    if (mDone)
        return;
    mDone = true;
    if (mOp != ERXRegexOp::Split)
        return;
    if (mPreviousMatchEnd < mRange.end()) {
        mRanges.push_back(ERXRange{mPreviousMatchEnd, mRange.end() - mPreviousMatchEnd});
        return;
    }
    while (!mRanges.empty() && mRanges.back().length == 0)
        mRanges.pop_back();
}
