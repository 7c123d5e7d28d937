// The last-updated label of a launched controller's window: a click on its centred text starts
// exactly one update (one more observation request at the fixture server), a click beside the
// text starts none.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/NBLastUpdatedTextField.h"
#include "support/FixtureHttpServer.h"
#include "weather/OVBrisantObservationsBroker.h"

#include <QTest>

namespace {

TEST_F(AppControllerTest, AClickOnTheLastUpdatedTextStartsOneUpdateAndBesideItNone)
{
    saveLocations({portlandDictionary()});
    launch();
    FixtureHttpServer server;
    ASSERT_TRUE(server.start());
    const QString endpoint = OVBrisantObservationsBroker::EndpointPath;
    server.serveFile(endpoint, testDataPath("app/observations_two_locations.json"), "application/json");
    OVUserDefaults::standard().setObject(server.baseUrl(), OVBrisantObservationsBroker::ServerURLKey);

    // The first update's reply writes the label's text.
    controller->updateWeather();
    ASSERT_TRUE(waitUntil([&] { return server.requestCount(endpoint) == 1; }, 10000));
    auto *label = qobject_cast<NBLastUpdatedTextField *>(controller->window()->lastUpdatedLabel());
    ASSERT_TRUE(label);
    ASSERT_TRUE(waitUntil([&] { return !label->text().isEmpty(); }, 10000));
    const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
    ASSERT_LT(textWidth + 8, label->width()) << "the label is wider than its text";

    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    EXPECT_TRUE(waitUntil([&] { return server.requestCount(endpoint) == 2; }, 10000));

    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, label->height() / 2));
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(label->width() / 2 + textWidth / 2 + 3, 2));
    QTest::qWait(500);
    EXPECT_EQ(server.requestCount(endpoint), 2);
}

} // namespace
