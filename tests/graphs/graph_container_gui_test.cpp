// The graph stack's hover read-out belongs to the active application: under the X server, with
// the keyboard focus given away to the root window (as when another program is brought to the
// front), the read-out goes at once and a pointer move does not bring it back.
#include "graph_panel_fakes.h"

#include "core/NBPrefController.h"
#include "graphs/NBMultiGraphContainerView.h"
#include "graphs/OVGraphHoverView.h"
#include "graphs/OVGraphView.h"
#include "support/TestHelpers.h"

#include <QApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString rootWindowId()
{
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
    info.waitForFinished(5000);
    return QRegularExpression(QStringLiteral("Window id: (0x[0-9a-f]+)"))
        .match(QString::fromUtf8(info.readAllStandardOutput()))
        .captured(1);
}

void moveOver(QWidget &widget, const QPoint &at)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), widget.mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

} // namespace

TEST(GraphContainerGui, TheReadOutGoesWhenTheApplicationIsNoLongerActive)
{
    NBPrefController::resetStore();
    NBPrefController::initSettings();
    NBPrefController::setSetting(1, QStringLiteral("graphWidthDays"));
    NBPrefController::setSetting(0.0f, QStringLiteral("graphOffset"));
    NBPrefController::setSetting(1, QStringLiteral("showPressureGraph"));
    auto sources = std::make_shared<FakeGraphSources>();
    sources->fakeClock.set(utcAt(10, 20));
    fillTwoDays(*sources);
    const std::shared_ptr<OVWeatherLocation> location = fakeLocation(sources);

    NBMultiGraphContainerView container;
    container.setSlideMilliseconds(0);
    container.setLocationSource([location] { return location; });
    container.resize(700, 900);
    container.show();
    container.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&container));
    ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);

    NBMultiGraphPart *pressure = nullptr;
    for (NBMultiGraphPart *part : container.parts())
        if (part->type() == NBGraphTypePressure)
            pressure = part;
    ASSERT_NE(pressure, nullptr);
    const QPoint at = pressure->graph()->mapTo(&container, pressure->graph()->rect().center());
    moveOver(container, at);
    ASSERT_FALSE(container.hover()->isReadoutHidden());

    const QString root = rootWindowId();
    ASSERT_FALSE(root.isEmpty());
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), root}), 0);
    ASSERT_TRUE(waitUntil([] { return QGuiApplication::applicationState() != Qt::ApplicationActive; }, 5000));
    EXPECT_TRUE(container.hover()->isReadoutHidden());
    moveOver(container, at + QPoint(5, 0));
    EXPECT_TRUE(container.hover()->isReadoutHidden());
}
