// Comparing a rendered image with a committed expected image.
//
// Each case has tests/data/images/<name>.png. A pixel differs when any channel (alpha
// included) is more than `tolerance` away; a case passes while at most `maxDifferentPixels`
// differ. On a failure the rendered image and a difference map (differing pixels red, others a
// faded copy of the expected image) are written to the test's output folder as
// images/<name>/actual.png and diff.png, and the message names them.
//
// Expected images are written only when NIMBREL_REGENERATE_IMAGES=1 is set for the run; the
// case then passes and says it wrote the file. Nothing else ever replaces an expected image.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

struct ImageTolerance
{
    int channel = 0;            // largest allowed difference of one channel, 0..255
    int maxDifferentPixels = 0; // how many pixels may exceed it
};

/// The expected image's path for a case name such as "graphs/temperature_scale".
QString expectedImagePath(const QString &name);

/// Compares `actual` with the case's expected image; use as EXPECT_TRUE(imageMatches(...)).
::testing::AssertionResult imageMatches(const QImage &actual, const QString &name,
                                        ImageTolerance tolerance = {});
