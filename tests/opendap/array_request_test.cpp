// Array requests over the DAP2 fixture service: constraints, decoded arrays against the formula
// and ncdump's listing, and the repeat and give-up of bad replies.
#include "OpenDAPTestSupport.h"
#include "opendap/OVOpenDAPArrayRequest.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace {

class ArrayRequest : public testing::Test
{
protected:
    // Starts the request and waits for its block; false when it was not called in time.
    bool run(const OVOpenDAPArrayRequestPtr &request)
    {
        BlockCounter counter;
        request->gatherDataWithCompletionBlock(counter.block());
        const bool called = counter.waitFor(1);
        waitUntil([] { return false; }, 100); // room for a second call that must not come
        EXPECT_LE(counter.calls(), 1);
        return called;
    }

    OVOpenDAPSourcePtr grads()
    {
        auto source = service.gatheredSource("gfs_0p25_00z");
        EXPECT_TRUE(source->ready());
        return source;
    }

    DAP2Service service;
    LogCapture log;
};

std::vector<double> floatsOfListing(const QString &dataset, const QString &name)
{
    std::vector<double> values;
    for (const QString &text : dmpValues(opendapFixture(dataset + ".dmp")).value(name))
        values.push_back(text.toDouble());
    return values;
}

std::vector<double> asFloat32Text(const std::vector<double> &values)
{
    std::vector<double> printed;
    for (double v : values)
        printed.push_back(QString::number(v, 'g', 7).toDouble());
    return printed;
}

} // namespace

TEST_F(ArrayRequest, AWindowOfOneLevelAtOneTime)
{
    const auto source = grads();
    const auto tmpprs = source->variableNamed("tmpprs");
    const auto request = OVOpenDAPArrayRequest::requestGridUsingSource(source, tmpprs, 0, 4, 0, 7, 1, 2);
    ASSERT_TRUE(request);
    ASSERT_TRUE(run(request));
    ASSERT_TRUE(request->ready());
    EXPECT_FALSE(request->requestInProgress());
    EXPECT_EQ(service.dataConstraints("gfs_0p25_00z"), QStringList{"tmpprs[1][2][0:4][0:7]"});

    const auto arrays = request->responseArrays();
    ASSERT_EQ(arrays.size(), 5u);
    EXPECT_EQ(arrays[0].size(), 40u);
    std::vector<double> expected;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 8; ++x)
            expected.push_back(gradsTmpprs(1, 2, y, x));
    }
    EXPECT_EQ(request->responseData(), expected);
    EXPECT_EQ(request->dimensionDataForArgument("time"), std::vector<double>{gradsTime(1)});
    EXPECT_EQ(request->dimensionDataForArgument("lev"), std::vector<double>{500.0});
    EXPECT_EQ(request->dimensionDataForArgument("lat"), (std::vector<double>{-90, -45, 0, 45, 90}));
    EXPECT_EQ(request->dimensionDataForArgument("lon"), (std::vector<double>{0, 45, 90, 135, 180, 225, 270, 315}));
    EXPECT_TRUE(request->dimensionDataForArgument("height").empty());
}

TEST_F(ArrayRequest, DimensionRequestsGiveTheAxisValues)
{
    const auto source = grads();
    const auto levels =
        OVOpenDAPArrayRequest::requestDimensionDataUsingSource(source, source->variableNamed("tmpprs"), "lev");
    ASSERT_TRUE(run(levels));
    ASSERT_TRUE(levels->ready());
    EXPECT_EQ(levels->dimensionDataForArgument("lev"), (std::vector<double>{1000, 850, 500, 10}));
    EXPECT_EQ(service.dataConstraints("gfs_0p25_00z").last(), "tmpprs[0][0:3][0][0]");

    const auto pbug = service.gatheredSource("pbug0001b");
    ASSERT_TRUE(pbug->ready());
    const auto heights = OVOpenDAPArrayRequest::requestDimensionDataUsingSource(pbug, pbug->variableNamed("3H"), "IZ");
    ASSERT_TRUE(run(heights));
    ASSERT_TRUE(heights->ready());
    EXPECT_EQ(service.dataConstraints("pbug0001b"), QStringList{"3H[0][0:43]"});
    EXPECT_EQ(asFloat32Text(heights->dimensionDataForArgument("IZ")), floatsOfListing("pbug0001b", "IZ"));
}

TEST_F(ArrayRequest, AnArrayAnsweredWithoutItsMapsIsRepeatedOnceThenGivenUp)
{
    const auto ingrid = service.gatheredSource("ingrid");
    ASSERT_TRUE(ingrid->ready());
    const auto request =
        OVOpenDAPArrayRequest::requestDimensionDataUsingSource(ingrid, ingrid->variableNamed("V3H"), "IZ");
    ASSERT_TRUE(run(request));
    EXPECT_FALSE(request->ready());
    EXPECT_EQ(service.dataConstraints("ingrid"), (QStringList{"V3H[0][0:43]", "V3H[0][0:43]"}));
    EXPECT_TRUE(log.contains("[OVOpenDAPArrayRequest gatherDataPostProcessing] Buffer not long enough to read data."));
}

