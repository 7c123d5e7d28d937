// The DAP2 fixture service read by independent DAP2 clients: ncdump (netCDF) and getdap (libdap).
// They must print the reference listings and the formula's values, so the replies the other
// tests rely on are real DAP2.
#include "OpenDAPTestSupport.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

QString dataPart(const QString &listing)
{
    const qsizetype data = listing.indexOf(QStringLiteral("\ndata:\n"));
    return data < 0 ? QString() : listing.mid(data);
}

} // namespace

TEST(IndependentClients, NcdumpPrintsTheReferenceListings)
{
    DAP2Service service;
    for (const char *dataset : {"ingrid", "fnoc1.nc"}) {
        SCOPED_TRACE(dataset);
        const QString output = runTool("ncdump", {service.dap.baseUrl(QString::fromLatin1(dataset))});
        const QString expected = QString::fromLatin1(opendapFixture(QString::fromLatin1(dataset) + ".dmp"));
        ASSERT_FALSE(dataPart(expected).isEmpty());
        EXPECT_EQ(dataPart(output).toStdString(), dataPart(expected).toStdString());
    }
    // netCDF asks for the Grid's array by its full name, beside the two axes.
    EXPECT_TRUE(service.dataConstraints("ingrid").contains("ISTA,IZ,v3H.V3H"));
}

TEST(IndependentClients, GetdapPrintsTheFormulasValues)
{
    DAP2Service service;
    const QString output =
        runTool("getdap", {"-D", "-c", "tmpprs[1][2][0:4][0:7]", service.dap.baseUrl("gfs_0p25_00z")});
    const qsizetype array = output.indexOf(QStringLiteral("Array: {"));
    const qsizetype maps = output.indexOf(QStringLiteral("Maps: {"), array);
    ASSERT_GT(array, 0);
    ASSERT_GT(maps, array);
    static const QRegularExpression number(QStringLiteral(R"([-+]?[0-9][0-9.e+-]*)"));
    const auto numbers = [](const QString &text) {
        std::vector<double> values;
        for (auto it = number.globalMatch(text); it.hasNext();)
            values.push_back(it.next().captured().toDouble());
        return values;
    };
    std::vector<double> expected;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 8; ++x)
            expected.push_back(QString::number(gradsTmpprs(1, 2, y, x), 'g', 6).toDouble()); // printed with %g
    }
    EXPECT_EQ(numbers(output.mid(array, maps - array)), expected);
    EXPECT_EQ(numbers(output.mid(maps)),
              (std::vector<double>{gradsTime(1), 500, -90, -45, 0, 45, 90, 0, 45, 90, 135, 180, 225, 270, 315}));
}

TEST(IndependentClients, GetdapParsesTheGradsDocuments)
{
    DAP2Service service;
    const QString dds = runTool("getdap", {"-d", service.dap.baseUrl("gfs_0p25_00z")});
    EXPECT_EQ(dds.count(QStringLiteral("Grid {")), 2);
    EXPECT_TRUE(dds.contains(QStringLiteral("Float32 tmpprs[time = 3][lev = 4][lat = 5][lon = 8];")));
    EXPECT_TRUE(dds.contains(QStringLiteral("} gfs_0p25_00z;")));
    const QString das = runTool("getdap", {"-a", service.dap.baseUrl("gfs_0p25_00z")});
    EXPECT_TRUE(das.contains(QStringLiteral("String minimum \"00z19mar2024\";")));
    EXPECT_TRUE(das.contains(QStringLiteral("Float32 resolution 0.125;")));
    EXPECT_TRUE(das.contains(QStringLiteral("Float32 missing_value 9.999E20;")));
}
