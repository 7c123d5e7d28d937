// The check for a newer version against the fixture download server: which replies bring the
// alert, what its buttons do, and the version order.
#include "AppControllerFixture.h"
#include "BrowserRecorder.h"
#include "app/update/NBVersionCheck.h"
#include "core/NBPrefController.h"
#include "support/FixtureHttpServer.h"

#include <QCoreApplication>

namespace {

const QString kVersionPath = QStringLiteral("/nimbrel/latest_version.txt");

class VersionCheckTest : public AppControllerTest
{
protected:
    void SetUp() override
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));
        ASSERT_TRUE(server.start()) << server.errorString().toStdString();
        OVUserDefaults::standard().setObject(server.baseUrl(), QStringLiteral("NBDownloadServerURL"));
    }

    /// Launches and waits for the check's reply to be handled.
    void launchAndWait()
    {
        launch();
        ASSERT_TRUE(waitUntil([&] { return server.requestCount(kVersionPath) == 1; }));
        ASSERT_TRUE(waitUntil([&] { return !controller->versionCheck()->task(); }));
    }

    std::vector<RecordedAlert> versionAlerts() const
    {
        std::vector<RecordedAlert> found;
        for (const RecordedAlert &alert : env.alerts->alerts)
            if (alert.title == QStringLiteral("Alert"))
                found.push_back(alert);
        return found;
    }

    FixtureHttpServer server;
};

} // namespace

TEST_F(VersionCheckTest, ANewerVersionBringsOneAlertWithItsExactText)
{
    server.serve(kVersionPath, FixtureResponse::text("2.0.1\r\n"));
    env.alerts->answers = {QStringLiteral("Not Yet")};
    launchAndWait();

    const auto alerts = versionAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("A new version of Nimbrel Core is available.  If you would like to upgrade, "
                                                "click More Info.\n\n\tCurrent Version: \t2.0\n\tLatest Version: \t\t2.0.1\n"));
    EXPECT_EQ(alerts[0].button, QStringLiteral("More Info|Disable Checking|Not Yet"));
    EXPECT_EQ(server.requests().last().headers.value("user-agent"), NBController::userAgent().toUtf8());
    EXPECT_EQ(OVUserDefaults::standard().objectForKey(QStringLiteral("checkForUpdates")).toBool(), true)
        << "an absent choice is stored as checking";
}

TEST_F(VersionCheckTest, DisableCheckingStoresNoAndTheNextLaunchAsksNothing)
{
    server.serve(kVersionPath, FixtureResponse::text("2.1\n"));
    env.alerts->answers = {QStringLiteral("Disable Checking")};
    launchAndWait();
    EXPECT_EQ(OVUserDefaults::standard().objectForKey(QStringLiteral("checkForUpdates")).toString(), QStringLiteral("NO"));
    EXPECT_EQ(NBPrefController::settingForKey(QStringLiteral("checkForUpdates")).toString(), QStringLiteral("NO"));

    controller.reset();
    launch();
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.requestCount(kVersionPath), 1);
}

TEST_F(VersionCheckTest, MoreInfoOpensTheProductPage)
{
    OVUserDefaults::standard().setObject(QStringLiteral("https://core.example.test"), QStringLiteral("NBProductWebURL"));
    server.serve(kVersionPath, FixtureResponse::text("3.0"));
    BrowserRecorder browser;
    launchAndWait();
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://core.example.test/"))});
}

struct NoAlertCase
{
    const char *name;
    FixtureResponse response;
};

TEST_F(VersionCheckTest, RepliesThatBringNoAlert)
{
    const NoAlertCase cases[] = {
        {"beta of the same version", FixtureResponse::text("2.0b1")},
        {"same version", FixtureResponse::text("2.0")},
        {"not found", FixtureResponse::error(404)},
        {"byte above 0x7F", FixtureResponse::text("2.\xE9" "1")},
    };
    for (const NoAlertCase &row : cases) {
        SCOPED_TRACE(row.name);
        server.clearRequests();
        server.serve(kVersionPath, row.response);
        launchAndWait();
        EXPECT_TRUE(versionAlerts().empty());
        controller.reset();
        env.alerts->alerts.clear();
    }
}

TEST_F(VersionCheckTest, AnEmptyServerSendsNothing)
{
    OVUserDefaults::standard().setObject(QString(), QStringLiteral("NBDownloadServerURL"));
    launch();
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.requestCount(kVersionPath), 0);
    EXPECT_TRUE(versionAlerts().empty());
}

TEST(VersionOrder, ComparesComponentsAndBetas)
{
    struct Row
    {
        const char *a;
        const char *b;
        bool later;
    };
    const Row rows[] = {
        {"2.1", "2.1b3", true},   {"2.1b3", "2.1", false}, {"2.1.1", "2.1", true}, {"2.1", "2.1.1", false},
        {"2.10", "2.9", true},    {"2.9", "2.10", false},  {"2.0", "2.0", false},  {"2.0", "2.0b4", true},
        {"2.0b1", "2.0", false},  {"2.0.1", "2.0", true},  {"2.1b4", "2.1b3", true}, {"", "2.0", false},
        {"99999999999.0", "1.0", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.a) + " vs " + row.b);
        EXPECT_EQ(NBVersionCheck::isVersionLaterThan(QString::fromLatin1(row.a), QString::fromLatin1(row.b)), row.later);
    }
}

TEST(VersionUserAgent, CarriesTheProductAddress)
{
    OVUserDefaults::standard().setObject(QStringLiteral("https://core.example.test"), QStringLiteral("NBProductWebURL"));
    EXPECT_TRUE(NBController::userAgent().endsWith(QStringLiteral("(Linux; https://core.example.test)")));
    OVUserDefaults::standard().setObject(QString(), QStringLiteral("NBProductWebURL"));
    EXPECT_TRUE(NBController::userAgent().endsWith(QStringLiteral("(Linux)")));
}
