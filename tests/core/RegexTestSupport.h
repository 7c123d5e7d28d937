// Helpers of the regular-expression tests: catching the engine's exceptions and printing ranges.
#pragma once

#include "core/regex/ERXException.h"
#include "core/regex/ERXTypes.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

inline void PrintTo(const ERXRange &range, std::ostream *out)
{
    *out << "{" << range.location << ", " << range.length << "}";
}

/// The ERXException that `action` raises, or nothing (a test failure) when it raises none.
template <typename Action>
std::optional<ERXException> raisedBy(Action &&action)
{
    try {
        action();
    } catch (const ERXException &exception) {
        return exception;
    }
    ADD_FAILURE() << "no ERXException was raised";
    return std::nullopt;
}
