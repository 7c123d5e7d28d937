// The last-updated label of a launched controller's window: a click on its centred text starts
// exactly one update (one more observation request at the fixture server), a click beside the
// text starts none.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/NBLastUpdatedTextField.h"
#include "support/FixtureHttpServer.h"
#include "weather/OVBrisantObservationsBroker.h"

#include <QSignalSpy>
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

    // The first update's reply writes the label's text (once the request has ended: a click
    // before that would join the request in flight).
    controller->updateWeather();
    ASSERT_TRUE(waitUntil([&] { return server.requestCount(endpoint) == 1; }, 30000));
    auto *label = qobject_cast<NBLastUpdatedTextField *>(controller->window()->lastUpdatedLabel());
    ASSERT_TRUE(label);
    ASSERT_TRUE(waitUntil([&] { return !label->text().isEmpty(); }, 30000));
    const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
    ASSERT_LT(textWidth + 8, label->width()) << "the label is wider than its text";

    QSignalSpy clicked(label, &NBLastUpdatedTextField::textClicked);
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(waitUntil([&] { return server.requestCount(endpoint) == 2; }, 30000));

    // Beside the text a click is taken by the label and goes no further; the clicks are
    // delivered at once, so the label's answer is known when they return.
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, label->height() / 2));
    const int nowWidth = label->fontMetrics().horizontalAdvance(label->text());
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(label->width() / 2 + nowWidth / 2 + 3, 2));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(server.requestCount(endpoint), 2);
}

} // namespace
