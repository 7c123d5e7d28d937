// The current-conditions strip on its own: column placement at the minimum and a wider width,
// the texts without a location, the wind arrow against the calm dot, the feels-like bracket
// against the NWS wind chill chart, and the tooltips of the columns.
#include "ViewTestSupport.h"
#include "app/NBCurrentConditionsView.h"
#include "core/views/OVCircularArrowView.h"
#include "core/OVConstants.h"
#include "support/TestHelpers.h"
#include "weather/OVWeatherLocation.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QToolTip>

namespace {

class ConditionsStripTest : public testing::Test
{
protected:
    NBCurrentConditionsView &make(int width)
    {
        view = std::make_unique<NBCurrentConditionsView>();
        view->resize(width, 42);
        view->show();
        return *view;
    }
    /// Makes Denver current with one observation and refreshes the strip.
    void showDenver(const OVWeatherConditions &conditions)
    {
        const auto denver = placeFrom(denverDictionary());
        data.store(conditions, "KDEN");
        view->setCurrentLocation(denver);
        view->refreshDisplay();
    }

    ViewTestData data;
    std::unique_ptr<NBCurrentConditionsView> view;
};

// The wind chill of the NWS chart for a temperature and wind (°F, mph).
int chartWindChill(int temperatureF, int windMPH)
{
    QFile chart(testDataPath(QStringLiteral("app/nws_wind_chill_chart_computed.csv")));
    if (!chart.open(QIODevice::ReadOnly | QIODevice::Text))
        return OVNoValue;
    const QStringList header = QString::fromUtf8(chart.readLine()).trimmed().split(',');
    const int column = int(header.indexOf(QStringLiteral("wind_%1mph").arg(windMPH)));
    while (!chart.atEnd()) {
        const QStringList row = QString::fromUtf8(chart.readLine()).trimmed().split(',');
        if (row.value(0).toInt() == temperatureF && column > 0)
            return row.value(column).toInt();
    }
    return OVNoValue;
}

TEST_F(ConditionsStripTest, ColumnsPackAtTheMinimumGapAndSpreadWhenWider)
{
    EXPECT_EQ(NBCurrentConditionsView::totalConditionWidth(), 683.0);
    struct Case
    {
        int width;
        QList<double> x;
    };
    for (const Case &c : {Case{683, {5, 100, 213, 308, 403, 498, 593}}, Case{983, {5, 150, 313, 458, 603, 748, 893}},
                          Case{500, {5, 100, 213, 308, 403, 498, 593}}}) {
        SCOPED_TRACE(testing::Message() << "width " << c.width);
        make(c.width);
        const QList<QRectF> columns = view->columnRects();
        ASSERT_EQ(columns.size(), 7);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(columns[i].x(), c.x[i]) << "column " << i;
            EXPECT_EQ(columns[i].width(), i == NBCurrentConditionsView::Wind ? 103.0 : 85.0);
            EXPECT_EQ(columns[i].height(), 42.0);
        }
    }
}

TEST_F(ConditionsStripTest, WithoutALocationEveryValueIsMissingAndNoArrowShows)
{
    make(800);
    view->refreshDisplay();
    const NBCurrentConditionsView::Reading reading = view->currentReading();
    for (const QString &value : reading.values)
        EXPECT_TRUE(value.isEmpty());
    EXPECT_TRUE(view->windArrowView()->isHidden());

    // Drawn: the six "—" and the wind column's dot look the same as a location without data.
    const QImage none = view->grab().toImage();
    view->setCurrentLocation(placeFrom(londonDictionary()));
    view->refreshDisplay();
    EXPECT_EQ(view->grab().toImage(), none);
}

TEST_F(ConditionsStripTest, ArrowShowsFromOneMilePerHourFromAKnownDirection)
{
    struct Case
    {
        double mph, direction;
        bool arrow;
    };
    for (const Case &c : {Case{0.9, 200, false}, Case{1.1, 200, true}, Case{12, 90, true}, Case{12, -1, false}}) {
        SCOPED_TRACE(testing::Message() << c.mph << " mph from " << c.direction);
        make(800);
        showDenver(observation(40.0, c.mph, c.direction));
        OVCircularArrowView *arrow = view->windArrowView();
        EXPECT_EQ(!arrow->isHidden(), c.arrow);
        if (!c.arrow)
            continue;
        // The arrow stands left of the centred speed text, turned to the wind.
        const QRectF column = view->columnRects().at(NBCurrentConditionsView::Wind);
        EXPECT_EQ(arrow->size(), QSize(18, 18));
        EXPECT_GT(arrow->x(), column.x());
        EXPECT_LT(arrow->x() + 18 + 8, column.right());
        EXPECT_DOUBLE_EQ(arrow->lastDirection(), 180.0 - c.direction);
    }
}

TEST_F(ConditionsStripTest, FeelsLikeTemperatureInBracketsWhenItDiffers)
{
    const int chill = chartWindChill(20, 15);
    ASSERT_NE(chill, OVNoValue);
    struct Case
    {
        double temperatureF, mph;
        QString text;
    };
    for (const Case &c : {Case{20, 15, QStringLiteral("20° (%1°)").arg(chill)}, Case{60, 15, QStringLiteral("60°")}}) {
        SCOPED_TRACE(c.text.toStdString());
        const auto reading = NBCurrentConditionsView::readingForConditions(observation(c.temperatureF, c.mph));
        EXPECT_EQ(reading.values[NBCurrentConditionsView::Temperature], c.text);
        EXPECT_EQ(reading.values[NBCurrentConditionsView::Wind], "15");
        EXPECT_EQ(reading.values[NBCurrentConditionsView::Humidity].right(1), "%");
    }
}

TEST_F(ConditionsStripTest, EachColumnAnswersWithItsTooltip)
{
    make(983);
    const QStringList tips{"Temperature (Feels Like Temperature)", "Wind Direction and Speed(-Gust)",
                           "Pressure Reduced to Mean Sea Level", "Cloud Cover (%)", "Dewpoint Temperature",
                           "Relative Humidity (%)", "Visibility"};
    const QList<QRectF> columns = view->columnRects();
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(tips[i].toStdString());
        const QPoint at(int(columns[i].center().x()), 21);
        QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
        QApplication::sendEvent(view.get(), &help);
        EXPECT_EQ(QToolTip::text(), tips[i]);
    }
    // Between two columns there is none.
    const QPoint gap(int(columns[0].right() + 30), 21);
    EXPECT_TRUE(view->toolTipAt(gap).isEmpty());
}

} // namespace
