#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

TEST(Log, DebugLinesOnlyWhileTheFlagIsOnRefusalsAlways)
{
    LogCapture log;
    OVSetDebugLoggingEnabled(0);
    OVDebugLog("[OVTest debug] hidden");
    OVLog("[OVGrid init] Must use initWithValues instead of init.");
    OVSetDebugLoggingEnabled(1);
    OVDebugLog("[OVTest debug] shown");
    OVSetDebugLoggingEnabled(0);
    EXPECT_EQ(log.lines(), (QStringList{"[OVGrid init] Must use initWithValues instead of init.",
                                        "[OVTest debug] shown"}));
    EXPECT_EQ(OVLocalizedString("Today"), "Today");
}
