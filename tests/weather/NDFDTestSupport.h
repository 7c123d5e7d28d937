// Shared pieces of the NDFD client tests: the fixture server with the service's two endpoints,
// a download manager, user defaults pointing the clients at the server, a settable clock, US
// locations, and xmllint as an independent reader of the fixture replies.
#pragma once

#include "core/remote/OVURLManager.h"
#include "platform/OVUserDefaults.h"
#include "support/FakeClock.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"
#include "weather/OVNDFDClient.h"
#include "weather/OVWeatherLocation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

inline const QString kHourlyPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdXMLclient.php");
inline const QString kDailyPath =
    QStringLiteral("/xml/sample_products/browser_interface/ndfdBrowserClientByDay.php");

inline QString ndfdData(const QString &name)
{
    return testDataPath(QStringLiteral("weather/ndfd/") + name);
}

inline QByteArray ndfdBytes(const QString &name)
{
    QFile file(ndfdData(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

/// The results of an XPath expression over a fixture file, read by xmllint (one per line).
inline QStringList xpath(const QString &name, const QString &expression)
{
    QProcess process;
    process.start(QStringLiteral("xmllint"), {QStringLiteral("--xpath"), expression, ndfdData(name)});
    EXPECT_TRUE(process.waitForFinished(10000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

inline std::shared_ptr<OVWeatherLocation> usLocation(double latitude, double longitude,
                                                     const QString &country = QStringLiteral("US"))
{
    auto location = std::make_shared<OVWeatherLocation>();
    location->setCountryCode(country);
    location->setLatitude(latitude);
    location->setLongitude(longitude);
    return location;
}

class NDFDServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(folder.isValid());
        settings = std::make_unique<OVUserDefaults>(folder.filePath(QStringLiteral("settings.conf")));
        settings->setObject(server.baseUrl(), QStringLiteral("OVNDFDServerURL"));
    }

    QString cachePath(const QString &name = QStringLiteral("cache.plist")) const
    {
        return folder.filePath(name);
    }

    /// Runs the event loop until the download manager has answered `count` requests in all.
    bool waitForReplies(NotificationWaiter &loaded, int count)
    {
        return waitUntil([&] { return loaded.count() >= count; }, 10000);
    }

    FixtureHttpServer server;
    QTemporaryDir folder;
    OVURLManager manager;
    std::unique_ptr<OVUserDefaults> settings;
    FakeClock clock{QDateTime(QDate(2013, 11, 10), QTime(20, 0), QTimeZone::utc())};
};
