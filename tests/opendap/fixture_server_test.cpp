// The DAP2 fixture service's own projection rules, which the client tests rely on: which
// variables and elements a constraint selects, and the error for names it does not know.
#include "OpenDAPTestSupport.h"
#include "opendap/OVOpenDAPFormats.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <memory>

namespace {

struct Cut
{
    QString header;
    std::vector<std::vector<double>> arrays;
};

Cut cut(const QString &constraint)
{
    const FixtureResponse response =
        DAP2FixtureServer::dataResponse(opendapFixture("grads/gfs_0p25_00z.dods"), constraint);
    EXPECT_EQ(response.status, 200) << response.body.toStdString();
    const auto bytes = bytesOf(response.body);
    const qsizetype xdr = OVOpenDAPFormats::xdrOffset(bytes);
    Cut result{QString::fromLatin1(response.body.left(xdr)), {}};
    const auto layout = OVOpenDAPFormats::responseLayoutFromDDS(result.header);
    std::vector<int32_t> types;
    for (const auto &d : layout.order)
        types.push_back(d.type());
    if (layout.error) // a Grid's array alone comes inside a Structure, which the layout refuses
        types = {OVOpenDAPValueDescription::Float32};
    result.arrays = OVOpenDAPFormats::decodeDataReply(bytes, types).arrays;
    return result;
}

} // namespace

TEST(FixtureServer, ConstraintsSelectVariablesAndElements)
{
    const struct
    {
        const char *constraint;
        std::vector<size_t> sizes;
        const char *declares;
    } cases[] = {
        {"lev", {4}, "Float64 lev[lev = 4];"},
        {"lev[2]", {1}, "Float64 lev[lev = 1];"},
        {"lon[1:3]", {3}, "Float64 lon[lon = 3];"},
        {"lon[0:3:7]", {3}, "Float64 lon[lon = 3];"},
        {"lat,lev[0]", {1, 5}, "Float64 lev[lev = 1];"}, // sent in DDS order, not in the asked order
        {"tmp2m%5B0%5D%5B1:2%5D%5B0:2:7%5D", {8, 1, 2, 4}, "Float32 tmp2m[time = 1][lat = 2][lon = 4];"},
        {"tmp2m.tmp2m[2][0][0]", {1}, "Structure {"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.constraint);
        const Cut result = cut(QString::fromLatin1(c.constraint));
        std::vector<size_t> sizes;
        for (const auto &a : result.arrays)
            sizes.push_back(a.size());
        EXPECT_EQ(sizes, c.sizes);
        EXPECT_TRUE(result.header.contains(QLatin1String(c.declares))) << result.header.toStdString();
    }
    EXPECT_EQ(cut("lon[0:3:7]").arrays[0], (std::vector<double>{0.0, 135.0, 270.0}));
    EXPECT_EQ(cut("lat,lev[0]").arrays[0], std::vector<double>{1000.0});
    const Cut strided = cut("tmpprs[2][1:3][4][1:2:5]");
    EXPECT_EQ(strided.arrays[0],
              (std::vector<double>{gradsTmpprs(2, 1, 4, 1), gradsTmpprs(2, 1, 4, 3), gradsTmpprs(2, 1, 4, 5),
                                   gradsTmpprs(2, 2, 4, 1), gradsTmpprs(2, 2, 4, 3), gradsTmpprs(2, 2, 4, 5),
                                   gradsTmpprs(2, 3, 4, 1), gradsTmpprs(2, 3, 4, 3), gradsTmpprs(2, 3, 4, 5)}));
    EXPECT_EQ(strided.arrays[2], (std::vector<double>{850.0, 500.0, 10.0}));
}

TEST(FixtureServer, UnknownNamesAndBadRangesAreDAP2Errors)
{
    const QByteArray stored = opendapFixture("grads/gfs_0p25_00z.dods");
    for (const char *constraint : {"ugrd10m", "tmp2m.time", "lon[8]", "lon[3:1]", "lon[0:0:7]", "lon[1", "tmp2m[0]"}) {
        SCOPED_TRACE(constraint);
        const FixtureResponse response = DAP2FixtureServer::dataResponse(stored, QString::fromLatin1(constraint));
        EXPECT_EQ(response.status, 400);
        EXPECT_TRUE(response.body.startsWith("Error {\n    code = 1001;\n    message = \""));
        EXPECT_TRUE(response.headers.contains(qMakePair(QByteArray("Content-Description"), QByteArray("dods_error"))));
    }
}

TEST(FixtureServer, DocumentsAndWholeRepliesAreServedVerbatim)
{
    DAP2Service service;
    QNetworkAccessManager network;
    const struct
    {
        const char *path;
        const char *file;
        const char *description;
    } cases[] = {{"ingrid.dds", "ingrid.dds", "dods_dds"},
                 {"ingrid.das", "ingrid.das", "dods_das"},
                 {"ingrid.dods", "ingrid.dods", "dods_data"},
                 {"gfs_0p25_00z.dods", "grads/gfs_0p25_00z.dods", "dods_data"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        std::unique_ptr<QNetworkReply> reply(
            network.get(QNetworkRequest(QUrl(service.http.baseUrl() + u'/' + QLatin1String(c.path)))));
        ASSERT_TRUE(waitUntil([&] { return reply->isFinished(); }));
        EXPECT_EQ(reply->readAll(), opendapFixture(QString::fromLatin1(c.file)));
        EXPECT_EQ(reply->rawHeader("Content-Description"), c.description);
        EXPECT_EQ(reply->rawHeader("XDODS-Server"), "dods/3.2");
    }
}
