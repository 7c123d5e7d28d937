// Process-wide diagnostic logging and the debug flag.
//
// Log lines open with the class and operation in square brackets ("[OVGrid init] ...").
// `OVLog` lines are always written (refusals, failures a user should see); `OVDebugLog` lines
// only while the debug flag is on. The flag is a plain global, set on the main thread at start
// before any worker runs, and read from any thread.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

/// The debug-logging flag: non-zero while diagnostic lines are written. 0 at start.
int32_t OVDebugLoggingEnabled();
void OVSetDebugLoggingEnabled(int32_t enabled);

/// Writes one log line, always.
void OVLog(const QString &line);
/// Writes one log line while the debug flag is on.
void OVDebugLog(const QString &line);

/// Receives every written line (after the debug filter). Tests use it to see what was logged;
/// pass an empty function to remove it. The sink is called on the logging thread.
using OVLogSink = std::function<void(const QString &line)>;
void OVSetLogSink(OVLogSink sink);