TEST_F(ArrayRequest, BadRepliesEndNotReady)
{
    const struct
    {
        const char *name;
        DAP2FixtureServer::Switches switches;
        int requests;
        const char *line;
    } cases[] = {
        {"FourBytesShort", {.cutBytes = 4}, 2, "Buffer not long enough to read data field."},
        {"OneRowFewer", {.oneRowFewer = true}, 2, "Buffer not long enough to read data"},
        {"NoSeparator", {.noSeparator = true}, 1, "Couldn't find Data in the response."},
        {"ServerError", {.status = 500}, 1, "Response data was nil."},
        {"Garbage", {.garbage = true}, 1, "Couldn't find Data in the response."},
    };
    const auto source = grads();
    const auto tmp2m = source->variableNamed("tmp2m");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        service.http.clearRequests();
        service.dap.setSwitches("/gfs_0p25_00z.dods", c.switches);
        const auto request = OVOpenDAPArrayRequest::requestGridUsingSource(source, tmp2m, 0);
        ASSERT_TRUE(run(request));
        EXPECT_FALSE(request->ready());
        EXPECT_TRUE(request->responseArrays().empty());
        EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.dods"), c.requests);
        EXPECT_TRUE(log.contains(QStringLiteral("[OVOpenDAPArrayRequest gatherDataPostProcessing] ") + c.line));
    }
}

TEST_F(ArrayRequest, CorruptCountsAskForNothing)
{
    const auto source = grads();
    const auto tmp2m = source->variableNamed("tmp2m");
    const QByteArray reply =
        DAP2FixtureServer::dataResponse(opendapFixture("grads/gfs_0p25_00z.dods"), "tmp2m[0][0:4][0:7]").body;
    for (const uint32_t count : {0xFFFFFFFFu, 0x80000000u}) {
        SCOPED_TRACE(count);
        // The reply of tmp2m at one time whose first array claims `count` elements.
        QByteArray corrupt = reply;
        const qsizetype xdr = corrupt.indexOf("\nData:\n") + 7;
        qToBigEndian(count, corrupt.data() + xdr);
        qToBigEndian(count, corrupt.data() + xdr + 4);
        const auto corruptSource = OVOpenDAPSource::create(service.http.baseUrl() + "/corrupt", &service.manager);
        ASSERT_TRUE(corruptSource->parseDDS(QString::fromLatin1(opendapFixture("grads/gfs_0p25_00z.dds"))));
        service.http.clearRequests();
        service.http.serve("/corrupt.dods", FixtureResponse::text(corrupt, "application/octet-stream"));
        const auto request = OVOpenDAPArrayRequest::requestUsingSource(
            corruptSource, corruptSource->variableNamed("tmp2m"), {{"time", "0"}});
        ASSERT_TRUE(run(request));
        EXPECT_FALSE(request->ready());
        EXPECT_EQ(service.http.requestCount("/corrupt.dods"), 2);
    }
    EXPECT_TRUE(
        log.contains("[OVOpenDAPArrayRequest gatherDataPostProcessing] Buffer not long enough to read data field."));
}

TEST_F(ArrayRequest, RepliesThatDisagreeWithTheirDatasetAreErrorsNamingTheVariable)
{
    // Each reply is well formed XDR, so only the declared shape and types can tell it is wrong.
    const QByteArray good =
        DAP2FixtureServer::dataResponse(opendapFixture("grads/gfs_0p25_00z.dods"), "tmp2m[0][0:4][0:7]").body;
    const qsizetype xdr = good.indexOf("\nData:\n") + 7;
    const qsizetype field = 8 + 40 * 4; // tmp2m's count words and its 5 x 8 floats
    ASSERT_EQ(qFromBigEndian<uint32_t>(good.constData() + xdr), 40u);
    const auto counts = [](uint32_t n) {
        QByteArray words(8, '\0');
        qToBigEndian(n, words.data());
        qToBigEndian(n, words.data() + 4);
        return words;
    };
    QByteArray zeroFirst = good.left(xdr) + counts(0) + good.mid(xdr + field);
    QByteArray twoShort = good.left(xdr) + counts(38) + QByteArray(40 * 4, '\0') + good.mid(xdr + field);
    QByteArray int32Header = good;
    int32Header.replace("Float32 tmp2m", "Int32 tmp2m");
    const struct
    {
        const char *name;
        QByteArray reply;
        const char *line;
    } cases[] = {
        {"ZeroCountOnTheFirstArray", zeroFirst, "Reply for tmp2m: the count of tmp2m disagrees with its declared shape."},
        {"CountTwoShortOverZeros", twoShort, "Reply for tmp2m: the count of tmp2m disagrees with its declared shape."},
        {"HeaderDeclaresInt32",
         int32Header,
         "Reply for tmp2m: tmp2m is declared with another type than the dataset's structure document gives."},
    };
    const auto source = OVOpenDAPSource::create(service.http.baseUrl() + "/disagree", &service.manager);
    ASSERT_TRUE(source->parseDDS(QString::fromLatin1(opendapFixture("grads/gfs_0p25_00z.dds"))));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        service.http.clearRequests();
        service.http.serve("/disagree.dods", FixtureResponse::text(c.reply, "application/octet-stream"));
        const auto request = OVOpenDAPArrayRequest::requestGridUsingSource(source, source->variableNamed("tmp2m"), 0,
                                                                           4, 0, 7, 0);
        ASSERT_TRUE(run(request));
        EXPECT_FALSE(request->ready());
        EXPECT_TRUE(request->responseArrays().empty());
        EXPECT_EQ(service.http.requestCount("/disagree.dods"), 1); // the same bytes would come again
        EXPECT_TRUE(log.contains(QStringLiteral("[OVOpenDAPArrayRequest gatherDataPostProcessing] ") + c.line));
    }
    // The reply they were made from reads.
    service.http.serve("/disagree.dods", FixtureResponse::text(good, "application/octet-stream"));
    const auto request =
        OVOpenDAPArrayRequest::requestGridUsingSource(source, source->variableNamed("tmp2m"), 0, 4, 0, 7, 0);
    ASSERT_TRUE(run(request));
    ASSERT_TRUE(request->ready());
    EXPECT_EQ(request->responseData().size(), 40u);
    EXPECT_EQ(request->dimensionDataForArgument("time"), std::vector<double>{gradsTime(0)});
}

