// The current-conditions strip on its own: column placement at the minimum and a wider width,
// narrower strips whose columns shrink and give way, the drawn texts of an observation, the
// texts without a location, the wind arrow against the calm dot, the feels-like bracket
// against the NWS wind chill chart, and the tooltips of the columns.
#include "ViewTestSupport.h"
#include "app/NBCurrentConditionsView.h"
#include "core/OVConstants.h"
#include "core/views/OVCircularArrowView.h"
#include "support/TestHelpers.h"
#include "support/TextProbe.h"
#include "weather/OVWeatherController.h"
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
    for (const Case &c : {Case{683, {5, 100, 213, 308, 403, 498, 593}}, Case{983, {5, 150, 313, 458, 603, 748, 893}}}) {
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

// A fixture observation whose columns all read differently.
OVWeatherConditions fixtureObservation()
{
    OVWeatherConditions conditions = observation(59.0, 12.0, 270.0);
    conditions.setDewpointF(41.0);
    conditions.setPressureMB(1016.9);
    conditions.setVisibilityMiles(7.0);
    conditions.setSkyCover(QStringLiteral("BKN030"));
    return conditions;
}

// The drawn text whose centre lies in the rectangle (y-up in a strip of that height).
QStringList textsIn(const QList<DrawnText> &drawn, const QRectF &yUpRect, double height)
{
    const QRectF rect(yUpRect.x(), height - yUpRect.bottom(), yUpRect.width(), yUpRect.height());
    QStringList texts;
    for (const DrawnText &text : drawn)
        if (rect.contains(text.rect.center()))
            texts << text.text;
    return texts;
}

TEST_F(ConditionsStripTest, DrawsEachValueOfTheObservationUnderItsCaption)
{
    // 59 °F, wind 12 mph, 1016.9 hPa = 30.03 inHg, broken sky 75 %, dew point 41 °F, which with
    // 59 °F is 51 % relative humidity, 7 miles: each under its own caption.
    const std::pair<const char *, const char *> expected[] = {
        {"Temperature", "59°"}, {"Wind", "12"},      {"Pressure", "30.03 in"},  {"Cloud Cover", "75%"},
        {"Dewpoint", "41.0°"},  {"Humidity", "51%"}, {"Visibility", "7 miles"},
    };
    make(800);
    showDenver(fixtureObservation());
    const QList<DrawnText> drawn = TextProbe::drawnTexts(*view);
    const QList<QRectF> columns = view->columnRects();
    for (int column = 0; column < 7; ++column) {
        SCOPED_TRACE(expected[column].first);
        EXPECT_EQ(textsIn(drawn, columns[column], view->height()),
                  (QStringList{QString::fromUtf8(expected[column].first), QString::fromUtf8(expected[column].second)}));
    }
}

TEST_F(ConditionsStripTest, NarrowStripsShrinkTheColumnsThenTheLeastImportantGiveWay)
{
    // In order of importance: what stays longest comes first.
    const QStringList importance{"Temperature", "Wind",        "Pressure",  "Humidity",
                                 "Dewpoint",    "Cloud Cover", "Visibility"};
    const QStringList captions{"Temperature", "Wind", "Pressure", "Cloud Cover", "Dewpoint", "Humidity", "Visibility"};
    // 545 is what the strip gets in a window at its minimum size of 800 x 560.
    qsizetype previous = 7;
    for (const int width : {683, 545, 400, 300, 150}) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        make(width);
        showDenver(fixtureObservation());
        const QList<DrawnText> drawn = TextProbe::drawnTexts(*view);
        QStringList shownCaptions;
        for (const DrawnText &text : drawn) {
            SCOPED_TRACE(text.text.toStdString());
            EXPECT_GE(text.rect.left(), 0.0);
            EXPECT_LE(text.rect.right(), double(width));
            EXPECT_FALSE(text.text.contains(QChar(0x2026))) << "elided";
            if (captions.contains(text.text))
                shownCaptions << text.text;
        }
        // Every shown column has its value; the columns that stay are the most important ones.
        EXPECT_EQ(drawn.size(), 2 * shownCaptions.size());
        if (width >= 545)
            EXPECT_EQ(shownCaptions.size(), 7);
        EXPECT_GE(shownCaptions.size(), 1);
        EXPECT_LE(shownCaptions.size(), previous);
        previous = shownCaptions.size();
        for (const QString &caption : importance.mid(0, shownCaptions.size()))
            EXPECT_TRUE(shownCaptions.contains(caption)) << caption.toStdString();
        // Drawn texts of one row never overlap.
        for (qsizetype i = 0; i < drawn.size(); ++i)
            for (qsizetype j = i + 1; j < drawn.size(); ++j)
                EXPECT_FALSE(drawn[i].rect.intersects(drawn[j].rect))
                    << drawn[i].text.toStdString() << " / " << drawn[j].text.toStdString();
    }
}

} // namespace
