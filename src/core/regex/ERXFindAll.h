// The find-all loop shared by the plain operations and the block forms: walks the matches of a
// pattern over a range and collects, per match, the ranges the operation wants.
#pragma once

#include "core/regex/ERXCachedRegex.h"
#include "core/regex/ERXTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// The operations of the engine, by what they collect.
enum class ERXRegexOp {
    Split = 1,               ///< the pieces between matches, each followed by the separator's groups
    TemplateReplace = 2,     ///< every match replaced by a template
    MatchRange = 3,          ///< the first match (or one group of it)
    MatchedStrings = 4,      ///< one range per match: the match or group `capture`
    AllCaptures = 5,         ///< per match: the match, then groups 1..captureCount
    CapturesArray = 6,       ///< as AllCaptures, first match only
    CaptureDictionary = 7,   ///< as AllCaptures, first match only, keyed
    CaptureDictionaries = 8, ///< as AllCaptures, keyed
};

class ERXFindAll
{
public:
    /// `regex` must be set to `range` (ERXCachedRegex::setTo); `capture` is for MatchedStrings.
    ERXFindAll(ERXCachedRegex &regex, ERXRegexOp op, ERXRange range, int64_t capture = 0);

    /// Finds the next match and appends its ranges. False once the search is over; a split has
    /// then added its last piece, or dropped its trailing empty pieces when the last separator
    /// ended the range. An empty match never repeats: the search moves on one character.
    bool next();
    /// Calls next() until the search is over or `matchLimit` matches were collected.
    void run(size_t matchLimit = SIZE_MAX);

    const std::vector<ERXRange> &ranges() const { return mRanges; }
    void clearRanges() { mRanges.clear(); }
    size_t matchCount() const { return mMatchCount; }

private:
    void finish();
    void appendGroups();

    ERXCachedRegex &mRegex;
    ERXRegexOp mOp;
    ERXRange mRange;
    int64_t mCapture;
    uint64_t mSearchLocation;
    uint64_t mPreviousMatchEnd;
    size_t mMatchCount = 0;
    bool mDone = false;
    std::vector<ERXRange> mRanges;
};
