#include "OpenDAPTestSupport.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

QByteArray opendapFixture(const QString &name)
{
    return readTestFile(testDataPath(QStringLiteral("opendap/") + name));
}

QMap<QString, QStringList> dmpValues(const QByteArray &listing)
{
    QMap<QString, QStringList> values;
    const qsizetype data = listing.indexOf("\ndata:\n");
    if (data < 0)
        return values;
    static const QRegularExpression entry(QStringLiteral(R"((\S+) =\s*([^;]*);)"));
    const QString text = QString::fromLatin1(listing.mid(data + 7));
    for (auto it = entry.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        QStringList list;
        for (const QString &value : match.captured(2).split(u',', Qt::SkipEmptyParts)) {
            if (!value.trimmed().isEmpty())
                list << value.trimmed();
        }
        values.insert(match.captured(1), list);
    }
    return values;
}

QString runTool(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        ADD_FAILURE() << program.toStdString() << " is not installed (scripts/setup-deps.sh)";
        return QString();
    }
    QProcess process;
    process.start(path, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

double gradsTmpprs(int t, int z, int y, int x)
{
    if ((7 * t + 5 * z + 3 * y + x) % 23 == 5)
        return double(9.999e20f);
    return 200.0 + 10.0 * t + 2.0 * z + 0.5 * y + 0.125 * x;
}

double gradsTime(int t)
{
    return 738964.0 + 0.125 * t;
}

#include "core/NBRegisteredDefaults.h"
#include "platform/OVUserDefaults.h"

#include <QUrl>

namespace {

const char *const kDatasets[] = {"ingrid", "pbug0001b", "fnoc1.nc", "test.sds1", "test.gr1"};

} // namespace

DAP2Service::DAP2Service()
{
    if (!http.start())
        qFatal("fixture server: %s", qPrintable(http.errorString()));
    for (const char *dataset : kDatasets)
        dap.serveDataset(QString::fromLatin1(dataset), testDataPath(QStringLiteral("opendap")));
    dap.serveDataset(QStringLiteral("gfs_0p25_00z"), testDataPath(QStringLiteral("opendap/grads")));
}

OVOpenDAPSourcePtr DAP2Service::source(const QString &dataset)
{
    return OVOpenDAPSource::create(dap.baseUrl(dataset), &manager);
}

OVOpenDAPSourcePtr DAP2Service::gatheredSource(const QString &dataset)
{
    auto gathered = source(dataset);
    BlockCounter counter;
    gathered->gatherDataWithCompletionBlock(counter.block());
    if (!counter.waitFor(1))
        qWarning("gather of %s did not finish", qPrintable(dataset));
    return gathered;
}

QStringList DAP2Service::dataConstraints(const QString &dataset) const
{
    QStringList constraints;
    for (const FixtureRequest &request : http.requests()) {
        if (request.path == u'/' + dataset + QStringLiteral(".dods"))
            constraints << QUrl::fromPercentEncoding(request.query.toLatin1());
    }
    return constraints;
}

void DAP2Service::serveListing(const QString &urlPath, const QString &file)
{
    QByteArray page = opendapFixture(QStringLiteral("grads/listings/") + file);
    page.replace("@SERVER@", http.baseUrl().toLatin1());
    http.serve(urlPath, FixtureResponse::text(page, "text/html"));
}

void DAP2Service::serveModelServer()
{
    serveListing(QStringLiteral("/dods/gfs_0p25/"), QStringLiteral("gfs_0p25.html"));
    serveListing(QStringLiteral("/dods/gfs_0p25/gfs20240318"), QStringLiteral("gfs20240318.html"));
    serveListing(QStringLiteral("/dods/gfs_0p25/gfs20240319"), QStringLiteral("gfs20240319.html"));
    serveListing(QStringLiteral("/dods/nam/"), QStringLiteral("nam.html"));
    serveListing(QStringLiteral("/dods/nam/nam20240319"), QStringLiteral("nam20240319.html"));
    const QString grads = testDataPath(QStringLiteral("opendap/grads"));
    dap.serveDataset(QStringLiteral("gfs_0p25_00z"), grads, QStringLiteral("/dods/gfs_0p25/gfs20240319/gfs_0p25_00z"));
    dap.serveDataset(QStringLiteral("nam_ak_00z"), grads, QStringLiteral("/dods/nam/nam20240319/nam_ak_00z"));
    OVUserDefaults::standard().setObject(http.baseUrl(), NBSettingKey::modelDataServerURL);
}

bool BlockCounter::waitFor(int count, int timeoutMs) const
{
    return waitUntil([&] { return mCalls >= count; }, timeoutMs);
}
