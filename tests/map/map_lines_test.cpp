// Reading boundary files: which lines are segments and what their numbers read as.
#include "map/layers/OVMapVectorLayers.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

struct ParseCase
{
    const char *name;
    QByteArray text;
    std::vector<float> expected; // lat, lon pairs of the vertices
};

TEST(MapLinesParse, OnlyFourFieldsBetweenSingleBlanksMakeASegment)
{
    const std::vector<ParseCase> cases = {
        {"four numbers", "10 20 30 40", {10, 20, 30, 40}},
        {"two blanks", "10  20 30 40", {}},
        {"tab", "10\t20 30 40", {}},
        {"three fields", "10 20 30", {}},
        {"five fields", "10 20 30 40 50", {}},
        {"trailing blank", "10 20 30 40 ", {}},
        {"leading blank", " 10 20 30 40", {}},
        {"comment", "# borders of 2026", {}},
        {"empty", "", {}},
        {"prefix parse", "12abc x -3.5 +7", {12, 0, -3.5f, 7}},
        {"crlf", "1 2 3 4\r\n5 6 7 8\r\n", {1, 2, 3, 4, 5, 6, 7, 8}},
        {"cr only", "1 2 3 4\r5 6 7 8", {1, 2, 3, 4, 5, 6, 7, 8}},
        {"blank lines between", "\n\n1 2 3 4\n\n", {1, 2, 3, 4}},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<OVGeoVertex> vertices = OVMapLinesLayer::parseBoundaryText(c.text);
        ASSERT_EQ(vertices.size() * 2, c.expected.size());
        for (size_t i = 0; i < vertices.size(); ++i) {
            EXPECT_FLOAT_EQ(vertices[i].latitude, c.expected[2 * i]);
            EXPECT_FLOAT_EQ(vertices[i].longitude, c.expected[2 * i + 1]);
        }
    }
}

TEST(MapLinesParse, TheSmallFixtureGivesItsThreeSegments)
{
    const std::vector<OVGeoVertex> vertices = OVMapLinesLayer::parseBoundaryText(
        readTestFile(testDataPath(QStringLiteral("map/lines/boundaries_small.txt"))));
    ASSERT_EQ(vertices.size(), 6u);
    EXPECT_FLOAT_EQ(vertices[2].latitude, -20.5f);
    EXPECT_FLOAT_EQ(vertices[3].longitude, 31.25f);
}

TEST(MapLinesParse, AMissingOrEmptyFileIsHandedOverEmptyAndLoggedOnce)
{
    const QString empty = testOutputPath(QStringLiteral("empty_boundaries.txt"));
    writeTestFile(empty, QByteArray());
    for (const QString &path : {QStringLiteral("/nonexistent/boundaries_i.txt"), empty}) {
        SCOPED_TRACE(path.toStdString());
        LogCapture log;
        OVMapLinesLayer layer(nullptr, nullptr, path);
        ASSERT_TRUE(waitUntil([&] { return layer.parseFinished(); }));
        layer.draw(); // no view, no context: nothing happens
        EXPECT_FALSE(layer.verticesReady());
        EXPECT_EQ(log.lines().filter(path).size(), 1);
    }
}

} // namespace

namespace {

QByteArray runScript(const QString &topology, const QString &output)
{
    QProcess node;
    node.start(QStringLiteral("node"), {QStringLiteral(NIMBREL_MAPDATA_WORK "/make-boundaries.mjs"), topology,
                                        QStringLiteral("countries"), output});
    EXPECT_TRUE(node.waitForFinished(60000));
    EXPECT_EQ(node.exitCode(), 0) << node.readAllStandardError().toStdString();
    return readTestFile(output);
}

TEST(MapBoundaryScript, KeepsSharedBordersOnceAndDropsCoastsAndDateLineCrossings)
{
    const QString topology = testDataPath(QStringLiteral("map/lines/topo_two_squares.json"));
    const QByteArray first = runScript(topology, testOutputPath(QStringLiteral("first_boundaries.txt")));
    const QByteArray second = runScript(topology, testOutputPath(QStringLiteral("second_boundaries.txt")));
    EXPECT_EQ(first, readTestFile(testDataPath(QStringLiteral("map/lines/expected_boundaries.txt"))));
    EXPECT_EQ(first, second);
}

TEST(MapBoundaryScript, TheBuiltFilesParseToEveryFourFieldLine)
{
    for (const char *name : {"boundaries_i.txt", "states_i.txt"}) {
        SCOPED_TRACE(name);
        const QByteArray text = readTestFile(QStringLiteral(NIMBREL_APP_DIR "/") + QLatin1String(name));
        ASSERT_FALSE(text.isEmpty());
        const QRegularExpression segment(QStringLiteral("^[^ ]+ [^ ]+ [^ ]+ [^ ]+$"));
        qsizetype lines = 0;
        for (const QByteArray &line : text.split('\n'))
            lines += segment.match(QString::fromLatin1(line)).hasMatch() ? 1 : 0;
        EXPECT_GT(lines, 1000);
        EXPECT_EQ(qsizetype(OVMapLinesLayer::parseBoundaryText(text).size()), 2 * lines);
    }
}

} // namespace
