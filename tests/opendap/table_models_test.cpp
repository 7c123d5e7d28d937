// The four list models of the OpenDAP client: their texts in one table, their resets, and
// Qt's own model checks.
#include "OpenDAPTestSupport.h"
#include "opendap/OVOpenDAPTableModels.h"

#include "core/NBRegisteredDefaults.h"
#include "platform/OVUserDefaults.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QRegularExpression>
#include <QSignalSpy>

namespace {

QStringList texts(const QAbstractItemModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.data(model.index(row, 0)).toString();
    return rows;
}

// Qt's checks of the model's answers, failing the test on a violation.
std::unique_ptr<QAbstractItemModelTester> tester(QAbstractItemModel *model)
{
    return std::make_unique<QAbstractItemModelTester>(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
}

} // namespace

TEST(TableModels, Collections)
{
    OVOpenDAPCollectionTableController model;
    const auto check = tester(&model);
    const QStringList names = texts(model);
    ASSERT_EQ(names.size(), 29);
    EXPECT_EQ(names.first(), QStringLiteral("GFS 0.25°"));
    EXPECT_EQ(names.mid(0, 3), (QStringList{"GFS 0.25°", "GFS 0.5°", "GFS 1.0°"}));
    EXPECT_GT(names.indexOf("HRRR"), names.lastIndexOf(QRegularExpression("^HIRES")));
    EXPECT_EQ(names.last(), "Wave Western North Atlantic");
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isValid());

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.setCollectionNames({});
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(TableModels, LevelTexts)
{
    struct Case
    {
        std::vector<double> levels;
        const char *variable;
        QStringList expected;
    };
    const Case cases[] = {
        {{1000, 850, 500.4, 10}, "tmpprs", {"1000 mb", "850 mb", "500 mb", "10 mb"}},
        {{2.5e-1}, "hgt30_0mb", {"30-0mb"}},
        {{0}, "ugrd10m", {"10m"}},
        {{0}, "TMP_2_80M", {"2-80M"}},
        {{0}, "tmp2m", {"Default"}},
        {{0}, "tmpsfc", {"Surface"}},
        {{0}, "pressfc10m", {"10m"}},
        {{}, "tmpprs", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.variable);
        OVOpenDAPLevelTableController model;
        const auto check = tester(&model);
        model.setVariableName(QString::fromLatin1(c.variable));
        model.setLevels(c.levels);
        EXPECT_EQ(model.rowCount(), int(c.levels.size()));
        EXPECT_EQ(texts(model), c.expected);
    }
    OVOpenDAPLevelTableController model;
    EXPECT_EQ(model.units(), "mb");
    model.setLevels({925, 700});
    model.setUnits("hPa");
    EXPECT_EQ(texts(model), (QStringList{"925 hPa", "700 hPa"}));
    EXPECT_TRUE(model.textForRow(2).isNull());
}

TEST(TableModels, RunsAndVariables)
{
    DAP2Service service;
    service.serveModelServer();
    const auto collection = OVOpenDAPCollection::collectionOfType(20, &service.manager);
    BlockCounter discovered;
    collection->gatherDataWithCompletionBlock(discovered.block());
    ASSERT_TRUE(discovered.waitFor(1));
    OVUserDefaults::standard().removeObject(NBSettingKey::modelDataServerURL);

    OVOpenDAPSourceTableController runs;
    const auto checkRuns = tester(&runs);
    EXPECT_EQ(runs.rowCount(), 0);
    QSignalSpy reset(&runs, &QAbstractItemModel::modelReset);
    runs.setCollection(collection);
    EXPECT_EQ(reset.count(), 1);
    const QStringList runTexts = texts(runs);
    ASSERT_EQ(runTexts.size(), 8);
    EXPECT_EQ(runTexts.first(), "2024-03-19 18Z");
    EXPECT_EQ(runTexts.last(), "2024-03-18 00Z");
    collection->sources()[1]->setModelRunTime(QDateTime());
    EXPECT_EQ(runs.data(runs.index(1, 0)).toString(),
              service.http.baseUrl() + "/dods/gfs_0p25/gfs20240319/gfs_0p25_12z");

    const auto run = service.gatheredSource("gfs_0p25_00z");
    OVOpenDAPVariableTableController variables;
    const auto checkVariables = tester(&variables);
    EXPECT_EQ(variables.rowCount(), 0);
    variables.setSource(run);
    EXPECT_EQ(texts(variables), (QStringList{"tmpprs - ** (1000 850 500 10) temperature [k]",
                                             "tmp2m - ** 2 m above ground temperature [k]"}));
    variables.setSource(nullptr);
    EXPECT_EQ(variables.rowCount(), 0);
}
