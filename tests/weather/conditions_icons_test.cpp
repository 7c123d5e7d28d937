// The weather icon rules, and the night and day forms of icon names, over a test resource that
// holds only a few images (ra, nra, nscttsra, hi_tsra, fg, skc, nskc).
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherIconImages.h"

#include <gtest/gtest.h>

#include <functional>

TEST(ConditionsIcons, RulesInOrder)
{
    struct Case
    {
        const char *name;
        const char *sky;
        const char *precipitation; // intensity|descriptor|type
        const char *obscuration;
        const char *other;
        double temperatureC;
        bool isDay;
        const char *expected;
    };
    const Case cases[] = {
        {"thunder rain, overcast", "OVC010", "|TS|RA", "", "", 20, true, "tsra.png"},
        {"thunder rain, scattered", "SCT010", "|TS|RA", "", "", 20, true, "hi_tsra.png"},
        {"thunder rain at night", "SCT010", "|TS|RA", "", "", 20, false, "nscttsra.png"},
        {"cold rain", "OVC010", "||RA", "", "", 1.0, true, "mix.png"},
        {"rain without temperature", "OVC010", "||RA", "", "", -1000, true, "ra.png"},
        {"light rain overcast", "OVC010", "-||RA", "", "", 10, true, "drizzle.png"},
        {"rain at night", "OVC010", "||RA", "", "", 10, false, "nra.png"},
        {"rain showers", "SCT030", "||RA", "", "", 10, true, "hi_shwrs.png"},
        {"showers at night, no image", "SCT030", "||RA", "", "", 10, false, "hi_shwrs.png"},
        {"drizzle", "", "||DZ", "", "", 10, true, "drizzle.png"},
        {"hail", "", "||GR", "", "", 10, true, "tsra.png"},
        {"ice pellets", "", "||PE", "", "", -2, true, "ip.png"},
        {"light snow", "", "-||SN", "", "", -2, true, "flurries.png"},
        {"snow", "", "||SN", "", "", -2, true, "sn.png"},
        {"snow at night, no image", "", "||SN", "", "", -2, false, "sn.png"},
        {"snow grains", "", "||SG", "", "", -2, true, "flurries.png"},
        {"precipitation before obscuration", "", "||SN", "||FG", "", -2, true, "sn.png"},
        {"dust", "", "", "||DU", "", 20, true, "du.png"},
        {"mist", "", "", "||BR", "", 20, true, "fg.png"},
        {"haze", "", "", "||HZ", "", 20, true, "hazy.png"},
        {"smoke", "", "", "||FU", "", 20, true, "smoke.png"},
        {"spray", "", "", "||PY", "", 20, true, "wind.png"},
        {"dust whirls", "", "", "", "||PO", 20, true, "du.png"},
        {"funnel cloud", "", "", "", "||FC", 20, true, "tsra.png"},
        {"squalls", "", "", "", "||SQ", 20, true, "wind.png"},
        {"few before overcast", "OVC080 FEW030", "", "", "", 20, true, "few.png"},
        {"broken before overcast", "BKN030 OVC080", "", "", "", 20, true, "bkn.png"},
        {"cold and clear", "CLR", "", "", "", -1, true, "cold.png"},
        {"hot and clear", "SKC", "", "", "", 33, true, "hot.png"},
        {"clear without temperature", "CLR", "", "", "", -1000, true, "skc.png"},
        {"clear night", "", "", "", "", 20, false, "nskc.png"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVWeatherConditions record;
        if (*c.sky)
            record.setSkyCover(QLatin1String(c.sky));
        record.setTemperatureC(c.temperatureC);
        record.setIsDay(c.isDay);
        using Setter = void (OVWeatherConditions::*)(const QString &);
        const std::tuple<const char *, Setter, Setter, Setter> groups[] = {
            {c.precipitation, &OVWeatherConditions::setPrecipitationIntensity,
             &OVWeatherConditions::setPrecipitationDescriptor, &OVWeatherConditions::setPrecipitationType},
            {c.obscuration, &OVWeatherConditions::setObscurationIntensity,
             &OVWeatherConditions::setObscurationDescriptor, &OVWeatherConditions::setObscurationType},
            {c.other, &OVWeatherConditions::setOtherPhenomenaIntensity,
             &OVWeatherConditions::setOtherPhenomenaDescriptor, &OVWeatherConditions::setOtherPhenomenaType},
        };
        for (const auto &[codes, intensity, descriptor, type] : groups) {
            const QStringList parts = QString::fromLatin1(codes).split(QLatin1Char('|'));
            if (parts.size() != 3)
                continue;
            (record.*intensity)(parts[0]);
            (record.*descriptor)(parts[1]);
            (record.*type)(parts[2]);
        }
        EXPECT_EQ(record.iconName(), QLatin1String(c.expected));
    }
}

TEST(ConditionsIcons, ChosenNameIsStoredAndAGivenNameWins)
{
    OVWeatherConditions record;
    record.setSkyCover(QStringLiteral("BKN030 OVC080"));
    EXPECT_EQ(record.iconName(), QStringLiteral("bkn.png"));
    record.setSkyCover(QStringLiteral("CLR"));
    EXPECT_EQ(record.iconName(), QStringLiteral("bkn.png"));
    record.setIconName(QStringLiteral("fzra"));
    EXPECT_EQ(record.iconName(), QStringLiteral("fzra"));
}

TEST(ConditionsIcons, NightAndDayFormsOnlyWhereAnImageExists)
{
    struct Case
    {
        const char *name;
        const char *night;
        const char *day;
    };
    const Case night[] = {
        {"ra.png", "nra.png", nullptr},  {"ra", "nra", nullptr},
        {"hi_tsra.png", "nscttsra.png", nullptr}, {"hi_tsra", "nscttsra", nullptr},
        {"sn.png", "sn.png", nullptr},   {"hi_shwrs", "hi_shwrs", nullptr},
        {"na", "na", nullptr},
    };
    for (const Case &c : night) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OVWeatherConditions::nightEquivalentOfIcon(QLatin1String(c.name)), QLatin1String(c.night));
    }
    const Case day[] = {
        {"nra.png", nullptr, "ra.png"}, {"nra", nullptr, "ra"},
        {"nbknfg", nullptr, "fg"},      {"hi_ntsra.png", nullptr, "hi_tsra.png"},
        {"nsn.png", nullptr, "nsn.png"}, {"ra.png", nullptr, "ra.png"},
        {"na", nullptr, "na"},
    };
    for (const Case &c : day) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OVWeatherConditions::dayEquivalentOfIcon(QLatin1String(c.name)), QLatin1String(c.day));
    }
    EXPECT_EQ(OVWeatherIconImages::pathForIconName(QStringLiteral("nra")), QStringLiteral(":/weather-icons/nra.png"));
    EXPECT_TRUE(OVWeatherIconImages::pathForIconName(QStringLiteral("../weather-icons/nra")).isNull());
    EXPECT_FALSE(OVWeatherIconImages::hasImage(QString()));
}
