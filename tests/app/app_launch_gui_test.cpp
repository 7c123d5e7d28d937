// Starts the real executable under the X server, finds its main window by title, takes a
// screenshot of it and asks it to quit.
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

TEST(AppLaunch, OpensTheMainWindowAndQuitsCleanly)
{
    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty()) << "no window titled \"Nimbrel Core\"";
    EXPECT_FALSE(app.screenshot(testOutputPath("main-window.png")).isNull());
    EXPECT_TRUE(app.terminate());
}