TEST_F(ArrayRequest, AnAxisOfSizeZeroEndsAtOnceNotReady)
{
    const auto source = OVOpenDAPSource::create(service.dap.baseUrl("gfs_0p25_00z"), &service.manager);
    ASSERT_TRUE(source->parseDDS(
        QString::fromLatin1(opendapFixture("grads/gfs_0p25_00z.dds")).replace("time = 3", "time = 0")));
    const auto request =
        OVOpenDAPArrayRequest::requestUsingSource(source, source->variableNamed("tmp2m"), {{"lat", "1"}});
    ASSERT_TRUE(request);
    ASSERT_TRUE(run(request));
    EXPECT_FALSE(request->ready());
    EXPECT_FALSE(request->requestInProgress());
    EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.dods"), 0);
    EXPECT_TRUE(log.contains(
        "[OVOpenDAPArrayRequest requestURLString] Couldn't build URL because base or variable requested was nil."));
}

TEST_F(ArrayRequest, ASecondStartWhileInProgressDropsItsBlock)
{
    const auto source = grads();
    auto gate = std::make_shared<FixtureGate>();
    service.dap.setSwitches("/gfs_0p25_00z.dods", {.gate = gate});
    const auto request = OVOpenDAPArrayRequest::requestGridUsingSource(source, source->variableNamed("tmp2m"), 2);
    BlockCounter first, second;
    request->gatherDataWithCompletionBlock(first.block());
    request->gatherDataWithCompletionBlock(second.block());
    gate->open();
    ASSERT_TRUE(first.waitFor(1));
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(second.calls(), 0);
    EXPECT_TRUE(request->ready());
    EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.dods"), 1);
}

TEST_F(ArrayRequest, AVariableTheStructureDocumentDoesNotDeclareFails)
{
    const auto source = grads();
    const auto request =
        OVOpenDAPArrayRequest::requestUsingSource(source, OVOpenDAPVariable::create("ugrd10m"), {{"lat", "1"}});
    ASSERT_TRUE(run(request));
    EXPECT_FALSE(request->ready());
    EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.dods"), 0);
}

TEST_F(ArrayRequest, FactoriesNeedTheirAxes)
{
    const auto source = grads();
    const auto tmp2m = source->variableNamed("tmp2m");
    EXPECT_FALSE(OVOpenDAPArrayRequest::requestUsingSource(nullptr, tmp2m, {}));
    EXPECT_FALSE(OVOpenDAPArrayRequest::requestVerticalProfileUsingSource(source, tmp2m, 1, 2, 0));
    const auto profile =
        OVOpenDAPArrayRequest::requestVerticalProfileUsingSource(source, source->variableNamed("tmpprs"), 1, 2, 0);
    ASSERT_TRUE(profile);
    EXPECT_EQ(QUrl::fromPercentEncoding(profile->requestURLString().toLatin1()),
              service.dap.baseUrl("gfs_0p25_00z") + ".dods?tmpprs[0][0:3][1][2]");
    EXPECT_TRUE(profile->requestURLString().contains("%5B0%5D"));
    const auto grid = OVOpenDAPArrayRequest::requestGridUsingSource(source, tmp2m, QString());
    EXPECT_TRUE(grid->requestURLString().endsWith("tmp2m%5B0:2%5D%5B0:4%5D%5B0:7%5D"));
}
