// One row of the location list drawn into an image: where icon, temperature and city go, what
// a location without observations shows, the temperature unit read at every paint, the texts
// the row really draws, and the icon shown for a service icon name outside the icon set.
#include "ViewTestSupport.h"
#include "app/locations/NBLocationCell.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVNamedImage.h"
#include "support/TextProbe.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>

namespace {

const QRectF kRow(0, 0, 240, 48);

// The row drawn the way the list draws it: cell frame inset 3.5 / 1, then 3 more.
QImage paintedLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    QImage image(kRow.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    NBLocationCell cell;
    NBLocationCell::drawInteriorWithFrame(painter, cell.cellFrameForRow(kRow), location);
    return image;
}

QImage paintedRow(const QString &city, const QString &temperature, const QString &icon)
{
    QImage image(kRow.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    NBLocationCell::drawRow(painter, city, temperature, icon, kRow.adjusted(6.5, 4, -6.5, -4));
    return image;
}

TEST(LocationCell, IconAtTheRightTemperatureBeforeItCityNarrowedByTheTemperature)
{
    const QRectF rect(10, 20, 200, 40);
    for (const double tw : {20.0, 60.0}) {
        SCOPED_TRACE(testing::Message() << "temperature width " << tw);
        const auto g = NBLocationCell::rowGeometry(rect, QSizeF(tw, 16));
        EXPECT_EQ(g.icon, QRectF(170, 20, 40, 40));
        EXPECT_EQ(g.temperature.right(), g.icon.left() - 8);
        EXPECT_EQ(g.temperature.width(), tw);
        EXPECT_EQ(g.temperature.top(), 32.0); // centred: 20 + (40 - 16) / 2
        EXPECT_EQ(g.city.left(), 10.0);
        EXPECT_EQ(g.city.width(), 200 - 40 - tw - 16);
    }

    NBLocationCell cell;
    EXPECT_EQ(cell.cellFrameForRow(kRow), QRectF(3.5, 1, 233, 46));
}

TEST(LocationCell, WithoutObservationsTheRowShowsTheDashAndTheMissingDataIcon)
{
    ViewTestData data;
    ASSERT_FALSE(OVNamedImage::imageNamed("na").isNull());
    const auto london = placeFrom(londonDictionary());
    const QImage drawn = paintedLocation(london);
    EXPECT_EQ(drawn, paintedRow("London", QString(QChar(0x2014)), "na"));
    EXPECT_NE(drawn, paintedRow("London", "12°", "na"));
    // A location that is not set draws nothing.
    QImage empty(kRow.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    empty.fill(Qt::black);
    EXPECT_EQ(paintedLocation(nullptr), empty);
}

TEST(LocationCell, TemperatureUnitIsReadAtEveryPaint)
{
    ViewTestData data;
    const auto denver = placeFrom(denverDictionary());
    data.store(observation(68.0), "KDEN");
    const QString icon = denver->getCurrentData()->iconName();
    ASSERT_FALSE(OVNamedImage::imageNamed(icon).isNull()) << icon.toStdString();

    NBPrefController::setSetting(0, NBSettingKey::temperatureUnits);
    EXPECT_EQ(paintedLocation(denver), paintedRow("Denver", "68°", icon));
    NBPrefController::setSetting(1, NBSettingKey::temperatureUnits);
    EXPECT_EQ(paintedLocation(denver), paintedRow("Denver", "20°", icon));
    NBPrefController::setSetting(0, NBSettingKey::temperatureUnits);
}

// The texts the row draws for a location, left to right.
QList<DrawnText> drawnLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    QList<DrawnText> texts = TextProbe::drawnTexts(kRow.size().toSize(), [&](QPainter &painter) {
        NBLocationCell cell;
        NBLocationCell::drawInteriorWithFrame(painter, cell.cellFrameForRow(kRow), location);
    });
    std::sort(texts.begin(), texts.end(),
              [](const DrawnText &a, const DrawnText &b) { return a.rect.x() < b.rect.x(); });
    return texts;
}

TEST(LocationCell, DrawsTheCityThenTheTemperatureInsideTheRow)
{
    ViewTestData data;
    data.store(observation(68.0), "KDEN");
    struct Case
    {
        const char *name;
        std::shared_ptr<OVWeatherLocation> location;
        int units;
        QStringList texts;
    };
    const Case cases[] = {
        {"Fahrenheit", placeFrom(denverDictionary()), 0, {"Denver", "68°"}},
        {"Celsius", placeFrom(denverDictionary()), 1, {"Denver", "20°"}},
        {"no observations", placeFrom(londonDictionary()), 0, {"London", QString(QChar(0x2014))}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NBPrefController::setSetting(c.units, NBSettingKey::temperatureUnits);
        const QList<DrawnText> drawn = drawnLocation(c.location);
        QStringList texts;
        for (const DrawnText &text : drawn) {
            texts << text.text;
            EXPECT_TRUE(kRow.contains(text.rect)) << text.text.toStdString();
        }
        EXPECT_EQ(texts, c.texts);
    }
    NBPrefController::setSetting(0, NBSettingKey::temperatureUnits);
}

TEST(LocationCell, AServiceIconOutsideTheIconSetShowsTheObservationsOwnWeather)
{
    ViewTestData data;
    const auto denver = placeFrom(denverDictionary());
    OVWeatherConditions rain = observation(50.0);
    rain.setIconName("rain.png");
    rain.setPrecipitationIntensity("-");
    rain.setPrecipitationType("RA");
    rain.setSkyCover("BKN030");
    data.store(rain, "KDEN");
    ASSERT_TRUE(OVNamedImage::imageNamed("rain.png").isNull());
    const QString shown = denver->getCurrentData()->displayIconName();
    EXPECT_TRUE(QStringList({"drizzle.png", "ndrizzle.png", "ra.png", "nra.png"}).contains(shown))
        << shown.toStdString();
    EXPECT_EQ(paintedLocation(denver), paintedRow("Denver", "50°", shown));
    EXPECT_NE(paintedLocation(denver), paintedRow("Denver", "50°", "na"));
}

} // namespace

namespace {

TEST(NamedImage, FindsShellDrawingsAndWeatherIconsByNameAndNothingElse)
{
    struct Case
    {
        const char *name;
        bool found;
    };
    for (const Case c : {Case{"toolbar_cloud", true}, Case{"toolbar_cloud.png", true}, Case{"na", true},
                         Case{"skc.png", true}, Case{"ovplusbutton", true}, Case{"no_such_image", false},
                         Case{"../weather-icons/na.png", false}, Case{"", false}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(!OVNamedImage::imageNamed(c.name).isNull(), c.found);
    }
    EXPECT_EQ(OVNamedImage::imageNamed("toolbar_cloud").height(), 32);
}

} // namespace
