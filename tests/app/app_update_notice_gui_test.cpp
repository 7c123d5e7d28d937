// The update notice against the fixture server: which status documents open the "Update"
// window, what it shows, and what its buttons do.
#include "AppControllerFixture.h"
#include "app/update/NBUpdateManager.h"
#include "app/update/NBUpdateViewController.h"
#include "support/FixtureHttpServer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>

namespace {

const QString kStatusPath = QStringLiteral("/status/core_2.x/update.json");

// Receives the addresses QDesktopServices would open in a browser.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class UpdateNoticeTest : public AppControllerTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << server.errorString().toStdString();
        server.serveFile(QStringLiteral("/notice/body.html"), testDataPath(QStringLiteral("app/update_notice/body.html")), "text/html");
        OVUserDefaults::standard().setObject(server.baseUrl(), QStringLiteral("NBStatusServerURL"));
    }

    void serveDocument(const QString &fixture)
    {
        QFile file(testDataPath(QStringLiteral("app/update_notice/") + fixture));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray body = file.readAll().replace("{server}", server.baseUrl().toUtf8());
        server.serve(kStatusPath, FixtureResponse::text(body, "application/json"));
    }

    /// Fetches the status document and lets its answer be handled.
    void fetch()
    {
        const int before = server.requestCount(kStatusPath);
        if (!started) {
            started = true;
            NBUpdateManager::shared();
        } else {
            NBUpdateManager::shared().fetchUpdate();
        }
        ASSERT_TRUE(waitUntil([&] { return server.requestCount(kStatusPath) > before; }));
        waitUntil([] { return false; }, 300); // the reply, then the decision on the main loop
    }

    static bool noticeShown()
    {
        QWidget *window = NBUpdateManager::shared().updateWindow();
        return window && window->isVisible();
    }

    FixtureHttpServer server;
    bool started = false;
};

} // namespace

TEST_F(UpdateNoticeTest, AValidDocumentOpensTheNotice)
{
    make();
    serveDocument(QStringLiteral("valid.json"));
    fetch();
    ASSERT_TRUE(noticeShown());

    QWidget *window = NBUpdateManager::shared().updateWindow();
    NBUpdateViewController *view = NBUpdateManager::shared().updateViewController();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Update"));
    EXPECT_EQ(window->size(), QSize(600, 600));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed size";
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(view->titleLabel()->text(), QStringLiteral("Nimbrel Core 2.1 <b>is out</b> & ready"));
    EXPECT_EQ(view->titleLabel()->textFormat(), Qt::PlainText);
    ASSERT_TRUE(waitUntil([&] { return view->webView()->toPlainText().contains(QStringLiteral("Hourly graphs")); }));
    EXPECT_TRUE(view->webView()->isReadOnly());
    EXPECT_EQ(server.requests().last().headers.value("user-agent"), NBController::userAgent().toUtf8());

    const QString shot = testOutputPath(QStringLiteral("update-notice.png"));
    window->grab().save(shot);

    UrlRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    view->learnMoreButton()->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://nimbrel.org/core/whats-new"))});
}

TEST_F(UpdateNoticeTest, LaterHidesTheNoticeAndTheNextFetchShowsItAgain)
{
    make();
    serveDocument(QStringLiteral("valid.json"));
    fetch();
    ASSERT_TRUE(noticeShown());
    NBUpdateManager::shared().updateViewController()->laterButton()->click();
    EXPECT_FALSE(noticeShown());
    fetch();
    EXPECT_TRUE(noticeShown());
}

TEST_F(UpdateNoticeTest, IgnoreSilencesThatKeyOnlyAndTouchesNoSetting)
{
    make();
    const QVariantList saved{portlandLookup()};
    saveLocations(saved);
    serveDocument(QStringLiteral("key_locations.json"));
    fetch();
    ASSERT_TRUE(noticeShown());
    NBUpdateManager::shared().updateViewController()->ignoreButton()->click();
    EXPECT_FALSE(noticeShown());
    EXPECT_EQ(OVUserDefaults::standard().arrayForKey(QStringLiteral("locations")), saved);
    EXPECT_TRUE(OVUserDefaults::standard().boolForKey(QStringLiteral("NBUpdateNoticeIgnored_locations")));

    fetch();
    EXPECT_FALSE(noticeShown()) << "the same key stays silent";

    serveDocument(QStringLiteral("new_key.json"));
    fetch();
    EXPECT_TRUE(noticeShown()) << "a new key shows";
}

TEST_F(UpdateNoticeTest, NoControllerNoNotice)
{
    serveDocument(QStringLiteral("valid.json"));
    fetch();
    EXPECT_FALSE(NBUpdateManager::shared().updateWindow());
}

TEST_F(UpdateNoticeTest, NoStatusServerNoRequest)
{
    make();
    OVUserDefaults::standard().removeObject(QStringLiteral("NBStatusServerURL"));
    LogCapture log;
    NBUpdateManager::shared();
    EXPECT_TRUE(log.contains(QStringLiteral("No status server is set")));
    EXPECT_EQ(server.requestCount(), 0);
}

namespace {

class RefusedNoticeTest : public UpdateNoticeTest, public testing::WithParamInterface<const char *>
{
};

} // namespace

TEST_P(RefusedNoticeTest, ShowsNothing)
{
    make();
    const QString fixture = QString::fromLatin1(GetParam());
    if (fixture == QLatin1String("500"))
        server.serve(kStatusPath, FixtureResponse::text(R"({"title":"x"})", "application/json", 500));
    else
        serveDocument(fixture + QStringLiteral(".json"));
    fetch();
    EXPECT_FALSE(NBUpdateManager::shared().updateWindow());
    EXPECT_EQ(server.requestCount(QStringLiteral("/notice/body.html")), 0);
}

INSTANTIATE_TEST_SUITE_P(UpdateNotice, RefusedNoticeTest,
                         testing::Values("show_zero", "show_number", "no_learn_more", "array", "title_number", "broken",
                                         "key_path", "body_javascript", "500"),
                         [](const testing::TestParamInfo<const char *> &info) { return std::string(info.param); });

#include "app_update_notice_gui_test.moc"
