// The driver of the plain regular-expression operations: argument checks, the cache lookup and
// set-to under the engine's lock, and naming the operation on a problem once the lock has been
// released (an exception thrown under the lock leaves the locked scope before it is handled).
#pragma once

#include "core/regex/ERXCachedRegex.h"
#include "core/regex/ERXException.h"
#include "core/regex/ERXRegexCache.h"
#include "core/regex/ERXTypes.h"
#include "core/regex/RegexError.h"

#include <QString>
#include <QVariantMap>

#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

/// The public operation being run, for the reason of its exceptions.
struct ERXCall
{
    explicit ERXCall(const char *operation, bool classOperation = false, QVariantMap icuDetails = {})
        : operation(operation), classOperation(classOperation), icuDetails(std::move(icuDetails))
    {
    }

    const char *operation;
    bool classOperation;
    QVariantMap icuDetails; ///< joins the user info of an ICU exception
};

namespace ERXRegexOperation {

/// Raises `exception` on behalf of `call`.
[[noreturn]] void raise(const ERXCall &call, ERXException exception);
/// Throws for a null pattern.
void requireRegex(const QString &regex);
/// The range with an all-ones length made concrete; throws when it ends past the subject or the
/// subject is too long for ICU.
ERXRange resolveRange(const QString &subject, ERXRange range);
/// The empty string for a null subject, else the subject.
const QString &subjectOrEmpty(const QString &subject);

/// Reports a search that ran out of its time limit (ERXException::ranOutOfTime): a log line, and
/// the failure in `error` when the caller asked for one. The operation then answers its empty
/// result, as for a pattern that does not compile.
void reportRanOutOfTime(const ERXCall &call, const ERXException &exception, RegexError *error);

/// Looks `regex` up (compiling it when needed) and answers `work(entry)`, under the engine's
/// lock. Empty when the pattern does not compile or the search ran out of its time limit
/// (`error` says why).
template <typename Work>
auto withCompiled(const ERXCall &call, const QString &regex, ERXRegexOptions options, RegexError *error,
                  Work &&work) -> std::optional<std::invoke_result_t<Work, ERXCachedRegex &>>
{
    if (error)
        *error = RegexError{};
    try {
        requireRegex(regex);
        ERXRegexCache &cache = ERXRegexCache::shared();
        std::unique_lock<std::mutex> lock(cache.mutex());
        ERXCachedRegex *entry = cache.lookup(lock, regex, options, error);
        if (!entry)
            return std::nullopt;
        return work(*entry);
    } catch (ERXException &exception) {
        // The lock is released by now: the unwinding has left its scope.
        if (exception.ranOutOfTime()) {
            reportRanOutOfTime(call, exception, error);
            return std::nullopt;
        }
        exception.raisedBy(call.operation, call.classOperation, call.icuDetails);
        throw;
    }
}

/// As withCompiled, with the entry set to `range` of `subject`: answers
/// `work(entry, resolvedRange)`.
template <typename Work>
auto run(const ERXCall &call, const QString &regex, ERXRegexOptions options, const QString &subject,
         ERXRange range, RegexError *error, Work &&work)
    -> std::optional<std::invoke_result_t<Work, ERXCachedRegex &, ERXRange>>
{
    return withCompiled(call, regex, options, error, [&](ERXCachedRegex &entry) {
        const QString &text = subjectOrEmpty(subject);
        const ERXRange resolved = resolveRange(text, range);
        entry.setTo(text, resolved);
        return work(entry, resolved);
    });
}

} // namespace ERXRegexOperation
