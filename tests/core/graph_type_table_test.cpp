// The graph type table: the show settings it registers (stored files and first launches rely on
// these exact values), the stack order every list follows, and the lookup by stored number.
#include "core/NBGraphTypeTable.h"
#include "core/NBRegisteredDefaults.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(GraphTypeTable, RegistersTheShippedShowSettingsAsNumberTexts)
{
    const QVariantMap defaults = NBRegisteredDefaults::table();
    const std::pair<const char *, const char *> shipped[] = {
        {"showTemperatureGraph", "1"},   {"showWindSpeedGraph", "1"},
        {"showWindDirectionGraph", "0"}, {"showCylindricalWindDirectionGraph", "1"},
        {"showPressureGraph", "1"},      {"showHumidityGraph", "1"},
        {"showPrecipitationGraph", "1"}, {"showCloudCoverGraph", "1"},
        {"showSnowfallGraph", "0"},      {"showWaveHeightGraph", "0"},
        {"showProbabilityOfPrecipitationGraph", "1"},
    };
    for (const auto &[key, value] : shipped) {
        const QVariant registered = defaults.value(QLatin1String(key));
        EXPECT_EQ(registered.typeId(), QMetaType::QString) << key;
        EXPECT_EQ(registered.toString(), QLatin1String(value)) << key;
    }
}

TEST(GraphTypeTable, StackOrderAndLookupByStoredNumber)
{
    const std::array<int, NBGraphTypeCount> order{0, 1, 2, 3, 4, 10, 6, 8, 7, 5, 9};
    EXPECT_EQ(NBGraphTypeStackOrder(), order);

    for (int type : {-1, NBGraphTypeCount})
        EXPECT_EQ(NBGraphTypeRowFor(type), nullptr) << type;
    const NBGraphTypeRow *pop = NBGraphTypeRowFor(NBGraphTypeProbabilityOfPrecipitation);
    ASSERT_NE(pop, nullptr);
    EXPECT_STREQ(pop->menuObjectName, "menuGraphShowPOP");
    EXPECT_STREQ(pop->visibilityKey, "showProbabilityOfPrecipitationGraph");
    const NBGraphTypeRow *precipitation = NBGraphTypeRowFor(NBGraphTypePrecipitation);
    ASSERT_NE(precipitation, nullptr);
    EXPECT_STREQ(precipitation->menuTitle, "Precipitation");
    EXPECT_STREQ(precipitation->panelTitle, "Precipitation Amount");
}
