// The resolution scale factor without a window: the primary screen's (run with QT_SCALE_FACTOR=2).
#include "core/views/OVGraphicsUtil.h"

#include <gtest/gtest.h>

TEST(OVGraphicsUtil, ScaleFactorComesFromTheScreenWithoutAWindow)
{
    EXPECT_DOUBLE_EQ(OVGraphicsUtil::resolutionScaleFactor(), 2.0);
}
